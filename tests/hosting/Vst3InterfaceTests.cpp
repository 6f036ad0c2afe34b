// The built VST3 module's factory as a host scans it, through the bare interfaces. The class
// IDs are derived here from the VST2 identity by the rule that lets the VST3 build take the
// VST2 build's place in saved projects; they are not copied from the framework's code, so a
// change of name, code or rule in the build shows up here.

#include "PluginPaths.h"
#include "Vst3Module.h"

#include <pluginterfaces/base/ipluginbase.h>
#include <pluginterfaces/base/smartpointer.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace
{
    using namespace Steinberg;

    constexpr std::uint32_t wmTv = ('W' << 24) | ('m' << 16) | ('T' << 8) | 'v';

    /** The 32 hex digits of a class ID: three letters naming the role, the VST2 unique ID, and
        the first nine characters of the plug-in's name in lower case, padded with zeros. */
    std::string classIdFromVst2Identity (const char* role, std::uint32_t vst2Id, const std::string& name)
    {
        char digits[33] {};
        std::snprintf (digits, sizeof (digits), "%02X%02X%02X%08X", role[0], role[1], role[2], vst2Id);

        std::string result (digits);

        for (std::size_t i = 0; i < 9; ++i)
        {
            const auto c = i < name.size() ? std::tolower (static_cast<unsigned char> (name[i])) : 0;
            std::snprintf (digits, sizeof (digits), "%02X", static_cast<unsigned> (c));
            result += digits;
        }

        return result;
    }

    /** A class ID as hosts and preset files print and store it. On Linux the SDK's IDs are
        sixteen bytes in memory order, and that is what FUID::toString prints; on Windows they
        are COM GUIDs, whose first three fields sit in memory in the machine's byte order, and
        FUID::toString prints them in the GUID's own order. Both print the same 32 digits. */
    std::string printed (const TUID id)
    {
        char8 digits[33] {};
        FUID::fromTUID (id).toString (digits);
        return digits;
    }

#if ! defined(_WIN32)
    /** The sixteen bytes in memory order, which on Linux is the printed form as well. */
    std::string hexOf (const TUID id)
    {
        std::string result;
        char digits[3] {};

        for (int i = 0; i < 16; ++i)
        {
            std::snprintf (digits, sizeof (digits), "%02X", static_cast<unsigned> (static_cast<unsigned char> (id[i])));
            result += digits;
        }

        return result;
    }
#endif

    std::string narrow (const char16* text)
    {
        std::string result;

        for (; *text != 0; ++text)
            result += static_cast<char> (*text);

        return result;
    }

    class Vst3Interface : public testing::Test
    {
    protected:
        // One module load for the suite, with the entry and exit calls a host makes. The
        // library itself stays loaded, as hosts keep scanned modules.
        static void SetUpTestSuite()
        {
            module = std::make_unique<test::Vst3Module> (test::vst3ModulePath());
            entryAccepted = module->enter();
            factory = module->getFactory();
        }

        static void TearDownTestSuite()
        {
            factory = nullptr;
            module->exit();
        }

        void SetUp() override
        {
            ASSERT_TRUE (module->getLibrary().isLoaded()) << module->getLibrary().getError();
            ASSERT_TRUE (module->hasEntry()) << test::Vst3Module::entryName;
            ASSERT_TRUE (module->hasExit()) << test::Vst3Module::exitName;
            ASSERT_TRUE (entryAccepted);
            ASSERT_TRUE (factory != nullptr);
        }

        static inline std::unique_ptr<test::Vst3Module> module;
        static inline bool entryAccepted = false;
        static inline IPtr<IPluginFactory> factory;
    };

    constexpr const char* componentCategory = "Audio Module Class";
    constexpr const char* controllerCategory = "Component Controller Class";

    TEST_F (Vst3Interface, FactoryNamesTheVendorOnly)
    {
        PFactoryInfo info;
        ASSERT_EQ (factory->getFactoryInfo (&info), kResultOk);
        EXPECT_STREQ (info.vendor, "wemb");
        EXPECT_STREQ (info.url, "");
        EXPECT_STREQ (info.email, "");
        EXPECT_EQ (info.flags, PFactoryInfo::kUnicode);
    }

    TEST_F (Vst3Interface, OffersTheComponentAndItsController)
    {
        ASSERT_EQ (factory->countClasses(), 2);

        PClassInfo first, second;
        ASSERT_EQ (factory->getClassInfo (0, &first), kResultOk);
        ASSERT_EQ (factory->getClassInfo (1, &second), kResultOk);

        EXPECT_STREQ (first.category, componentCategory);
        EXPECT_STREQ (second.category, controllerCategory);

        for (const auto& info : { first, second })
        {
            EXPECT_STREQ (info.name, "Tavine");
            EXPECT_EQ (info.cardinality, PClassInfo::kManyInstances);
        }
    }

    TEST_F (Vst3Interface, DescribesEachClassInDetail)
    {
        const auto factory2 = test::queryInterface<IPluginFactory2> (*factory);
        const auto factory3 = test::queryInterface<IPluginFactory3> (*factory);
        ASSERT_TRUE (factory2 != nullptr);
        ASSERT_TRUE (factory3 != nullptr);

        for (int32 i = 0; i < factory->countClasses(); ++i)
        {
            SCOPED_TRACE (i);

            PClassInfo2 info;
            ASSERT_EQ (factory2->getClassInfo2 (i, &info), kResultOk);
            EXPECT_STREQ (info.name, "Tavine");
            EXPECT_STREQ (info.subCategories, "Fx");
            EXPECT_STREQ (info.vendor, "wemb");
            EXPECT_STREQ (info.version, "1.1.0");
            EXPECT_EQ (info.classFlags, 0u);
            EXPECT_EQ (info.cardinality, PClassInfo::kManyInstances);

            PClassInfoW wide;
            ASSERT_EQ (factory3->getClassInfoUnicode (i, &wide), kResultOk);
            EXPECT_EQ (narrow (wide.name), "Tavine");
            EXPECT_STREQ (wide.subCategories, "Fx");
            EXPECT_EQ (narrow (wide.vendor), "wemb");
            EXPECT_EQ (narrow (wide.version), "1.1.0");
            EXPECT_EQ (wide.classFlags, 0u);
        }
    }

    TEST_F (Vst3Interface, ClassIdsDeriveFromTheVst2Identity)
    {
        const auto componentId = classIdFromVst2Identity ("VST", wmTv, "Tavine");
        const auto controllerId = classIdFromVst2Identity ("VSE", wmTv, "Tavine");

        // Pinned as well, so that a slip in the derivation above cannot pass unnoticed.
        ASSERT_EQ (componentId, "565354576D5476746176696E65000000");
        ASSERT_EQ (controllerId, "565345576D5476746176696E65000000");

        for (int32 i = 0; i < factory->countClasses(); ++i)
        {
            PClassInfo info;
            ASSERT_EQ (factory->getClassInfo (i, &info), kResultOk);
            const auto isComponent = std::string (info.category) == componentCategory;

            // Preset files and hosts store the ID in this printed form.
            EXPECT_EQ (printed (info.cid), isComponent ? componentId : controllerId) << info.category;
#if ! defined(_WIN32)
            EXPECT_EQ (hexOf (info.cid), printed (info.cid));
#endif
        }
    }
} // namespace
