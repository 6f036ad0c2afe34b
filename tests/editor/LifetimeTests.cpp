#include "editor/ZarivirAudioProcessorEditor.h"
#include "support/EditorProbe.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

// Hosts open and close instances and their windows all the time, while other instances keep
// playing. Run under LeakSanitizer (the sanitizer build), this must leak nothing; and the one
// shared look-and-feel must be gone once the last window is.
TEST (Lifetimes, TwoHundredInstancesWithWindowsWhileAnotherPlays)
{
    ZarivirAudioProcessor playing;
    playing.prepareToPlay (48000.0, 512);
    std::atomic<bool> stop { false };
    std::atomic<int> blocks { 0 };

    std::thread audio ([&] {
        juce::AudioBuffer<float> buffer (2, 512);
        juce::MidiBuffer midi;

        while (! stop)
        {
            for (int ch = 0; ch < 2; ++ch)
                for (int i = 0; i < 512; ++i)
                    buffer.setSample (ch, i, 0.3f * std::sin ((float) (blocks * 512 + i) * 0.05f));

            playing.processBlock (buffer, midi);
            ++blocks;
        }
    });

    juce::WeakReference<juce::LookAndFeel> firstLookAndFeel;

    for (int i = 0; i < 200; ++i)
    {
        auto processor = std::make_unique<ZarivirAudioProcessor>();
        processor->prepareToPlay (44100.0, 256);
        std::unique_ptr<juce::AudioProcessorEditor> editor (processor->createEditorIfNeeded());
        ASSERT_NE (editor, nullptr);

        if (auto* window = dynamic_cast<ZarivirAudioProcessorEditor*> (editor.get()))
        {
            window->tickTimers();

            if (i == 0)
                firstLookAndFeel = &tavine::EditorProbe::lookAndFeel (*window);
        }

        editor.reset();
        processor.reset();
    }

    stop = true;
    audio.join();

    EXPECT_GT (blocks.load(), 0);
    EXPECT_EQ (firstLookAndFeel.get(), nullptr);
}
