// The built VST2 library as the plainest host meets it: loaded, VSTPluginMain, and the effect
// record and dispatcher, with no framework in between. What a host reads here is what saved
// projects, plug-in scanners and preset files depend on.

#include "PluginPaths.h"
#include "SharedLibrary.h"

#include <pluginterfaces/vst2.x/aeffectx.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace
{
    using PluginMain = AEffect* (*) (audioMasterCallback);

    constexpr int wmTv = ('W' << 24) | ('m' << 16) | ('T' << 8) | 'v';

    // The plug-in's reports that the user edited a parameter. Hosts mark the project as
    // modified on each (Qtractor's title says "[modified]").
    int automateCalls = 0;

    // Anything but the version query is answered with "don't know", as the simplest hosts do;
    // the plug-in must not depend on more.
    VstIntPtr VSTCALLBACK hostCallback (AEffect*, int opcode, int, VstIntPtr, void*, float)
    {
        if (opcode == audioMasterAutomate)
            ++automateCalls;

        return opcode == audioMasterVersion ? 2400 : 0;
    }

    /** A state block as the plug-in saves it: magic, text length, the XML text, a zero byte. */
    std::vector<char> stateBlock (const std::string& xml)
    {
        std::vector<char> block { 0x56, 0x43, 0x32, 0x21 };
        const auto length = static_cast<std::uint32_t> (xml.size());

        for (int shift = 0; shift < 32; shift += 8)
            block.push_back (static_cast<char> ((length >> shift) & 0xffu));

        block.insert (block.end(), xml.begin(), xml.end());
        block.push_back (0);
        return block;
    }

    class Vst2Interface : public testing::Test
    {
    protected:
        // The library stays loaded for the whole run: unloading a plug-in that has started
        // framework threads is not something real hosts do between instances either.
        static void SetUpTestSuite()
        {
            if (library == nullptr)
                library = std::make_unique<test::SharedLibrary> (test::vst2LibraryPath());
        }

        void SetUp() override
        {
            ASSERT_TRUE (library->isLoaded()) << library->getError();
            const auto entry = library->find<PluginMain> ("VSTPluginMain");
            ASSERT_NE (entry, nullptr);
            effect = entry (hostCallback);
            ASSERT_NE (effect, nullptr);
        }

        void TearDown() override
        {
            if (effect != nullptr)
                dispatch (effClose);
        }

        VstIntPtr dispatch (int opcode, int index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f)
        {
            return effect->dispatcher (effect, opcode, index, value, ptr, opt);
        }

        std::string text (int opcode, int index = 0)
        {
            char buffer[256] {};
            dispatch (opcode, index, 0, buffer);
            return buffer;
        }

        std::vector<char> chunk (bool forProgram)
        {
            void* data = nullptr;
            const auto size = dispatch (effGetChunk, forProgram ? 1 : 0, 0, &data);

            if (data == nullptr || size <= 0)
                return {};

            const auto* bytes = static_cast<const char*> (data);
            return { bytes, bytes + size };
        }

        void setChunk (bool forProgram, std::vector<char> block)
        {
            dispatch (effSetChunk, forProgram ? 1 : 0, static_cast<VstIntPtr> (block.size()), block.data());
        }

        bool acceptsArrangement (int numInputs, int numOutputs)
        {
            VstSpeakerArrangement inputs {}, outputs {};
            inputs.type = numInputs == 1 ? kSpeakerArrMono : kSpeakerArrStereo;
            inputs.numChannels = numInputs;
            outputs.type = numOutputs == 1 ? kSpeakerArrMono : kSpeakerArrStereo;
            outputs.numChannels = numOutputs;

            for (auto* arrangement : { &inputs, &outputs })
                for (int i = 0; i < arrangement->numChannels; ++i)
                    arrangement->speakers[i].type = arrangement->numChannels == 1 ? kSpeakerM : (i == 0 ? kSpeakerL : kSpeakerR);

            return dispatch (effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr> (&inputs), &outputs) != 0;
        }

        static inline std::unique_ptr<test::SharedLibrary> library;
        AEffect* effect = nullptr;
    };

    TEST_F (Vst2Interface, EffectRecordDescribesAStereoEffect)
    {
        EXPECT_EQ (effect->magic, kEffectMagic);
        EXPECT_EQ (effect->uniqueID, wmTv);
        EXPECT_EQ (effect->version, 110);
        EXPECT_EQ (effect->numInputs, 2);
        EXPECT_EQ (effect->numOutputs, 2);
        EXPECT_EQ (effect->numParams, 4);
        EXPECT_EQ (effect->numPrograms, 1);

        EXPECT_NE (effect->flags & effFlagsHasEditor, 0);
        EXPECT_NE (effect->flags & effFlagsCanReplacing, 0);
        EXPECT_NE (effect->flags & effFlagsProgramChunks, 0);
        EXPECT_EQ (effect->flags & effFlagsIsSynth, 0);
        EXPECT_EQ (effect->flags & effFlagsCanDoubleReplacing, 0);
        EXPECT_EQ (effect->flags & effFlagsNoSoundInStop, 0);

        EXPECT_NE (effect->processReplacing, nullptr);
    }

    TEST_F (Vst2Interface, AnswersIdentityQueries)
    {
        EXPECT_EQ (text (effGetEffectName), "Tavine");
        EXPECT_EQ (text (effGetProductString), "Tavine");
        EXPECT_EQ (text (effGetVendorString), "wemb");
        EXPECT_EQ (dispatch (effGetVendorVersion), 110);
        EXPECT_EQ (dispatch (effGetPlugCategory), 1);
        EXPECT_EQ (dispatch (effGetTailSize), 0);
        EXPECT_EQ (dispatch (effGetVstVersion), 2400);

        // Opcode 57 is the old keys-required query; fst leaves it at a placeholder value, so a
        // wrong number in our interface headers shows up here as a 0.
        static_assert (effKeysRequired == 57);
        EXPECT_EQ (dispatch (effKeysRequired), 1);
    }

    TEST_F (Vst2Interface, HasOneProgramWithAnEmptyName)
    {
        EXPECT_EQ (dispatch (effGetProgram), 0);
        EXPECT_EQ (text (effGetProgramName), "");

        char name[64] = "unchanged";
        dispatch (effGetProgramNameIndexed, 0, 0, name);
        EXPECT_STREQ (name, "");
    }

    TEST_F (Vst2Interface, ShowsTheParametersWithTheirTexts)
    {
        const char* names[] = { "red", "green", "blue", "x2" };

        for (int i = 0; i < 4; ++i)
        {
            EXPECT_EQ (text (effGetParamName, i), names[i]);
            EXPECT_EQ (text (effGetParamLabel, i), "");
            EXPECT_EQ (effect->getParameter (effect, i), 0.0f);
        }

        effect->setParameter (effect, 0, 0.25f);
        EXPECT_EQ (text (effGetParamDisplay, 0), "0.25");

        effect->setParameter (effect, 3, 0.49f);
        EXPECT_EQ (text (effGetParamDisplay, 3), "Off");
        effect->setParameter (effect, 3, 0.5f);
        EXPECT_EQ (text (effGetParamDisplay, 3), "On");
    }

    TEST_F (Vst2Interface, ChunkIsTheStateBlockForBankAndProgram)
    {
        const auto expected = stateBlock (R"(<ZARIVIR red="0" green="0" blue="0" x2="0"/>)");
        ASSERT_EQ (expected.size(), 53u);

        EXPECT_EQ (chunk (false), expected);
        EXPECT_EQ (chunk (true), expected);
    }

    TEST_F (Vst2Interface, SettingAChunkSetsTheParametersWithoutReportingAnEdit)
    {
        for (const bool forProgram : { false, true })
        {
            SCOPED_TRACE (forProgram ? "program chunk" : "bank chunk");
            const auto red = forProgram ? 0.25f : 0.5f;
            const auto automateCallsBefore = automateCalls;
            setChunk (forProgram, stateBlock (std::string ("<ZARIVIR red=\"") + (forProgram ? "0.25" : "0.5") + "\" green=\"0\" blue=\"1\" x2=\"1\"/>"));

            EXPECT_EQ (effect->getParameter (effect, 0), red);
            EXPECT_EQ (effect->getParameter (effect, 1), 0.0f);
            EXPECT_EQ (effect->getParameter (effect, 2), 1.0f);
            EXPECT_EQ (effect->getParameter (effect, 3), 1.0f);

            // Opening a project restores its state: the host must not take that for an edit.
            EXPECT_EQ (automateCalls, automateCallsBefore);
        }
    }

    TEST_F (Vst2Interface, AcceptsOnlyMatchingSpeakerArrangements)
    {
        EXPECT_TRUE (acceptsArrangement (1, 1));
        EXPECT_TRUE (acceptsArrangement (2, 2));
        EXPECT_FALSE (acceptsArrangement (1, 2));
        EXPECT_FALSE (acceptsArrangement (2, 1));
    }

    TEST_F (Vst2Interface, ProcessesAStereoBlock)
    {
        constexpr int blockSize = 512;
        constexpr int delay = 512;

        dispatch (effOpen);
        dispatch (effSetSampleRate, 0, 0, nullptr, 44100.0f);
        dispatch (effSetBlockSize, 0, blockSize);
        dispatch (effMainsChanged, 0, 1);

        // Two blocks: an impulse in the first comes out after the engine's delay, in the second.
        std::vector<float> input[2], output[2];

        for (int channel = 0; channel < 2; ++channel)
        {
            input[channel].assign (2 * blockSize, 0.0f);
            output[channel].assign (2 * blockSize, 1.0e6f);
            input[channel][0] = 1.0f;
        }

        for (int start = 0; start < 2 * blockSize; start += blockSize)
        {
            float* ins[] = { input[0].data() + start, input[1].data() + start };
            float* outs[] = { output[0].data() + start, output[1].data() + start };
            effect->processReplacing (effect, ins, outs, blockSize);
        }

        dispatch (effMainsChanged, 0, 0);

        for (int channel = 0; channel < 2; ++channel)
        {
            const auto& samples = output[channel];
            const auto peak = std::max_element (samples.begin(), samples.end(), [] (float a, float b) { return std::abs (a) < std::abs (b); });
            EXPECT_EQ (peak - samples.begin(), delay) << "channel " << channel;
            EXPECT_NEAR (*peak, 1.0f, 0.5f) << "channel " << channel;
        }
    }

    TEST_F (Vst2Interface, TakesARateSetWhileResumed)
    {
        // Audacity resumes a new instance at 44.1 kHz and then sets the clip's rate without
        // suspending it first. At 96 kHz the delay is 1024 frames, not 512.
        constexpr int blockSize = 512;

        dispatch (effOpen);
        dispatch (effSetSampleRate, 0, 0, nullptr, 44100.0f);
        dispatch (effSetBlockSize, 0, blockSize);
        dispatch (effMainsChanged, 0, 1);
        dispatch (effSetSampleRate, 0, 0, nullptr, 96000.0f);

        EXPECT_EQ (effect->initialDelay, 1024);

        std::vector<float> input (4 * blockSize, 0.0f), output (4 * blockSize, 1.0e6f);
        input[0] = 1.0f;

        for (int start = 0; start < 4 * blockSize; start += blockSize)
        {
            float* ins[] = { input.data() + start, input.data() + start };
            float* outs[] = { output.data() + start, output.data() + start };
            effect->processReplacing (effect, ins, outs, blockSize);
        }

        dispatch (effMainsChanged, 0, 0);

        const auto peak = std::max_element (output.begin(), output.end(), [] (float a, float b) { return std::abs (a) < std::abs (b); });
        EXPECT_EQ (peak - output.begin(), 1024);
    }

    struct CanDoCase
    {
        const char* query;
        int answer;
    };

    class Vst2CanDo : public Vst2Interface,
                      public testing::WithParamInterface<CanDoCase>
    {
    };

    TEST_P (Vst2CanDo, AnswersTheQuery)
    {
        std::string query = GetParam().query;
        EXPECT_EQ (dispatch (effCanDo, 0, 0, query.data()), GetParam().answer);
    }

    // No MIDI either way, and no opening or closing from any thread; time info, window rules
    // and bypass yes. Anything the plug-in does not know gets "don't know" (0), never a guess.
    INSTANTIATE_TEST_SUITE_P (Queries,
                              Vst2CanDo,
                              testing::Values (CanDoCase { "receiveVstEvents", -1 },
                                               CanDoCase { "receiveVstMidiEvent", -1 },
                                               CanDoCase { "receiveVstMidiEvents", -1 },
                                               CanDoCase { "sendVstEvents", -1 },
                                               CanDoCase { "sendVstMidiEvent", -1 },
                                               CanDoCase { "sendVstMidiEvents", -1 },
                                               CanDoCase { "receiveVstTimeInfo", 1 },
                                               CanDoCase { "conformsToWindowRules", 1 },
                                               CanDoCase { "bypass", 1 },
                                               CanDoCase { "openCloseAnyThread", -1 },
                                               CanDoCase { "MPE", 0 },
                                               CanDoCase { "offline", 0 },
                                               CanDoCase { "", 0 }),
                              [] (const auto& instance) { return std::string (*instance.param.query != 0 ? instance.param.query : "empty"); });
} // namespace
