// The built LV2 binary as the plainest hosts meet it: dlopen, lv2_descriptor and the port
// buffers, with no LV2 library in between. Hosts differ in what they hand a plug-in: Ardour and
// jalv give every feature it asks for, Audacity writes the block length as its native 8-byte
// size under atom:Int, lv2apply and ecasound give no features at all and connect only audio and
// control ports, ecasound setting every control by position. Tavine must run in each of them,
// and take its knobs from control ports.

#include "Lv2Ports.h"
#include "SharedLibrary.h"
#include "support/Signals.h"

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2.h>
#include <lv2/options/options.h>
#include <lv2/urid/urid.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace
{
    using namespace test::lv2;

    constexpr double sampleRate = 48000.0;
    constexpr int latency = 512; // at 48 kHz

    enum class Host
    {
        everyFeature,        // as Ardour and jalv
        sizeTypeBlockLength, // as Audacity
        noFeatures           // as lv2apply
    };

    std::string hostName (const testing::TestParamInfo<Host>& info)
    {
        switch (info.param)
        {
            case Host::everyFeature:
                return "EveryFeature";
            case Host::sizeTypeBlockLength:
                return "BlockLengthAsSizeType";
            case Host::noFeatures:
                return "NoFeatures";
        }

        return "Unknown";
    }

    /** One plug-in instance with every audio and control port connected to buffers of its
        own, and the atom ports left unconnected, as a host without atom support leaves them. */
    class Lv2Instance
    {
    public:
        Lv2Instance (const LV2_Descriptor& descriptorIn, const char* bundle, Host host, int maxBlockLength)
            : descriptor (descriptorIn)
            , features (uridMap, maxBlockLength, host == Host::sizeTypeBlockLength)
            , handle (startInstance (descriptor, sampleRate, bundle, host == Host::noFeatures ? nullptr : features.get(), controls))
        {
        }

        ~Lv2Instance() { stopInstance (descriptor, handle); }

        bool isValid() const noexcept { return handle != nullptr; }

        void setControl (Port port, float value) noexcept { controls[port] = value; }
        float getControl (Port port) const noexcept { return controls[port]; }

        /** Runs the input through in blocks of the given length; the same input in both
            channels. */
        std::vector<float> process (const std::vector<float>& input, int blockLength, int channel = 0)
        {
            std::vector<float> output[2] { std::vector<float> (input.size()), std::vector<float> (input.size()) };
            std::vector<float> in (input);

            for (size_t start = 0; start < input.size(); start += (size_t) blockLength)
            {
                const auto length = (uint32_t) std::min ((size_t) blockLength, input.size() - start);
                descriptor.connect_port (handle, audioInLeft, in.data() + start);
                descriptor.connect_port (handle, audioInRight, in.data() + start);
                descriptor.connect_port (handle, audioOutLeft, output[0].data() + start);
                descriptor.connect_port (handle, audioOutRight, output[1].data() + start);
                descriptor.run (handle, length);
            }

            return output[channel];
        }

    private:
        const LV2_Descriptor& descriptor;
        UridMap uridMap;
        HostFeatures features;
        float controls[portCount] {};
        LV2_Handle handle; // last: it is connected to everything above
    };

    std::vector<float> impulse (size_t length, size_t at)
    {
        std::vector<float> signal (length, 0.0f);
        signal[at] = 0.5f;
        return signal;
    }

    double largestDifference (const std::vector<float>& a, const std::vector<float>& b)
    {
        double largest = 0.0;

        for (size_t i = 0; i < a.size(); ++i)
            largest = std::max (largest, (double) std::abs (a[i] - b[i]));

        return largest;
    }

    class Lv2Interface : public testing::TestWithParam<Host>
    {
    protected:
        static void SetUpTestSuite()
        {
            if (library == nullptr)
                library = new test::SharedLibrary (TAVINE_LV2_BUNDLE "/libTavine.so");
        }

        void SetUp() override
        {
            ASSERT_TRUE (library->isLoaded()) << library->getError();
            const auto entry = library->find<LV2_Descriptor_Function> ("lv2_descriptor");
            ASSERT_NE (entry, nullptr);

            for (uint32_t i = 0; (descriptor = entry (i)) != nullptr; ++i)
                if (std::string (descriptor->URI) == tavineUri)
                    break;

            ASSERT_NE (descriptor, nullptr) << "no plug-in " << tavineUri << " in the library";
        }

        std::unique_ptr<Lv2Instance> instantiate (int maxBlockLength = 512)
        {
            auto instance = std::make_unique<Lv2Instance> (*descriptor, TAVINE_LV2_BUNDLE, GetParam(), maxBlockLength);
            EXPECT_TRUE (instance->isValid()) << "the plug-in refused to instantiate";
            return instance;
        }

        static inline test::SharedLibrary* library = nullptr; // kept loaded, as hosts keep plug-ins
        const LV2_Descriptor* descriptor = nullptr;
    };

    TEST_P (Lv2Interface, RunsWithTheAtomPortsUnconnectedAndReportsItsLatency)
    {
        auto instance = instantiate();
        ASSERT_TRUE (instance->isValid());

        const auto output = instance->process (impulse (4096, 1000), 256);

        EXPECT_EQ (instance->getControl (latencyOut), (float) latency);

        size_t loudest = 0;

        for (size_t i = 0; i < output.size(); ++i)
        {
            ASSERT_TRUE (std::isfinite (output[i])) << "at frame " << i;

            if (std::abs (output[i]) > std::abs (output[loudest]))
                loudest = i;
        }

        // Every knob at 0 leaves the sound as it was, one latency later.
        EXPECT_EQ (loudest, 1000u + latency);
        EXPECT_NEAR (output[loudest], 0.5f, 1.0e-5f);
    }

    TEST_P (Lv2Interface, TakesItsKnobsFromTheControlPorts)
    {
        // The green knob alone at 1 sets the green stage to 0.9 and red and blue to 0.05 each
        // (StageSetting::fromKnobs). Measured at 1 kHz: +1.19 dB, with x2 +2.32 dB.
        const auto input = test::sine (1000.0, sampleRate, 48000, 0.25f);
        const auto settled = (size_t) 24000;

        for (const auto& [doubled, expectedDb] : { std::pair { 0.0f, 1.19 }, std::pair { 1.0f, 2.32 } })
        {
            auto instance = instantiate();
            ASSERT_TRUE (instance->isValid());
            instance->setControl (green, 1.0f);
            instance->setControl (x2, doubled);

            const auto output = instance->process (input, 512);
            const auto gainDb = test::decibels (test::rms (output, settled, output.size()) / test::rms (input, settled, input.size()));
            EXPECT_NEAR (gainDb, expectedDb, 0.01) << "x2 at " << doubled;
        }
    }

    TEST_P (Lv2Interface, IgnoresANonFiniteControlValue)
    {
        const auto input = test::sine (80.0, sampleRate, 9600, 0.25f);

        auto reference = instantiate();
        auto instance = instantiate();
        ASSERT_TRUE (reference->isValid() && instance->isValid());

        instance->setControl (red, std::nanf (""));
        instance->setControl (blue, INFINITY);

        // The two instances' own noise floors (1e-7 each) are all that may differ.
        EXPECT_LT (largestDifference (reference->process (input, 512), instance->process (input, 512)), 1.0e-6);
    }

    TEST_P (Lv2Interface, ProcessesBlocksLongerThanAnnouncedLikeShortOnes)
    {
        // A host that sets no bound (lv2apply) or breaks the one it set: the plug-in gets more
        // frames in one call than it was prepared for, and must give what short blocks give.
        const auto input = test::sine (1000.0, sampleRate, 30000, 0.25f);

        auto whole = instantiate (256);
        auto sliced = instantiate (256);
        ASSERT_TRUE (whole->isValid() && sliced->isValid());

        for (auto* instance : { whole.get(), sliced.get() })
            instance->setControl (blue, 0.7f);

        EXPECT_LT (largestDifference (whole->process (input, (int) input.size()), sliced->process (input, 256)), 1.0e-6);
    }

    TEST_P (Lv2Interface, BypassesThroughTheEnabledPortOnlyForHostsThatKnowDesignations)
    {
        // ecasound gives no features and fills every control it is not given with 0, the
        // enabled port among them: there the port must not bypass the plug-in. Hosts with a URID
        // map (Ardour) bypass through it, one latency late as when processing.
        const auto input = test::sine (1000.0, sampleRate, 48000, 0.25f);
        const auto settled = (size_t) 24000;

        auto instance = instantiate();
        ASSERT_TRUE (instance->isValid());
        instance->setControl (green, 1.0f);
        instance->setControl (enabled, 0.0f);

        const auto output = instance->process (input, 512);
        const auto gainDb = test::decibels (test::rms (output, settled, output.size()) / test::rms (input, settled, input.size()));

        if (GetParam() == Host::noFeatures)
        {
            EXPECT_NEAR (gainDb, 1.19, 0.01) << "the enabled port bypassed a host without designations";
        }
        else
        {
            EXPECT_NEAR (gainDb, 0.0, 0.01) << "the enabled port did not bypass";
            EXPECT_LT (largestDifference (std::vector<float> (output.begin() + latency + 4800, output.end()),
                                          std::vector<float> (input.begin() + 4800, input.end() - latency)),
                       1.0e-5);
        }
    }

    INSTANTIATE_TEST_SUITE_P (Hosts,
                              Lv2Interface,
                              testing::Values (Host::everyFeature, Host::sizeTypeBlockLength, Host::noFeatures),
                              hostName);
} // namespace
