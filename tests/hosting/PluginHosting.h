#pragma once

// What the hosting tests and tavine_plugin_render share, needing no test framework: a built
// plug-in loaded through JUCE's hosting classes as a host loads it after a scan, and its
// parameters found by name.

#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>

namespace test
{
    /** An instance of the one plug-in that the named hosting format ("VST3", "VST", "LV2")
        finds at the location (a VST3 bundle or module, a VST2 library, an LV2 URI); null, with
        the reason in error, if the format finds no plug-in there, or more than one. */
    inline std::unique_ptr<juce::AudioPluginInstance> createPluginInstance (juce::AudioPluginFormatManager& manager,
                                                                            const juce::String& formatName,
                                                                            const juce::String& location,
                                                                            double sampleRate,
                                                                            int blockSize,
                                                                            juce::String& error)
    {
        juce::OwnedArray<juce::PluginDescription> found;

        for (auto* format : manager.getFormats())
            if (format->getName() == formatName)
                format->findAllTypesForFile (found, location);

        if (found.size() != 1)
        {
            error = juce::String (found.size()) + " " + formatName + " plug-ins at " + location + ", not one";
            return nullptr;
        }

        return manager.createPluginInstance (*found[0], sampleRate, blockSize, error);
    }

    /** A parameter by its name. LV2 hosts list parameters in an order of their own and find
        them by URI, so the name, not the index, is what all three formats have in common.

        An LV2 host that knows parameters as properties lists each knob twice: the property
        (its ID a URI), which such hosts automate and save, and the control port kept for hosts
        without properties (its ID the port's symbol). The property is the one returned. */
    inline juce::AudioProcessorParameter* findParameter (juce::AudioProcessor& processor, const juce::String& name)
    {
        juce::AudioProcessorParameter* found = nullptr;

        for (auto* candidate : processor.getParameters())
        {
            if (candidate->getName (64) != name)
                continue;

            const auto* hosted = dynamic_cast<juce::HostedAudioProcessorParameter*> (candidate);

            if (found == nullptr || (hosted != nullptr && hosted->getParameterID().contains (":")))
                found = candidate;
        }

        return found;
    }
} // namespace test
