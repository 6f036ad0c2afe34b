#pragma once

#include "PluginSource.h"

/** A plug-in binary loaded through JUCE's hosting classes, as a host loads it: a VST3 bundle, a
    VST2 library, or an LV2 bundle or URI. */
class HostedSource : public PluginSource
{
public:
    ~HostedSource() override;

    /** Null, with a one-line reason in `error`, when nothing loadable is at `location`. */
    static std::unique_ptr<HostedSource> load (const juce::String& location, juce::String& error);

    juce::Result prepare (double sampleRate, int maximumBlockSize, int numChannels) override;
    juce::String getDescription() const override { return description; }

protected:
    juce::AudioProcessor& getProcessor() noexcept override { return *instance; }

private:
    HostedSource() = default;

    // Members in the order they must be built; destroyed in reverse, the instance goes before
    // its format, and both before the folder that holds the link to its LV2 bundle.
    juce::File linkFolder;
    std::unique_ptr<juce::AudioPluginFormat> format;
    std::unique_ptr<juce::AudioPluginInstance> instance;
    juce::String description;
};
