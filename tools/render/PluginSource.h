#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <array>
#include <memory>

class ZarivirAudioProcessor;

/** The four knob positions, normalised as the parameters hold them. */
struct ParameterValues
{
    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;
    float x2 = 0.0f;
};

/** What the audio goes through: the processor compiled into this program, or a plug-in binary
    hosted as a host would load it. Either way it is an AudioProcessor, driven the same way:
    parameters set by name, prepared once, then handed one block after another. */
class PluginSource
{
public:
    virtual ~PluginSource() = default;

    /** The processor compiled into this program, from the same sources as the plug-ins. */
    static std::unique_ptr<PluginSource> createBuiltIn();

    /** A plug-in binary: a VST3 bundle, a VST2 library, an LV2 bundle or an LV2 URI. Null,
        with a one-line reason in `error`, when it cannot be loaded or is not Tavine. */
    static std::unique_ptr<PluginSource> createHosted (const juce::String& location, juce::String& error);

    /** Sets the four parameters. Fails when the processor lacks one of them. */
    juce::Result setParameters (const ParameterValues& values);

    /** Sets one parameter by its ID, as a host sets it for the next block. Fails when the
        processor lacks it. */
    juce::Result setParameter (const char* id, float value);

    /** Whether the blocks from the next on are bypassed, as a host bypasses a plug-in: through
        its own bypass parameter when it has one (a hosted binary's format always offers one),
        and its bypassed process call. */
    void setBypassed (bool shouldBeBypassed);

    /** Sets the channel layout and the sample rate, and learns the latency for that rate. */
    virtual juce::Result prepare (double sampleRate, int maximumBlockSize, int numChannels);

    /** Processes one block in place, bypassed or not as setBypassed() last said. */
    void process (juce::AudioBuffer<float>& block);

    /** The delay the processor reports for the prepared rate, in samples. */
    int getLatency() { return getProcessor().getLatencySamples(); }

    /** The compiled-in processor, whose engine and editor can be looked at; null for a hosted
        binary, whose insides are out of reach. */
    virtual ZarivirAudioProcessor* getBuiltInProcessor() noexcept { return nullptr; }

    /** What the audio went through, for messages. */
    virtual juce::String getDescription() const = 0;

protected:
    virtual juce::AudioProcessor& getProcessor() noexcept = 0;

private:
    void processInPlace (juce::AudioBuffer<float>& block);

    juce::MidiBuffer midi;
    bool bypassed = false;

    // Each parameter as found by its name, in the order of ParameterIds::all: automation sets
    // them for every block, where a search would compare every parameter's name each time.
    std::array<juce::AudioProcessorParameter*, 4> parameters {};

    // A mono file through a plug-in that only takes stereo (an LV2 plug-in has a fixed port
    // set): it runs in the left channel with silence in the right, as a host leaving the
    // second input unconnected would run it.
    bool monoThroughStereo = false;
    juce::AudioBuffer<float> stereoBlock;
};
