#include "PluginSource.h"

#include "BuiltInSource.h"
#include "HostedSource.h"
#include "plugin/ParameterIds.h"

#include <algorithm>
#include <cstring>
#include <vector>

std::unique_ptr<PluginSource> PluginSource::createBuiltIn()
{
    return std::make_unique<BuiltInSource>();
}

std::unique_ptr<PluginSource> PluginSource::createHosted (const juce::String& location, juce::String& error)
{
    return HostedSource::load (location, error);
}

juce::Result PluginSource::setParameters (const ParameterValues& values)
{
    const std::pair<const char*, float> settings[] = { { ParameterIds::red, values.red }, { ParameterIds::green, values.green }, { ParameterIds::blue, values.blue }, { ParameterIds::x2, values.x2 } };

    for (const auto& [id, value] : settings)
        if (auto result = setParameter (id, value); result.failed())
            return result;

    return juce::Result::ok();
}

juce::Result PluginSource::setParameter (const char* id, float value)
{
    const auto& ids = ParameterIds::all;
    const auto index = (std::size_t) (std::find_if (ids.begin(), ids.end(), [id] (const char* candidate) { return std::strcmp (candidate, id) == 0; }) - ids.begin());
    jassert (index < ids.size());
    auto*& parameter = parameters[index];

    // By the name a host lists, which is the ID, not by index: an LV2 host lists the
    // parameters in an order of its own, and a VST 2 host knows no IDs. JUCE's LV2 host lists
    // each knob twice, its control port and then its property: the last one found, the
    // property, is the one such hosts automate and save.
    if (parameter == nullptr)
        for (auto* candidate : getProcessor().getParameters())
            if (candidate->getName (64) == id)
                parameter = candidate;

    if (parameter == nullptr)
        return juce::Result::fail (getDescription() + " has no parameter \"" + id + "\": it is not Tavine");

    parameter->setValueNotifyingHost (value);
    return juce::Result::ok();
}

void PluginSource::setBypassed (bool shouldBeBypassed)
{
    bypassed = shouldBeBypassed;

    if (auto* parameter = getProcessor().getBypassParameter())
        parameter->setValue (bypassed ? 1.0f : 0.0f);
}

juce::Result PluginSource::prepare (double sampleRate, int maximumBlockSize, int numChannels)
{
    auto& processor = getProcessor();

    const auto layoutFor = [] (int channelCount) {
        const auto channels = juce::AudioChannelSet::canonicalChannelSet (channelCount);
        juce::AudioProcessor::BusesLayout layout;
        layout.inputBuses.add (channels);
        layout.outputBuses.add (channels);
        return layout;
    };

    monoThroughStereo = false;

    if (! processor.setBusesLayout (layoutFor (numChannels)))
    {
        if (numChannels != 1 || ! processor.setBusesLayout (layoutFor (2)))
            return juce::Result::fail (getDescription() + " does not accept " + (numChannels == 1 ? "mono" : "stereo") + " audio");

        monoThroughStereo = true;
        stereoBlock.setSize (2, maximumBlockSize);
    }

    // JUCE's LV2 host makes a new instance in prepareToPlay, from a state it saves before any
    // block has run; a value set before it reaches an LV2 plug-in's control port only with a
    // block, and would be lost. So the values set so far are set again.
    std::vector<float> values;

    for (const auto* parameter : processor.getParameters())
        values.push_back (parameter->getValue());

    processor.setRateAndBufferSizeDetails (sampleRate, maximumBlockSize);
    processor.prepareToPlay (sampleRate, maximumBlockSize);

    for (size_t i = 0; i < values.size() && i < (size_t) processor.getParameters().size(); ++i)
        if (auto* parameter = processor.getParameters()[(int) i]; parameter->getValue() != values[i])
            parameter->setValue (values[i]);

    return juce::Result::ok();
}

void PluginSource::process (juce::AudioBuffer<float>& block)
{
    if (! monoThroughStereo)
    {
        processInPlace (block);
        return;
    }

    const int numSamples = block.getNumSamples();
    stereoBlock.setSize (2, numSamples, false, false, true);
    stereoBlock.copyFrom (0, 0, block, 0, 0, numSamples);
    stereoBlock.clear (1, 0, numSamples);
    processInPlace (stereoBlock);
    block.copyFrom (0, 0, stereoBlock, 0, 0, numSamples);
}

void PluginSource::processInPlace (juce::AudioBuffer<float>& block)
{
    if (bypassed)
        getProcessor().processBlockBypassed (block, midi);
    else
        getProcessor().processBlock (block, midi);
}
