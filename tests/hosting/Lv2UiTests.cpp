// The plug-in's window as LV2 hosts embed it (Ardour, jalv, Qtractor): in an X11 window of the
// host's, sharing the plug-in instance (instance-access), with the host's write function for the
// control ports. The knobs' ports belong to the host, which shows and automates what they hold:
// whatever sets a knob while the window is open must reach them, and a value the host already
// holds must not be written back over the host's own next change.

#include "Lv2Ports.h"
#include "SharedLibrary.h"

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2.h>
#include <lv2/instance-access/instance-access.h>
#include <lv2/options/options.h>
#include <lv2/state/state.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// Last: Xlib defines macros (None, Bool, Status) that clash with names in the headers above.
#include <X11/Xlib.h>

namespace
{
    using namespace test::lv2;

    constexpr double sampleRate = 48000.0;
    constexpr uint32_t blockLength = 256;

    /** One plug-in instance as a host with every feature runs it, its control ports in buffers
        the host owns. */
    class HostedInstance
    {
    public:
        HostedInstance (const LV2_Descriptor& descriptorIn, UridMap& uridMap)
            : descriptor (descriptorIn)
            , features (uridMap, (int) blockLength)
            , handle (startInstance (descriptor, sampleRate, TAVINE_LV2_BUNDLE, features.get(), controls))
        {
            if (handle == nullptr)
                return;

            descriptor.connect_port (handle, audioInLeft, input.data());
            descriptor.connect_port (handle, audioInRight, input.data());
            descriptor.connect_port (handle, audioOutLeft, left.data());
            descriptor.connect_port (handle, audioOutRight, right.data());
            run();
        }

        ~HostedInstance() { stopInstance (descriptor, handle); }

        bool isValid() const noexcept { return handle != nullptr; }
        LV2_Handle getHandle() const noexcept { return handle; }

        void run() { descriptor.run (handle, blockLength); }

        /** The state as the host saves it with a session. */
        std::vector<std::pair<uint32_t, std::string>> store()
        {
            saved.clear();
            getStateInterface()->save (
                handle,
                [] (LV2_State_Handle h, uint32_t key, const void* value, size_t size, uint32_t, uint32_t) -> LV2_State_Status {
                static_cast<HostedInstance*> (h)->saved.emplace_back (key, std::string (static_cast<const char*> (value), size));
                return LV2_STATE_SUCCESS; },
                this,
                0,
                nullptr);
            return saved;
        }

        /** Restores a saved state, with the given string type, on the calling thread. */
        void restore (const std::vector<std::pair<uint32_t, std::string>>& state, uint32_t stringType)
        {
            toRestore = state;
            restoreType = stringType;
            getStateInterface()->restore (
                handle,
                [] (LV2_State_Handle h, uint32_t key, size_t* size, uint32_t* type, uint32_t* flags) -> const void* {
                auto& self = *static_cast<HostedInstance*> (h);

                for (const auto& [savedKey, value] : self.toRestore)
                {
                    if (savedKey == key)
                    {
                        *size = value.size();
                        *type = self.restoreType;
                        *flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
                        return value.data();
                    }
                }

                return nullptr; },
                this,
                0,
                nullptr);
        }

    private:
        const LV2_State_Interface* getStateInterface() const
        {
            return static_cast<const LV2_State_Interface*> (descriptor.extension_data (LV2_STATE__interface));
        }

        const LV2_Descriptor& descriptor;
        HostFeatures features;

    public:
        float controls[portCount] {};

    private:
        LV2_Handle handle;
        std::vector<float> input = std::vector<float> (blockLength), left = std::vector<float> (blockLength), right = std::vector<float> (blockLength);
        std::vector<std::pair<uint32_t, std::string>> saved, toRestore;
        uint32_t restoreType = 0;
    };

    class Lv2Ui : public testing::Test
    {
    protected:
        void SetUp() override
        {
            display = XOpenDisplay (nullptr);

            // Without a window manager a few of the window properties the plug-in's toolkit sets
            // are refused; hosts carry on, as this host does, rather than exit as Xlib would.
            XSetErrorHandler ([] (Display*, XErrorEvent*) { return 0; });

            if (display == nullptr)
                GTEST_SKIP() << "no X display (run under xvfb-run)";

            parent = XCreateSimpleWindow (display, DefaultRootWindow (display), 0, 0, 800, 600, 0, 0, 0);
            XMapWindow (display, parent);
            XFlush (display);

            library = std::make_unique<test::SharedLibrary> (TAVINE_LV2_BUNDLE "/libTavine.so");
            ASSERT_TRUE (library->isLoaded()) << library->getError();

            const auto pluginEntry = library->find<LV2_Descriptor_Function> ("lv2_descriptor");
            const auto uiEntry = library->find<LV2UI_DescriptorFunction> ("lv2ui_descriptor");
            ASSERT_TRUE (pluginEntry != nullptr && uiEntry != nullptr);
            plugin = pluginEntry (0);
            ui = uiEntry (0);
            ASSERT_TRUE (plugin != nullptr && ui != nullptr);
            ASSERT_EQ (std::string (plugin->URI), tavineUri);

            stringType = uridMap.map (LV2_ATOM__String);
        }

        void TearDown() override
        {
            if (display != nullptr)
            {
                XDestroyWindow (display, parent);
                XCloseDisplay (display);
            }
        }

