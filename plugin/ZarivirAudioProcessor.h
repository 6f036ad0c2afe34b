#pragma once

#include "engine/EffectEngine.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>

/** Tavine's audio processor: four parameters, the engine, and the saved state.

    The parameters are the only state a host stores. They are read once per block on the
    audio thread and handed to the engine as its stage setting.
*/
class ZarivirAudioProcessor : public juce::AudioProcessor
{
public:
    ZarivirAudioProcessor();
    ~ZarivirAudioProcessor() override;

    const juce::String getName() const override;
    void prepareToPlay (double sampleRate, int maximumExpectedSamplesPerBlock) override;
    void releaseResources() override;

    /** A host's reset, when it stops playing or jumps: the engine keeps its state, and the
        setting in force when playback starts again is taken at once rather than glided to. */
    void reset() override;
    void processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midiMessages) override;
    using juce::AudioProcessor::processBlock;

    /** A host's bypass: the dry signal, delayed by the latency the host was told, so that the
        track stays where it is in the compensated mix and nothing stale plays on return. */
    void processBlockBypassed (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midiMessages) override;
    using juce::AudioProcessor::processBlockBypassed;

    double getTailLengthSeconds() const override;
    bool acceptsMidi() const override;
    bool producesMidi() const override;

    /** Defined beside the editor (editor/ZarivirAudioProcessorEditor.cpp): the processor's
        own code never needs to know the window's. */
    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override;

    int getNumPrograms() override;
    int getCurrentProgram() override;
    void setCurrentProgram (int index) override;
    const juce::String getProgramName (int index) override;
    void changeProgramName (int index, const juce::String& newName) override;

    void getStateInformation (juce::MemoryBlock& destData) override;
    void setStateInformation (const void* data, int sizeInBytes) override;

    /** The container the editor attaches its controls to. */
    juce::AudioProcessorValueTreeState& getValueTreeState() noexcept { return *parameters; }

    /** The engine, whose meters and history the editor shows. */
    tavine::EffectEngine& getEngine() noexcept { return engine; }

private:
    void runEngine (juce::AudioBuffer<float>& buffer, bool bypassed) noexcept;

    // Declared in the order they are built; the engine goes first when the processor is deleted.
    std::unique_ptr<juce::AudioProcessorValueTreeState> parameters;
    tavine::EffectEngine engine;

    // The four parameters, found once: the audio thread reads them in every block, where a
    // look-up by name would search the container each time. They live as long as the processor.
    juce::RangedAudioParameter* redKnob = nullptr;
    juce::RangedAudioParameter* greenKnob = nullptr;
    juce::RangedAudioParameter* blueKnob = nullptr;
    juce::RangedAudioParameter* x2Toggle = nullptr;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ZarivirAudioProcessor)
};
