#pragma once

#include "engine/EffectEngine.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>

/** Tavine's audio processor: four parameters, the engine, and the saved state.

    The parameters are the only state a host stores. They are read once per block on the
    audio thread and turned into the engine's three stage amounts and its x2 flag.
*/
class ZarivirAudioProcessor : public juce::AudioProcessor
{
public:
    ZarivirAudioProcessor();
    ~ZarivirAudioProcessor() override;

    const juce::String getName() const override;
    void prepareToPlay (double sampleRate, int maximumExpectedSamplesPerBlock) override;
    void releaseResources() override;
    void processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midiMessages) override;
    using juce::AudioProcessor::processBlock;

    /** A host's bypass: the dry signal, delayed by the latency the host was told, so that the
        track stays where it is in the compensated mix and nothing stale plays on return. */
    void processBlockBypassed (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midiMessages) override;
    using juce::AudioProcessor::processBlockBypassed;

    double getTailLengthSeconds() const override;
    bool acceptsMidi() const override;
    bool producesMidi() const override;

    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override;

    int getNumPrograms() override;
    int getCurrentProgram() override;
    void setCurrentProgram (int index) override;
    const juce::String getProgramName (int index) override;
    void changeProgramName (int index, const juce::String& newName) override;

    void getStateInformation (juce::MemoryBlock& destData) override;
    void setStateInformation (const void* data, int sizeInBytes) override;

    /** The engine's stage amounts for the given knob positions: each knob drives its own stage
        with 90 % and leaks 5 % into each of the other two. */
    struct StageAmounts
    {
        float red, green, blue;
        bool x2;
    };

    static StageAmounts crossMix (float red, float green, float blue, float x2) noexcept;

    std::unique_ptr<juce::AudioProcessorValueTreeState> parameters;
    tavine::EffectEngine engine;

private:
    float readParameter (const char* parameterID) const noexcept;
    void runEngine (juce::AudioBuffer<float>& buffer, bool bypassed) noexcept;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ZarivirAudioProcessor)
};
