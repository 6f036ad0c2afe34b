#include "ZarivirAudioProcessor.h"

#include "ParameterIds.h"
#include "ParameterText.h"
#include "StateBlock.h"

#include <cmath>
#include <optional>

namespace
{
    std::unique_ptr<juce::AudioParameterFloat> makeParameter (const char* id, bool isToggle)
    {
        auto attributes = juce::AudioParameterFloatAttributes().withLabel ({});

        if (isToggle)
            attributes = attributes
                             .withStringFromValueFunction ([] (float value, int) { return ParameterText::toggleToText (value); })
                             .withValueFromStringFunction ([] (const juce::String& text) { return ParameterText::toggleFromText (text); });
        else
            attributes = attributes
                             .withStringFromValueFunction ([] (float value, int) { return ParameterText::knobToText (value); })
                             .withValueFromStringFunction ([] (const juce::String& text) { return ParameterText::knobFromText (text); });

        // The name a host lists is the ID itself.
        return std::make_unique<juce::AudioParameterFloat> (juce::ParameterID { id, 1 },
                                                            id,
                                                            juce::NormalisableRange<float> (0.0f, 1.0f, 0.0f, 1.0f, false),
                                                            0.0f,
                                                            attributes);
    }

    juce::AudioProcessorValueTreeState::ParameterLayout createParameterLayout()
    {
        // The order here is each parameter's index towards the host: never reorder.
        juce::AudioProcessorValueTreeState::ParameterLayout layout;
        layout.add (makeParameter (ParameterIds::red, false),
                    makeParameter (ParameterIds::green, false),
                    makeParameter (ParameterIds::blue, false),
                    makeParameter (ParameterIds::x2, true));
        return layout;
    }

    /** The noise seed a test has set in TAVINE_NOISE_SEED, a decimal integer; none otherwise.

        Each instance seeds its noise floor anew, as instances in a mix should. Tests that
        compare two builds sample for sample (the Windows plug-ins with the Linux ones) need the
        same noise in both, and they can reach a plug-in only through what its host process
        holds. Anything but a plain number is ignored.
    */
    std::optional<juce::int64> noiseSeedFromEnvironment()
    {
        const auto text = juce::SystemStats::getEnvironmentVariable ("TAVINE_NOISE_SEED", {});
        const auto digits = text.startsWithChar ('-') ? text.substring (1) : text;

        if (digits.isEmpty() || digits.length() > 18 || ! digits.containsOnly ("0123456789"))
            return std::nullopt;

        return text.getLargeIntValue();
    }
} // namespace

ZarivirAudioProcessor::ZarivirAudioProcessor()
{
    parameters = std::make_unique<juce::AudioProcessorValueTreeState> (*this, nullptr, "Tavine", createParameterLayout());
    redKnob = parameters->getParameter (ParameterIds::red);
    greenKnob = parameters->getParameter (ParameterIds::green);
    blueKnob = parameters->getParameter (ParameterIds::blue);
    x2Toggle = parameters->getParameter (ParameterIds::x2);

    if (const auto seed = noiseSeedFromEnvironment())
        engine.setNoiseSeed (*seed);

    // The engine delays the signal; hosts with delay compensation need to know by how much
    // before the first block arrives.
    setLatencySamples (engine.getDelayLength());
}

ZarivirAudioProcessor::~ZarivirAudioProcessor() = default;

const juce::String ZarivirAudioProcessor::getName() const
{
    return "Tavine";
}

void ZarivirAudioProcessor::prepareToPlay (double sampleRate, int)
{
    // Also at an unchanged rate, the first block's setting is taken at once: an offline render
    // or a project that starts playing with the knobs up must not fade in.
    engine.prepare (sampleRate);
    setLatencySamples (engine.getDelayLength());
}

void ZarivirAudioProcessor::releaseResources()
{
}

void ZarivirAudioProcessor::reset()
{
    engine.jumpToNextSetting();
}

void ZarivirAudioProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    runEngine (buffer, false);
}

void ZarivirAudioProcessor::processBlockBypassed (juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    runEngine (buffer, true);
}

void ZarivirAudioProcessor::runEngine (juce::AudioBuffer<float>& buffer, bool bypassed) noexcept
{
    const juce::ScopedNoDenormals noDenormals;

    engine.setKnobs (redKnob->getValue(), greenKnob->getValue(), blueKnob->getValue(), x2Toggle->getValue());
    engine.setBypassed (bypassed);

    // Our channel layouts never produce a block without channels; should a host send one
    // anyway, there is nothing to process.
    if (buffer.getNumChannels() == 0)
        return;

    float* left = buffer.getWritePointer (0);
    float* right = buffer.getNumChannels() > 1 ? buffer.getWritePointer (1) : nullptr;
    engine.process (left, right, buffer.getNumSamples());
}

double ZarivirAudioProcessor::getTailLengthSeconds() const
{
    return 0.0;
}

bool ZarivirAudioProcessor::acceptsMidi() const
{
    return false;
}

bool ZarivirAudioProcessor::producesMidi() const
{
    return false;
}

bool ZarivirAudioProcessor::hasEditor() const
{
    return true;
}

int ZarivirAudioProcessor::getNumPrograms()
{
    return 1;
}

int ZarivirAudioProcessor::getCurrentProgram()
{
    return 0;
}

void ZarivirAudioProcessor::setCurrentProgram (int)
{
}

const juce::String ZarivirAudioProcessor::getProgramName (int)
{
    return {};
}

void ZarivirAudioProcessor::changeProgramName (int, const juce::String&)
{
}

void ZarivirAudioProcessor::getStateInformation (juce::MemoryBlock& destData)
{
    juce::XmlElement state (StateBlock::rootTag);

    // One attribute per parameter, named by its ID, in the parameters' order.
    for (const auto* id : ParameterIds::all)
        state.setAttribute (id, StateBlock::formatValue (parameters->getParameter (id)->getValue()));

    destData = StateBlock::write (state);
}

void ZarivirAudioProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    // Blocks that are too short, carry the wrong magic number or a length of 0 or less, and
    // text that is not well-formed, change nothing.
    const auto state = StateBlock::read (data, sizeInBytes);

    if (state == nullptr)
        return;

    // Any root tag is accepted; every parameter is set and reported, a missing attribute
    // keeping the value it has.
    for (const auto* id : ParameterIds::all)
    {
        auto* parameter = parameters->getParameter (id);
        float value = parameter->getValue();

        if (state->hasAttribute (id))
        {
            value = (float) ParameterText::parseNumber (state->getStringAttribute (id));

            if (std::isnan (value))
                value = 0.0f;
        }

        // Out-of-range values are limited here rather than by the parameter, so the host is
        // told the value that is actually in force.
        parameter->setValueNotifyingHost (juce::jlimit (0.0f, 1.0f, value));
    }
}

juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new ZarivirAudioProcessor();
}
