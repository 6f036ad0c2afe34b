// The built plug-in binaries driven the way careless hosts drive plug-ins: sample rates switched
// at random, block lengths changing on every call, mono and stereo, automation from another
// thread, state saved and restored and editors opened and closed while audio runs, and input
// that no microphone produces. Every case starts from the same seed, so its rates, lengths and
// inputs repeat exactly from run to run.

#include "HeadlessEditor.h"
#include "HostingSupport.h"

#include <gtest/gtest.h>
#include <juce_audio_processors/juce_audio_processors.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <memory>
#include <mutex>
#include <numeric>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace
{
    using namespace test;

    constexpr juce::int64 sweepSeed = 0x54617669;

    const double sweepRates[] = { 8000.0, 11025.0, 12000.0, 16000.0, 22050.0, 44100.0, 48000.0, 88200.0, 96000.0, 176400.0, 192000.0, 384000.0 };
    const int sweepBlockSizes[] = { 0, 1, 2, 7, 64, 511, 4096, 4097, 8192, 65536 };
    constexpr int largestBlock = 65536;

    // Every prepare call announces the largest block of the sweep, so no block ever exceeds
    // what the plug-in was promised; the blocks themselves vary freely below that.
    constexpr int announcedBlockSize = largestBlock;

    // Long enough for the 80 Hz band-pass, the slowest stage (a time constant near 2 ms), to
    // ring down from full scale far below the noise floor.
    constexpr double settleSeconds = 0.05;

    // The noise floor of at most 1e-7, lifted by the stages' largest gains.
    constexpr float quietLevel = 1.0e-5f;

    // Generous enough for a sanitizer build on a busy machine; only a deadlock comes near it.
    constexpr juce::uint32 audioPhaseTimeoutMs = 60000;

    /** The delay the plug-in must apply after a prepare call at this rate: 512 samples per
        whole multiple of 44.1 kHz; a slower rate, or one the engine refuses, keeps the length
        it had. An LV2 host builds a fresh instance on every prepare call, so there the length
        it had is always a fresh instance's 512. */
    int expectedDelay (Format format, double sampleRate, int previousDelay)
    {
        const auto kept = format == Format::lv2 ? 512 : previousDelay;

        if (! std::isfinite (sampleRate) || sampleRate < 44100.0 || sampleRate > 1.0e6)
            return kept;

        return 512 * (int) (sampleRate / 44100.0);
    }

    /** Shuffles the items in place with draws from the sweep's generator, so that a run
        repeats. */
    template <typename Item>
    void shuffleWith (juce::Random& random, std::vector<Item>& items)
    {
        for (auto i = items.size() - 1; i > 0; --i)
            std::swap (items[i], items[(std::size_t) random.nextInt ((int) i + 1)]);
    }

    /** The block lengths in an order of their own that repeats no length twice in a row. */
    class BlockSizes
    {
    public:
        explicit BlockSizes (juce::Random& randomToUse)
            : random (randomToUse)
        {
            reshuffle();
        }

        int next()
        {
            if (position == order.size())
                reshuffle();

            const auto index = order[position++];
            ++usage[index];
            return sweepBlockSizes[index];
        }

        std::vector<int> usage = std::vector<int> (std::size (sweepBlockSizes), 0);

    private:
        void reshuffle()
        {
            const auto previous = order.empty() ? std::size (sweepBlockSizes) : order.back();
            order.resize (std::size (sweepBlockSizes));
            std::iota (order.begin(), order.end(), std::size_t { 0 });

            do
            {
                shuffleWith (random, order);
            } while (order.front() == previous);

            position = 0;
        }

        juce::Random& random;
        std::vector<std::size_t> order;
        std::size_t position = 0;
    };

    /** What the audio side saw go wrong; written by the audio thread, read after it joined. */
    struct Faults
    {
        void add (const std::string& fault)
        {
            const std::lock_guard<std::mutex> lock (mutex);

            if (list.size() < 10)
                list.push_back (fault);
        }

        std::vector<std::string> take()
        {
            const std::lock_guard<std::mutex> lock (mutex);
            return std::exchange (list, {});
        }

        std::mutex mutex;
        std::vector<std::string> list;
    };

    /** Runs the whole buffer through the processor in blocks of the sweep's lengths, as a
        host's audio thread would, and checks every sample that comes out: a NaN, an infinity or
        a denormal in the output would reach the host's mix and everything after it. */
    void renderInBlocks (juce::AudioProcessor& processor, juce::AudioBuffer<float>& audio, BlockSizes& sizes, Faults& faults, int& blocks)
    {
        juce::MidiBuffer midi;
        int start = 0;

        do
        {
            const auto length = juce::jmin (sizes.next(), audio.getNumSamples() - start);
            juce::AudioBuffer<float> block (audio.getArrayOfWritePointers(), audio.getNumChannels(), start, length);
            processor.processBlock (block, midi);
            ++blocks;
            start += length;
        } while (start < audio.getNumSamples());

        for (int channel = 0; channel < audio.getNumChannels(); ++channel)
        {
            for (int i = 0; i < audio.getNumSamples(); ++i)
            {
                const auto sample = audio.getSample (channel, i);

                if (! std::isfinite (sample) || std::fpclassify (sample) == FP_SUBNORMAL)
                {
                    faults.add ("output sample " + std::to_string (sample) + " at " + std::to_string (i) + " of channel " + std::to_string (channel));
                    return;
                }
            }
        }
    }

    enum class Input
    {
        silence,
        noise,
        dc,
        loneNaN,
        infinities,
        denormals
    };

    constexpr int numInputKinds = 6;

    const char* inputName (Input input)
    {
        switch (input)
        {
            case Input::silence:
                return "silence";
            case Input::noise:
                return "full-scale noise";
            case Input::dc:
                return "DC";
            case Input::loneNaN:
                return "a lone NaN";
            case Input::infinities:
                return "infinities";
            case Input::denormals:
                return "denormals";
        }

        return "";
    }

    void fill (juce::AudioBuffer<float>& audio, Input input, juce::Random& random)
    {
        const auto infinity = std::numeric_limits<float>::infinity();

        for (int channel = 0; channel < audio.getNumChannels(); ++channel)
        {
            auto* samples = audio.getWritePointer (channel);

            for (int i = 0; i < audio.getNumSamples(); ++i)
            {
                switch (input)
                {
                    case Input::noise:
                        samples[i] = random.nextFloat() * 2.0f - 1.0f;
                        break;
                    case Input::dc:
                        samples[i] = 1.0f;
                        break;
                    case Input::infinities:
                        samples[i] = i % 2 == 0 ? infinity : -infinity;
                        break;
                    case Input::denormals:
                        samples[i] = (i % 2 == 0 ? 1.0f : -1.0f) * std::numeric_limits<float>::denorm_min() * (float) (1 + i % 1000);
                        break;
                    case Input::silence:
                    case Input::loneNaN:
                        samples[i] = 0.0f;
                        break;
                }
            }
        }

        if (input == Input::loneNaN && audio.getNumSamples() > 0)
            audio.setSample (random.nextInt (audio.getNumChannels()), random.nextInt (audio.getNumSamples()), std::numeric_limits<float>::quiet_NaN());
    }

    std::vector<juce::AudioProcessorParameter*> knobsAndToggle (juce::AudioProcessor& processor)
    {
        std::vector<juce::AudioProcessorParameter*> result;

        for (const auto* name : parameterNames)
            if (auto* parameter = findParameter (processor, name))
                result.push_back (parameter);

        return result;
    }

    /** Moves the four parameters as host automation does, from a thread of its own, while the
        flag is up. Now and then the value is out of range or not a number, as from a host with
        a broken automation curve. */
    class Automation
    {
    public:
        explicit Automation (std::vector<juce::AudioProcessorParameter*> parametersToMove)
            : parameters (std::move (parametersToMove))
            , thread ([this] { run(); })
        {
        }

        ~Automation()
        {
            finished = true;
            thread.join();
        }

        std::atomic<bool> active { false };
        std::atomic<int> writes { 0 };

    private:
        void run()
        {
            juce::Random random (sweepSeed + 1);

            while (! finished)
            {
                if (! active || parameters.empty())
                {
                    std::this_thread::sleep_for (std::chrono::milliseconds (1));
                    continue;
                }

                const auto choice = random.nextInt (100);
                const auto value = choice == 0   ? std::numeric_limits<float>::quiet_NaN()
                                   : choice < 5  ? random.nextFloat() * 4.0f - 2.0f
                                   : choice < 30 ? (float) random.nextInt (2)
                                                 : random.nextFloat();
                parameters[(std::size_t) random.nextInt ((int) parameters.size())]->setValue (value);
                ++writes;
                std::this_thread::sleep_for (std::chrono::microseconds (200));
            }
        }

        std::vector<juce::AudioProcessorParameter*> parameters;
        std::atomic<bool> finished { false };
        std::thread thread;
    };

    /** One turn of the sweep: the rate and the channel count a host switches to. */
    struct Turn
    {
        double sampleRate;
        int numChannels;
    };

    /** The turn's rate and layout, for the failures that happen in it. */
    testing::Message describe (const Turn& turn)
    {
        return testing::Message() << turn.sampleRate << " Hz, " << (turn.numChannels == 1 ? "mono" : "stereo");
    }

    /** What a case put the plug-in through, for its report and its coverage checks. */
    struct Coverage
    {
        int rateChanges = 0;
        int blocks = 0;
        int monoTurns = 0;
        int stereoTurns = 0;
        int inputs[numInputKinds] {};
        int stateRestores = 0;
        int editorOpenings = 0;
    };

    /** A freshly loaded instance of one format, and the sweep's seeded generator, block lengths
        and fault list. Every case starts from the same seed, so its turns come in the same
        order and repeat exactly from run to run. */
    class AbuseSweep : public testing::TestWithParam<Format>
    {
    protected:
        void SetUp() override
        {
            plugin = loadPlugin (GetParam());
            ASSERT_NE (plugin, nullptr) << "could not load " << pluginLocation (GetParam());
        }

        /** Every rate twice, once in mono and once in stereo, in a shuffled order. */
        std::vector<Turn> shuffledTurns()
        {
            std::vector<Turn> turns;

            for (const auto rate : sweepRates)
                for (const auto numChannels : { 1, 2 })
                    turns.push_back ({ rate, numChannels });

            shuffleWith (random, turns);
            return turns;
        }

        /** Switches the plug-in to the turn's layout and rate, as a host does between two runs
            of its audio, and works out the delay it must apply from then on. */
        void switchTo (const Turn& turn)
        {
            plugin->releaseResources();

            // JUCE's LV2 host offers only the plug-in's own stereo layout; a mono host runs
            // the stereo instance with one channel and leaves the second ports unconnected.
            const auto layoutAccepted = plugin->setBusesLayout (layout (turn.numChannels, turn.numChannels));

            if (GetParam() != Format::lv2)
            {
                ASSERT_TRUE (layoutAccepted);
            }
            else if (! layoutAccepted)
            {
                ASSERT_TRUE (plugin->setBusesLayout (layout (2, 2)));
            }

            plugin->prepareToPlay (turn.sampleRate, announcedBlockSize);
            delay = expectedDelay (GetParam(), turn.sampleRate, delay);
            ++coverage.rateChanges;
            ++(turn.numChannels == 1 ? coverage.monoTurns : coverage.stereoTurns);
        }

        /** Silence until everything that came before has left the delay and the filters, then
            an impulse: it must come out after exactly the expected delay, and the host must
            report that same delay as the latency. */
        void checkImpulse (int expected, int numChannels)
        {
            const auto settle = (int) (plugin->getSampleRate() * settleSeconds);
            juce::AudioBuffer<float> flush (numChannels, expected + juce::jmax (settle, 8192));
            flush.clear();
            renderInBlocks (*plugin, flush, sizes, faults, coverage.blocks);

            auto audio = impulse (numChannels, 2 * expected + 1024);
            renderInBlocks (*plugin, audio, sizes, faults, coverage.blocks);

            EXPECT_EQ (latencyOnceReported (*plugin, expected), expected) << "reported latency";
            expectImpulseDelayedBy (audio, expected);
        }

        /** The audio side of one turn: every kind of input, each in a block of the next
            length; after a NaN or an infinity, silence, which must come out as silence once the
            delay and the filters' ring have passed. It keeps processing silence until the
            message thread has had its turn at the state and the editor, so those always overlap
            audio. It may run on an audio thread of its own: nothing else draws from the
            generator or the block lengths meanwhile. */
        void runAudioPhase (int numChannels, const std::atomic<bool>& messageSideDone)
        {
            std::vector<Input> kinds;

            for (int kind = 0; kind < numInputKinds; ++kind)
                kinds.push_back ((Input) kind);

            shuffleWith (random, kinds);

            juce::AudioBuffer<float> audio (numChannels, largestBlock);
            const auto settle = (int) (plugin->getSampleRate() * settleSeconds);

            for (const auto kind : kinds)
            {
                // One block of exactly the next length.
                const auto length = sizes.next();
                juce::AudioBuffer<float> block (audio.getArrayOfWritePointers(), numChannels, 0, length);
                fill (block, kind, random);
                juce::MidiBuffer midi;
                plugin->processBlock (block, midi);
                ++coverage.blocks;
                ++coverage.inputs[(int) kind];

                for (int channel = 0; channel < numChannels; ++channel)
                    for (int i = 0; i < length; ++i)
                    {
                        if (! std::isfinite (block.getSample (channel, i)))
                        {
                            faults.add (std::string ("non-finite output for ") + inputName (kind));
                            return;
                        }
                    }

                if (kind != Input::loneNaN && kind != Input::infinities)
                    continue;

                juce::AudioBuffer<float> recovery (numChannels, delay + 2 * settle);
                recovery.clear();
                renderInBlocks (*plugin, recovery, sizes, faults, coverage.blocks);

                for (int channel = 0; channel < numChannels; ++channel)
                    for (int i = delay + settle; i < recovery.getNumSamples(); ++i)
                    {
                        if (std::abs (recovery.getSample (channel, i)) > quietLevel)
                        {
                            faults.add (std::string ("silence after ") + inputName (kind) + " came out as " + std::to_string (recovery.getSample (channel, i)) + " at " + std::to_string (i) + " samples");
                            return;
                        }
                    }
            }

            const auto deadline = juce::Time::getMillisecondCounter() + audioPhaseTimeoutMs;
            juce::AudioBuffer<float> silence (numChannels, 64);

            while (! messageSideDone && juce::Time::getMillisecondCounter() < deadline)
            {
                silence.clear();
                renderInBlocks (*plugin, silence, sizes, faults, coverage.blocks);

                // At the pace of a real audio device rather than flat out.
                std::this_thread::sleep_for (std::chrono::milliseconds (1));
            }
        }

        /** Fails the case for everything the audio side saw go wrong since the last report. */
        void reportFaults()
        {
            for (const auto& fault : faults.take())
                ADD_FAILURE() << fault;
        }

        void recordTurns()
        {
            RecordProperty ("rateChanges", coverage.rateChanges);
            RecordProperty ("blocks", coverage.blocks);
            RecordProperty ("monoTurns", coverage.monoTurns);
            RecordProperty ("stereoTurns", coverage.stereoTurns);
        }

        /** A sweep that never fed some kind of input proves nothing about it. */
        void expectEveryInputKindFed()
        {
            RecordProperty ("fewestBlocksOfOneInputKind", *std::min_element (std::begin (coverage.inputs), std::end (coverage.inputs)));

            for (int kind = 0; kind < numInputKinds; ++kind)
                EXPECT_GT (coverage.inputs[kind], 0) << inputName ((Input) kind);
        }

        /** Nor one that never ran some block length, the empty block among them. */
        void expectEveryBlockLengthUsed()
        {
            RecordProperty ("fewestUsesOfOneBlockLength", *std::min_element (sizes.usage.begin(), sizes.usage.end()));

            for (std::size_t i = 0; i < std::size (sweepBlockSizes); ++i)
                EXPECT_GT (sizes.usage[i], 0) << sweepBlockSizes[i];
        }

        std::unique_ptr<juce::AudioPluginInstance> plugin;
        juce::Random random { sweepSeed };
        BlockSizes sizes { random };
        Faults faults;
        Coverage coverage;

        /** The delay the plug-in must apply now; a new instance starts at 44.1 kHz. */
        int delay = 512;
    };

    // A host switches rate and layout between runs, and hands over blocks of every length, the
    // empty block among them. After each switch an impulse must come out after exactly the
    // delay the new rate calls for, and the host must report that delay. The turns are one
    // sequence: a rate below 44.1 kHz keeps the delay the turn before it left.
    TEST_P (AbuseSweep, KeepsLatencyTrueAcrossRateAndLayoutChanges)
    {
        for (const auto& turn : shuffledTurns())
        {
            SCOPED_TRACE (describe (turn));
            ASSERT_NO_FATAL_FAILURE (switchTo (turn));
            checkImpulse (delay, turn.numChannels);
            reportFaults();
        }

        plugin->releaseResources();
        recordTurns();
        expectEveryBlockLengthUsed();
    }

    // Input that no microphone produces, at every rate in mono and stereo, each kind in one
    // block: the output stays finite (and the silence rendered after it free of denormals), and
    // after a NaN or an infinity the plug-in falls silent again once the delay and the filters'
    // ring have passed. Here on the test's own thread with nothing else going on, so a fault
    // repeats exactly.
    TEST_P (AbuseSweep, KeepsOutputFiniteAndFallsSilentAfterHostileInput)
    {
        const std::atomic<bool> noMessageSide { true };

        for (const auto& turn : shuffledTurns())
        {
            SCOPED_TRACE (describe (turn));
            ASSERT_NO_FATAL_FAILURE (switchTo (turn));
            runAudioPhase (turn.numChannels, noMessageSide);
            reportFaults();
        }

        plugin->releaseResources();
        recordTurns();
        expectEveryInputKindFed();
        expectEveryBlockLengthUsed();
    }

    // The careless host all at once: while the audio thread feeds hostile input and then
    // silence, automation moves the parameters from a thread of its own and the message thread
    // saves and restores the state and opens and closes the editor. These overlap on purpose:
    // a parameter change from the automation thread can meet the editor being built or torn
    // down or a state being restored, and all of it meets whatever the hostile input left
    // behind. Each turn opens with a rate change and an impulse, which shows that the turn
    // before left nothing wrong, so the turns stay one sequence.
    TEST_P (AbuseSweep, SurvivesAutomationStateRestoresAndEditorsWhileAudioRuns)
    {
        auto editor = makeHeadlessEditor (GetParam(), *plugin);
        Automation automation (knobsAndToggle (*plugin));
        ASSERT_EQ (automation.writes.load(), 0);

        for (const auto& turn : shuffledTurns())
        {
            SCOPED_TRACE (describe (turn));
            ASSERT_NO_FATAL_FAILURE (switchTo (turn));
            checkImpulse (delay, turn.numChannels);

            std::atomic<bool> messageSideDone { false }, audioDone { false };
            automation.active = true;

            std::thread audioThread ([&] {
                runAudioPhase (turn.numChannels, messageSideDone);
                audioDone = true;
            });

            // Meanwhile, on the message thread: the host saves and restores the state, and
            // opens and closes the editor, while pumping its messages.
            juce::MemoryBlock earlierState;
            plugin->getStateInformation (earlierState);

            for (int round = 0; round < 2 && ! audioDone; ++round)
            {
                juce::MemoryBlock state;
                plugin->getStateInformation (state);
                plugin->setStateInformation (earlierState.getData(), (int) earlierState.getSize());
                earlierState = state;
                ++coverage.stateRestores;

                if (editor != nullptr)
                {
                    if (editor->open())
                        ++coverage.editorOpenings;
                    else
                        ADD_FAILURE() << "the editor did not open";

                    // The editor's timers get a few turns before it goes again.
                    pumpMessagesFor (20);
                    editor->close();
                }
            }

            messageSideDone = true;

            if (! pumpMessagesUntil ([&] { return audioDone.load(); }, audioPhaseTimeoutMs))
            {
                // A host whose audio thread hangs is dead; so is this run.
                ADD_FAILURE() << "the audio thread did not finish within " << audioPhaseTimeoutMs << " ms: deadlock";
                std::abort();
            }

            audioThread.join();
            automation.active = false;
            reportFaults();

            EXPECT_EQ (plugin->getLatencySamples(), delay) << "latency after the abuse";
        }

        plugin->releaseResources();

        if (editor == nullptr)
            RecordProperty ("editors", "not opened: an LV2 editor needs an X11 parent window");

        recordTurns();
        RecordProperty ("automationWrites", automation.writes.load());
        RecordProperty ("stateRestores", coverage.stateRestores);
        RecordProperty ("editorOpenings", coverage.editorOpenings);
        expectEveryInputKindFed();
        expectEveryBlockLengthUsed();
    }

    // A host that passes a rate of 0, a negative rate, NaN or an absurd rate must not break the
    // instance: the set-up it had stays, latency included, and the audio is still right.
    TEST_P (AbuseSweep, KeepsItsSetUpWhenPreparedWithANonsenseRate)
    {
        const auto numChannels = plugin->getTotalNumOutputChannels();

        plugin->prepareToPlay (96000.0, announcedBlockSize);
        checkImpulse (1024, numChannels);

        for (const auto nonsense : { 0.0, -48000.0, std::numeric_limits<double>::quiet_NaN(), 1.0e12, std::numeric_limits<double>::infinity() })
        {
            SCOPED_TRACE (nonsense);
            plugin->releaseResources();
            plugin->prepareToPlay (nonsense, announcedBlockSize);
            checkImpulse (expectedDelay (GetParam(), nonsense, 1024), numChannels);
        }

        plugin->releaseResources();
        reportFaults();
    }

    INSTANTIATE_TEST_SUITE_P (Formats,
                              AbuseSweep,
                              testing::Values (Format::vst3, Format::vst2, Format::lv2),
                              [] (const auto& instance) { return formatLabel (instance.param); });
} // namespace
