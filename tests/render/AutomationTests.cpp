// Parameters moved during a render, as a host plays automation: the value each block gets,
// the setting the processor starts with, the bypass, the state saved at the end, and the same
// sound as the processor driven by hand.

#include "BatchRender.h"
#include "RenderTestSupport.h"

#include <sstream>

namespace
{
    // Blocks of 10 ms, and a latency of one block: with the latency compensated each block
    // starts 10 ms earlier in the output than in the processor, on a round time.
    constexpr double sampleRate = 51200.0;
    constexpr int samplesPerBlock = 512;
    constexpr int numSamples = 20 * samplesPerBlock;

    // A knob going up between two points, x2 switching on at its point (45 ms, between
    // bypasses, inside a block: the next block is the first with it on), and the bypass on at
    // the start, off by a jump, on again at its point, and off by a jump.
    // Red comes from the state, blue from --blue over the state.
    const juce::StringArray automatedSetting { "--block", "512", "--state", "plugin.state", "--blue", "0.6", "--save-state", "end.state", "--automate", "green:0.2@20ms,1@120ms", "--automate", "x2:off@0s,on@0.045", "--automate", "bypass:on@0s,on@15ms,off@15ms,on@75ms,on@150ms,off@150ms" };

    // Worked out by hand from the points for the blocks that start at -10, 0, 10 ... 190 ms
    // in the output: green, x2, and whether it is bypassed.
    const float greenByBlock[] = { 0.2f, 0.2f, 0.2f, 0.2f, 0.28f, 0.36f, 0.44f, 0.52f, 0.6f, 0.68f, 0.76f, 0.84f, 0.92f, 1, 1, 1, 1, 1, 1, 1, 1 };
    const float x2ByBlock[] = { 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1 };
    const bool bypassedByBlock[] = { 1, 1, 1, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0 };

    /** What the processor held when it was prepared, and for each block. */
    struct Recording
    {
        struct Block
        {
            ParameterValues values;
            bool bypassed;
        };

        ParameterValues atPrepare;
        std::vector<Block> blocks;
    };

    /** The processor, noting what it holds as it goes. */
    class RecordingProcessor : public ZarivirAudioProcessor
    {
    public:
        explicit RecordingProcessor (Recording& recordInto)
            : recording (recordInto)
        {
        }

        using ZarivirAudioProcessor::processBlock;
        using ZarivirAudioProcessor::processBlockBypassed;

        void prepareToPlay (double rate, int maximumBlockSize) override
        {
            ZarivirAudioProcessor::prepareToPlay (rate, maximumBlockSize);
            recording.atPrepare = held();
        }

        void processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override
        {
            recording.blocks.push_back ({ held(), false });
            ZarivirAudioProcessor::processBlock (buffer, midi);
        }

        void processBlockBypassed (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override
        {
            recording.blocks.push_back ({ held(), true });
            ZarivirAudioProcessor::processBlockBypassed (buffer, midi);
        }

    private:
        ParameterValues held()
        {
            const auto read = [this] (const char* id) { return getValueTreeState().getParameter (id)->getValue(); };
            return { read (ParameterIds::red), read (ParameterIds::green), read (ParameterIds::blue), read (ParameterIds::x2) };
        }

        Recording& recording;
    };

    class Automation : public testing::TestWithParam<bool>
    {
    };

