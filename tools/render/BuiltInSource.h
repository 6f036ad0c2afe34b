#pragma once

#include "PluginSource.h"
#include "plugin/ZarivirAudioProcessor.h"

/** Tavine's processor compiled into this program: the same source files as the plug-ins. */
class BuiltInSource : public PluginSource
{
public:
    BuiltInSource()
    {
        // A fixed noise floor makes a render repeatable: the same command gives the same file.
        processor.getEngine().setNoiseSeed (noiseSeed);
    }

    static constexpr juce::int64 noiseSeed = 0x7a76;

    ZarivirAudioProcessor* getBuiltInProcessor() noexcept override { return &processor; }
    juce::String getDescription() const override { return "the built-in processor"; }

protected:
    juce::AudioProcessor& getProcessor() noexcept override { return processor; }

private:
    ZarivirAudioProcessor processor;
};
