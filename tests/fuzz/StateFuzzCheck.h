#pragma once

#include "plugin/StateBlock.h"
#include "plugin/ZarivirAudioProcessor.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace test
{
    /** What must hold for any block a host or a damaged project hands to the processor:
        restoring it never crashes or hangs; a block that is refused changes nothing; every
        parameter stays finite and within 0..1; the audio that follows stays finite.
        Returns false (after printing what broke) when one of these does not hold. */
    inline bool checkStateBlock (const std::uint8_t* data, std::size_t size)
    {
        ZarivirAudioProcessor processor;
        const float start[] = { 0.1f, 0.2f, 0.3f, 0.4f };

        for (int i = 0; i < 4; ++i)
            processor.getParameters()[i]->setValueNotifyingHost (start[i]);

        juce::MemoryBlock before;
        processor.getStateInformation (before);

        const int sizeInBytes = (int) std::min<std::size_t> (size, (std::size_t) std::numeric_limits<int>::max());
        processor.setStateInformation (data, sizeInBytes);

        const bool accepted = StateBlock::read (data, sizeInBytes) != nullptr;
        juce::MemoryBlock after;
        processor.getStateInformation (after);

        if (! accepted && after != before)
        {
            std::fprintf (stderr, "a refused block changed the parameters\n");
            return false;
        }

        for (auto* parameter : processor.getParameters())
        {
            const float value = parameter->getValue();

            if (! std::isfinite (value) || value < 0.0f || value > 1.0f)
            {
                std::fprintf (stderr, "parameter %s is %g\n", parameter->getName (64).toRawUTF8(), (double) value);
                return false;
            }
        }

        // The saved state must read back to the same values.
        ZarivirAudioProcessor reloaded;
        reloaded.setStateInformation (after.getData(), (int) after.getSize());

        for (int i = 0; i < 4; ++i)
        {
            if (reloaded.getParameters()[i]->getValue() != processor.getParameters()[i]->getValue())
            {
                std::fprintf (stderr, "the state written after restoring does not read back\n");
                return false;
            }
        }

        // The audio that follows: longer than the delay, so that the restored setting, not
        // just the noise floor, reaches the output. It must be what `reloaded`, which loaded the
        // state saved after the restore, makes of the same input, up to the two instances' noise
        // floors lifted by the stages.
        const int numSamples = 2 * processor.getLatencySamples();
        juce::AudioBuffer<float> buffer (2, numSamples);

        for (int i = 0; i < numSamples; ++i)
        {
            buffer.setSample (0, i, std::sin ((float) i * 0.1f));
            buffer.setSample (1, i, std::cos ((float) i * 0.1f));
        }

        auto expected = buffer;
        juce::MidiBuffer midi;
        processor.processBlock (buffer, midi);
        reloaded.processBlock (expected, midi);

        for (int ch = 0; ch < 2; ++ch)
        {
            for (int i = 0; i < numSamples; ++i)
            {
                const float sample = buffer.getSample (ch, i);

                if (! std::isfinite (sample) || std::abs (sample - expected.getSample (ch, i)) > 1.0e-5f)
                {
                    std::fprintf (stderr, "the audio after restoring is %g at sample %d of channel %d, not %g\n", (double) sample, i, ch, (double) expected.getSample (ch, i));
                    return false;
                }
            }
        }

        // The signal itself came through, past the delay.
        if (buffer.getMagnitude (processor.getLatencySamples(), numSamples - processor.getLatencySamples()) < 0.5f)
        {
            std::fprintf (stderr, "the audio after restoring is silent past the delay\n");
            return false;
        }

        return true;
    }
} // namespace test
