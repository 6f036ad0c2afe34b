#include "DemoPhrase.h"
#include "EditorPicture.h"
#include "editor/EditorLayout.h"
#include "support/Images.h"

#include <gtest/gtest.h>

namespace
{
    constexpr double rate = 44100.0;
    constexpr int samplesPerTick = 4410; // 100 ms

    ZarivirAudioProcessor& prepared (ZarivirAudioProcessor& processor)
    {
        processor.setRateAndBufferSizeDetails (rate, samplesPerTick);
        processor.prepareToPlay (rate, samplesPerTick);
        processor.getEngine().setNoiseSeed (3);
        return processor;
    }

    /** A processor playing the demo phrase with its window open; every instance hears the same. */
    struct Watched
    {
        ZarivirAudioProcessor processor;
        EditorPicture picture { prepared (processor) };
        juce::AudioBuffer<float> phrase = makeDemoPhrase (rate, 1.0);
        int position = 0;

        /** Processes the next stretch of the phrase in one block, without telling the picture. */
        void play (int numSamples)
        {
            juce::AudioBuffer<float> block (phrase.getArrayOfWritePointers(), 2, position, numSamples);
            juce::MidiBuffer midi;
            processor.processBlock (block, midi);
            position += numSamples;
        }

        /** Processes the next stretch and tells the picture about it, as the programs do. */
        void playAndAdvance (int numSamples)
        {
            play (numSamples);
            picture.advance (numSamples);
        }
    };

} // namespace

TEST (EditorPicture, TicksWhenATenthOfASecondOfAudioHasGoneBy)
{
    Watched watched, untouched;

    // Blocks of 10 ms, as tavine_snapshot feeds them: one sample short of 100 ms nothing shows,
    // and the next sample brings the tick.
    for (int block = 0; block < 9; ++block)
        watched.playAndAdvance (441);

    watched.playAndAdvance (440);
    EXPECT_TRUE (test::sameImage (watched.picture.draw(), untouched.picture.draw())) << "ticked a sample early";

    watched.playAndAdvance (1);
    EXPECT_FALSE (test::sameImage (watched.picture.draw(), untouched.picture.draw())) << "no tick after 100 ms of a loud phrase";
}

TEST (EditorPicture, ALongBlockGivesOneTickAndTheCountCarriesOver)
{
    // One block of 200 ms is one tick at its end, as the next tick after a host delivered it.
    Watched longBlock, tickedByHand, tickedTwice;
    longBlock.playAndAdvance (2 * samplesPerTick);
    tickedByHand.play (2 * samplesPerTick);
    tickedByHand.picture.tick();
    tickedTwice.playAndAdvance (samplesPerTick);
    tickedTwice.playAndAdvance (samplesPerTick);

    EXPECT_TRUE (test::sameImage (longBlock.picture.draw(), tickedByHand.picture.draw()));
    EXPECT_FALSE (test::sameImage (longBlock.picture.draw(), tickedTwice.picture.draw())) << "the history's range moves with every tick";

    // What a long block leaves over its tick counts towards the next one.
    Watched carried, reference;
    carried.playAndAdvance (samplesPerTick + 3000);
    reference.play (samplesPerTick + 3000);
    reference.picture.tick();

    carried.playAndAdvance (samplesPerTick - 3000 - 1);
    reference.play (samplesPerTick - 3000 - 1);
    EXPECT_TRUE (test::sameImage (carried.picture.draw(), reference.picture.draw())) << "ticked before the leftover and the new audio made 100 ms";

    carried.playAndAdvance (1);
    reference.play (1);
    reference.picture.tick();
    EXPECT_TRUE (test::sameImage (carried.picture.draw(), reference.picture.draw())) << "no tick when they did";
}

TEST (EditorPicture, DrawsTheWholeWindowAsPng)
{
    Watched watched;
    watched.playAndAdvance (samplesPerTick);
    const auto image = watched.picture.draw();
    const auto png = EditorPicture::toPng (image);

    juce::MemoryInputStream stream (png, false);
    const auto decoded = juce::PNGImageFormat().decodeImage (stream);
    ASSERT_TRUE (decoded.isValid());
    EXPECT_EQ (decoded.getWidth(), EditorLayout::width);
    EXPECT_EQ (decoded.getHeight(), EditorLayout::height);
    EXPECT_EQ (decoded.getPixelAt (100, 100), image.getPixelAt (100, 100));
}
