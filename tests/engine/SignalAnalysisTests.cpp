#include "engine/SignalAnalysis.h"
#include "support/EngineProbe.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace tavine;

namespace
{
    /** What one run of the analysis leaves behind. */
    struct Outcome
    {
        float red, green, blue;
        double longSum, shortSum, transient;
        juce::Array<float> levels;
        juce::Array<int> colours;

        bool operator== (const Outcome& other) const
        {
            return red == other.red && green == other.green && blue == other.blue && longSum == other.longSum && shortSum == other.shortSum && transient == other.transient && levels == other.levels && colours == other.colours;
        }
    };

    /** Analyses a signal in slices of the given length and reports the state at the end. */
    Outcome analyseInSlices (const std::vector<float>& left, const std::vector<float>* right, int sliceLength)
    {
        constexpr double rate = 44100.0;
        SignalAnalysis analysis;
        HistoryBuffer history (100.0, 0.025);
        analysis.prepare (rate);
        history.setSampleRate (rate);

        const int total = (int) left.size();

        for (int done = 0; done < total; done += sliceLength)
        {
            const int n = std::min (sliceLength, total - done);
            analysis.analyse (left.data() + done, right != nullptr ? right->data() + done : nullptr, n, 0.8f, history);
        }

        Outcome outcome { analysis.getRedMeter(), analysis.getGreenMeter(), analysis.getBlueMeter(), EngineProbe::longWindow (analysis).getSum(), EngineProbe::shortWindow (analysis).getSum(), EngineProbe::transientEnvelope (analysis).value, {}, {} };
        outcome.levels.resize (history.getLevelRing().getCapacity() - 1);
        outcome.colours.resize (history.getColourRing().getCapacity() - 1);
        history.getLevelRing().copyNewestFirst (outcome.levels, outcome.levels.size());
        history.getColourRing().copyNewestFirst (outcome.colours, outcome.colours.size());
        return outcome;
    }
} // namespace

// The passes between the recursions run over whole registers of a chunk; what they compute
// past a chunk's end must never reach the windows, the envelope, the meters or the history.
TEST (SignalAnalysis, SlicesOfAnyLengthLeaveTheSameMetersWindowsAndHistory)
{
    // Bursts of a tone over a quiet bed, so that the windows fill and empty and the
    // transients come and go.
    std::vector<float> left (30000), right (30000);

    for (std::size_t i = 0; i < left.size(); ++i)
    {
        const bool burst = (i / 4000) % 2 == 1;
        const float tone = burst ? 0.6f * (float) std::sin ((double) i * 0.05) : 0.0f;
        left[i] = tone + 1.0e-3f * (float) std::sin ((double) i * 0.37);
        right[i] = 0.8f * tone;
    }

    for (const bool stereo : { false, true })
    {
        const auto* other = stereo ? &right : nullptr;
        const Outcome whole = analyseInSlices (left, other, 4096);
        EXPECT_GT (whole.blue, 0.0f);
        EXPECT_GT (whole.levels[0], 0.0f);

        for (const int sliceLength : { 1, 3, 5, 511, 513, 1000 })
            EXPECT_TRUE (analyseInSlices (left, other, sliceLength) == whole) << (stereo ? "stereo" : "mono") << ", slices of " << sliceLength;
    }
}
