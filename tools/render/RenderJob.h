#pragma once

#include "PluginSource.h"
#include "RenderOptions.h"

#include <functional>

/** One render from start to end: the setting, the input file, the processor or plug-in, the
    blocks, and the output files, all of which appear only when everything has succeeded. */
class RenderJob
{
public:
    explicit RenderJob (const RenderOptions& options);
    virtual ~RenderJob() = default;

    /** Where a render reports how far it has got, as the fraction of its input done. Without
        one, a render shows its own progress bar when that is wanted. */
    using Progress = std::function<void (double fraction)>;

    /** Runs the render. On failure the result holds a one-line message and no output file has
        been created or replaced. */
    juce::Result run (const Progress& progress = {});

    /** Refuses outputs that would write over the input or the state file (also through links)
        or that name one file twice. */
    static juce::Result checkOutputs (const RenderOptions& options);

    /** After a successful run: a line saying how many samples had to be clipped in an integer
        or compressed output, and by how much; empty when none were. */
    const juce::String& getClippingReport() const noexcept { return clippingReport; }

    /** For --demo: writes the built-in phrase into the demo folder as the input, and points the
        output, picture and meters there too, leaving alone any file given on the command line.
        Without a setting on the command line the demo uses red 0.6, green 0.5, blue 0.7. */
    static juce::Result prepareDemo (RenderOptions& options);

    /** The setting for the options: a state file first, then the knobs given on the command
        line, then the automated knobs at their value at `seconds` into the output; and the
        state block the plug-in would save for it. */
    static juce::Result resolveSetting (const RenderOptions& options, ParameterValues& values, juce::MemoryBlock& stateBlock, double seconds = 0.0);

    // What the last run did, for messages and tests.
    juce::String getSourceDescription() const { return sourceDescription; }
    int getLatency() const noexcept { return latency; }
    double getSampleRate() const noexcept { return sampleRate; }
    int getNumChannels() const noexcept { return numChannels; }
    juce::int64 getNumSamples() const noexcept { return numSamples; }

    /** The first sample index from `start` on at which any channel is not finite, or -1. */
    static int findNonFiniteSample (const juce::AudioBuffer<float>& block, int start) noexcept;

protected:
    /** What the audio goes through: the plug-in binary the options name, or the built-in
        processor. Null, with a one-line reason in `error`, when it cannot be had. */
    virtual std::unique_ptr<PluginSource> createSource (juce::String& error);

private:
    // The phases of run(), in order; each fails with a one-line message.
    struct Run;
    juce::Result checkRequest (Run& pass);
    juce::Result openInput (Run& pass);
    juce::Result claimOutputs (Run& pass);
    juce::Result startSource (Run& pass);
    juce::Result startWatching (Run& pass);
    juce::Result processInput (Run& pass, const Progress& progress);
    juce::Result commitOutputs (Run& pass);

    // One block of processInput(), and the saved state of commitOutputs().
    juce::Result automateBlock (Run& pass, juce::int64 position);
    juce::Result readBlock (Run& pass, juce::int64 position, int length, juce::AudioBuffer<float>& block);
    void processBlock (Run& pass, juce::AudioBuffer<float>& block, juce::AudioBuffer<float>& observerBlock);
    juce::Result writeBlock (Run& pass, juce::int64 position, const juce::AudioBuffer<float>& block);
    juce::Result writeState (Run& pass);

    RenderOptions options;
    juce::String sourceDescription;
    juce::String clippingReport;
    int latency = 0;
    double sampleRate = 0.0;
    int numChannels = 0;
    juce::int64 numSamples = 0;
};