    TEST_P (Automation, EachBlockGetsTheValuesAtItsStartInTheOutputAndSoundsSo)
    {
        const bool compensating = GetParam();
        test::ScratchFolder folder;
        const auto input = test::makeProgramme (2, numSamples, sampleRate);
        test::writeWav (folder["in.wav"], input, sampleRate);
        const auto state = test::stateSavedByThePlugin ({ 0.3f, 0.9f, 0.4f, 1.0f });
        folder["plugin.state"].replaceWithData (state.getData(), state.getSize());

        juce::StringArray arguments { "in.wav", "out.wav" };
        arguments.addArray (automatedSetting);

        if (! compensating)
            arguments.add ("--no-latency-compensation");

        Recording recording;
        test::JobWithSource job (test::parse (folder, arguments), [&recording] { return std::make_unique<test::SourceAround<RecordingProcessor>> ("the recording processor", recording); });
        ASSERT_EQ (job.run().getErrorMessage(), "");
        ASSERT_EQ (job.getLatency(), samplesPerBlock);

        // Before the first block the processor holds the setting at time 0, so that nothing
        // glides in: the state, --blue over it, and the lanes' first values over both.
        const ParameterValues atTimeZero { 0.3f, 0.2f, 0.6f, 0.0f };
        EXPECT_EQ (recording.atPrepare.red, atTimeZero.red);
        EXPECT_EQ (recording.atPrepare.green, atTimeZero.green);
        EXPECT_EQ (recording.atPrepare.blue, atTimeZero.blue);
        EXPECT_EQ (recording.atPrepare.x2, atTimeZero.x2);

        // With the latency compensated the render runs one block longer, and its first block
        // lies before the output's start.
        const std::size_t first = compensating ? 0 : 1;
        ASSERT_EQ (recording.blocks.size(), std::size (greenByBlock) - first);

        for (std::size_t k = 0; k < recording.blocks.size(); ++k)
        {
            const auto& [values, bypassed] = recording.blocks[k];
            SCOPED_TRACE (testing::Message() << "the block at " << ((int) (k + first) - 1) * 10 << " ms");
            EXPECT_EQ (values.red, 0.3f);
            EXPECT_EQ (values.blue, 0.6f);
            EXPECT_NEAR (values.green, greenByBlock[k + first], 1.0e-6f);
            EXPECT_NEAR (values.x2, x2ByBlock[k + first], 1.0e-6f);
            EXPECT_EQ (bypassed, bypassedByBlock[k + first]);
        }

        // Saved as the render leaves it, as a host saves after playing the file.
        juce::MemoryBlock saved;
        ASSERT_TRUE (folder["end.state"].loadFileAsData (saved));
        EXPECT_EQ (saved, test::stateSavedByThePlugin ({ 0.3f, 1.0f, 0.6f, 1.0f }));

        // The processor driven by hand from the same table sounds the same; held at the start's
        // setting it does not, or the agreement would prove nothing.
        const int padding = compensating ? samplesPerBlock : 0;
        const auto direct = test::processDirectly (input, sampleRate, atTimeZero, padding, samplesPerBlock, [first] (int k, ZarivirAudioProcessor& processor) {
            const auto row = (std::size_t) k + first;
            test::setKnobs (processor, { 0.3f, greenByBlock[row], 0.6f, x2ByBlock[row] });
            return bypassedByBlock[row];
        });
        const auto held = test::processDirectly (input, sampleRate, atTimeZero, padding, samplesPerBlock);
        const auto rendered = test::readAudio (folder["out.wav"]).samples;

        EXPECT_LT (test::maxDifference (rendered, test::slice (direct, padding, numSamples)), test::noiseTolerance);
        EXPECT_GT (test::maxDifference (rendered, test::slice (held, padding, numSamples)), 0.01f);
    }

    INSTANTIATE_TEST_SUITE_P (Latency,
                              Automation,
                              testing::Bool(),
                              [] (const auto& instance) { return std::string (instance.param ? "Compensated" : "NotCompensated"); });

    TEST (AutomationBatch, AutomatesEveryFileAsASingleRenderDoes)
    {
        test::ScratchFolder folder;
        test::writeWav (folder["a.wav"], test::makeProgramme (2, 12000, 44100.0), 44100.0);
        test::writeWav (folder["b.wav"], test::makeProgramme (1, 7000, 22050.0), 22050.0);
        const juce::StringArray setting { "--automate", "blue:0@0s,1@100ms", "--automate", "bypass:off@150ms,on@150ms" };

        auto batchArguments = setting;
        batchArguments.addArray ({ "--out-dir", "batch", "a.wav", "b.wav", "--jobs", "2" });
        BatchRender batch (test::parse (folder, batchArguments));
        std::ostringstream messages;
        ASSERT_TRUE (batch.plan().wasOk());
        ASSERT_EQ (batch.run (messages), 0) << messages.str();

        for (const auto* name : { "a.wav", "b.wav" })
        {
            auto single = setting;
            single.addArray ({ name, "single.wav", "-y" });
            ASSERT_EQ (test::render (folder, single), "");
            EXPECT_EQ (test::maxDifference (test::readAudio (folder["batch"].getChildFile (name)).samples, test::readAudio (folder["single.wav"]).samples), 0.0f) << name;
        }
    }
} // namespace