        /** A saved state of the given knob values, as another instance saves it. */
        std::vector<std::pair<uint32_t, std::string>> stateWith (float redValue, float x2Value)
        {
            HostedInstance source (*plugin, uridMap);
            source.controls[red] = redValue;
            source.controls[x2] = x2Value;
            source.run();
            return source.store();
        }

        /** Opens the window on this thread, which becomes the UI's, and has the host tell it
            the value of every control port, as hosts do when a UI opens. */
        LV2UI_Handle openWindow (HostedInstance& instance)
        {
            instanceFeature = { LV2_INSTANCE_ACCESS_URI, instance.getHandle() };
            parentFeature = { LV2_UI__parent, (void*) (uintptr_t) parent };
            mapFeature = { LV2_URID__map, &uridMap.feature };
            touch = { this, [] (LV2UI_Feature_Handle h, uint32_t port, bool grabbed) {
                         static_cast<Lv2Ui*> (h)->touches.emplace_back (port, grabbed);
                     } };
            touchFeature = { LV2_UI__touch, &touch };
            const LV2_Feature* features[] { &instanceFeature, &parentFeature, &mapFeature, &touchFeature, nullptr };

            LV2UI_Widget widget = nullptr;
            auto* handle = ui->instantiate (
                ui,
                tavineUri,
                TAVINE_LV2_BUNDLE,
                [] (LV2UI_Controller c, uint32_t port, uint32_t size, uint32_t protocol, const void* buffer) {
                if (protocol == 0 && size == sizeof (float))
                    static_cast<Lv2Ui*> (c)->writes.emplace_back (port, *static_cast<const float*> (buffer)); },
                this,
                &widget,
                features);

            if (handle != nullptr)
                for (uint32_t port = red; port <= x2; ++port)
                    ui->port_event (handle, port, sizeof (float), 0, &instance.controls[port]);

            return handle;
        }

        void idle (LV2UI_Handle handle)
        {
            const auto* idleInterface = static_cast<const LV2UI_Idle_Interface*> (ui->extension_data (LV2_UI__idleInterface));
            ASSERT_NE (idleInterface, nullptr);

            for (int i = 0; i < 5; ++i)
                idleInterface->idle (handle);
        }

        /** What the host does with what the UI wrote: the ports take it, and the UI is told. */
        void applyWrites (HostedInstance& instance, LV2UI_Handle handle)
        {
            for (const auto& [port, value] : writes)
            {
                instance.controls[port] = value;
                ui->port_event (handle, port, sizeof (float), 0, &value);
            }

            writes.clear();
            instance.run();
        }

        Display* display = nullptr;
        Window parent = 0;
        std::unique_ptr<test::SharedLibrary> library;
        const LV2_Descriptor* plugin = nullptr;
        const LV2UI_Descriptor* ui = nullptr;
        UridMap uridMap;
        uint32_t stringType = 0;
        LV2_Feature instanceFeature {}, parentFeature {}, mapFeature {}, touchFeature {};
        LV2UI_Touch touch {};
        std::vector<std::pair<uint32_t, float>> writes;
        std::vector<std::pair<uint32_t, bool>> touches;
    };

    TEST_F (Lv2Ui, BringsTheHostsKnobPortsToTheValuesInForceAndLeavesTheHostsOwnChangesAlone)
    {
        HostedInstance instance (*plugin, uridMap);
        ASSERT_TRUE (instance.isValid());

        // A session restores its state while the window is closed; the host's ports still hold
        // the knobs' defaults (a session saved before the knobs were ports).
        instance.restore (stateWith (0.6f, 1.0f), stringType);
        instance.run();

        auto* window = openWindow (instance);
        ASSERT_NE (window, nullptr);
        idle (window);

        using Writes = std::vector<std::pair<uint32_t, float>>;
        EXPECT_EQ (writes, (Writes { { red, 0.6f }, { x2, 1.0f } })) << "the host's controls would show 0 where red is 0.6 and x2 on";
        applyWrites (instance, window);

        // The host's own slider: its value is in the port, and the UI is told, before the
        // plug-in has run; the window must not write the value it had back over it.
        instance.controls[red] = 0.3f;
        ui->port_event (window, red, sizeof (float), 0, &instance.controls[red]);
        idle (window);
        instance.run();
        idle (window);
        EXPECT_TRUE (writes.empty()) << "the window fought the host's own change, writing port " << writes.front().first;

        // Whatever sets a knob on the window's thread (the editor's mouse, keys and screen
        // reader, and a state restored while it is open) reaches the port at once, idle or not.
        instance.restore (stateWith (0.25f, 0.0f), stringType);
        EXPECT_EQ (writes, (Writes { { red, 0.25f }, { x2, 0.0f } }));

        // On its way the value passes back through the port; that must not undo a later change
        // the editor made meanwhile.
        const auto earlier = writes;
        writes.clear();
        instance.restore (stateWith (0.5f, 0.0f), stringType);
        const auto later = writes;
        EXPECT_EQ (later, (Writes { { red, 0.5f } }));

        writes = earlier;
        applyWrites (instance, window);
        writes = later;
        applyWrites (instance, window);
        idle (window);

        // Had the plug-in taken the earlier value for the host's, red would be 0.25 now, and the
        // window would write it to the host that holds 0.5.
        EXPECT_TRUE (writes.empty()) << "the port's late value for the editor's earlier change was taken for the host's";

        ui->cleanup (window);
    }
} // namespace
