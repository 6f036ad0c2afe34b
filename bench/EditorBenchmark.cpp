// The editor's cost per tick of its 100 ms timers: the meter poll, the history panel's
// copy and conversion, and painting the whole window once, at a display scale of 1 and of 2
// (from the 2x artwork, four times the pixels). Run: build/bench/tavine_editor_bench
#include "editor/ZarivirAudioProcessorEditor.h"
#include "tests/support/EditorProbe.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

namespace
{
    // A processor that has played ten seconds of changing material, so the meters move and
    // the history is full.
    struct PlayedProcessor
    {
        ZarivirAudioProcessor processor;

        PlayedProcessor()
        {
            processor.prepareToPlay (48000.0, 480);
            juce::AudioBuffer<float> block (2, 480);
            juce::MidiBuffer midi;

            for (int n = 0; n < 1000; ++n)
            {
                for (int ch = 0; ch < 2; ++ch)
                    for (int i = 0; i < 480; ++i)
                        block.setSample (ch, i, (float) (std::sin ((n * 480 + i) * 0.03) * (0.2 + 0.2 * std::sin (n * 0.05))));

                processor.processBlock (block, midi);
            }
        }
    };

    void timerTick (benchmark::State& state)
    {
        PlayedProcessor played;
        ZarivirAudioProcessorEditor editor (played.processor);

        for (auto _ : state)
        {
            // What the two timers do every 100 ms; a meter that moved repaints its knob.
            tavine::EditorProbe::putRingLevel (tavine::EditorProbe::redKnob (editor), -1.0f);
            editor.tickTimers();
        }
    }

    // The argument is the display scale.
    void paintWindow (benchmark::State& state)
    {
        PlayedProcessor played;
        ZarivirAudioProcessorEditor editor (played.processor);
        editor.setZoom (1.0f, false);
        editor.tickTimers();
        const auto scale = (int) state.range (0);
        juce::Image image (juce::Image::ARGB, editor.getWidth() * scale, editor.getHeight() * scale, true);

        for (auto _ : state)
        {
            juce::Graphics g (image);
            g.addTransform (juce::AffineTransform::scale ((float) scale));
            editor.paintEntireComponent (g, true);
            benchmark::DoNotOptimize (image.getPixelAt (100, 100));
        }
    }

    void paintHistoryPanel (benchmark::State& state)
    {
        PlayedProcessor played;
        ZarivirAudioProcessorEditor editor (played.processor);
        auto& panel = tavine::EditorProbe::visualisation (editor);
        panel.timerCallback();
        juce::Image image (juce::Image::ARGB, panel.getWidth(), panel.getHeight(), true);

        for (auto _ : state)
        {
            juce::Graphics g (image);
            panel.paint (g);
            benchmark::DoNotOptimize (image.getPixelAt (100, 100));
        }
    }
} // namespace

int main (int argc, char** argv)
{
    const juce::ScopedJuceInitialiser_GUI juce;

    benchmark::RegisterBenchmark ("editor/timerTick", timerTick)->Unit (benchmark::kMicrosecond);
    benchmark::RegisterBenchmark ("editor/paintWindow", paintWindow)->Arg (1)->Arg (2)->Unit (benchmark::kMicrosecond);
    benchmark::RegisterBenchmark ("editor/paintHistoryPanel", paintHistoryPanel)->Unit (benchmark::kMicrosecond);

    benchmark::Initialize (&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
