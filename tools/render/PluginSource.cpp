#include "PluginSource.h"

#include "BuiltInSource.h"
#include "HostedSource.h"
#include "plugin/ParameterIds.h"

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

    for (const auto& [name, value] : settings)
    {
        // By the name a host lists, which is the ID, not by index: an LV2 host lists the
        // parameters in an order of its own, and a VST 2 host knows no IDs. JUCE's LV2 host
        // lists each knob twice, its control port and then its property: the last one found,
        // the property, is the one such hosts automate and save.
        juce::AudioProcessorParameter* parameter = nullptr;

        for (auto* candidate : getProcessor().getParameters())
            if (candidate->getName (64) == name)
                parameter = candidate;

        if (parameter == nullptr)
            return juce::Result::fail (getDescription() + " has no parameter \"" + name + "\": it is not Tavine");

        parameter->setValueNotifyingHost (value);
    }

    return juce::Result::ok();
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

    processor.setRateAndBufferSizeDetails (sampleRate, maximumBlockSize);
    processor.prepareToPlay (sampleRate, maximumBlockSize);
    return juce::Result::ok();
}

void PluginSource::process (juce::AudioBuffer<float>& block)
{
    if (! monoThroughStereo)
    {
        getProcessor().processBlock (block, midi);
        return;
    }

    const int numSamples = block.getNumSamples();
    stereoBlock.setSize (2, numSamples, false, false, true);
    stereoBlock.copyFrom (0, 0, block, 0, 0, numSamples);
    stereoBlock.clear (1, 0, numSamples);
    getProcessor().processBlock (stereoBlock, midi);
    block.copyFrom (0, 0, stereoBlock, 0, 0, numSamples);
}
