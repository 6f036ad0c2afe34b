// The editor hosts behind makeHeadlessEditor: each reaches past JUCE's hosted instance to the
// format's own interface, because JUCE builds a hosted editor only inside a window.

#include "HeadlessEditor.h"
#include "Vst3Module.h"

#include <pluginterfaces/base/funknown.h>
#include <pluginterfaces/base/smartpointer.h>
#include <pluginterfaces/gui/iplugview.h>
#include <pluginterfaces/gui/iplugviewcontentscalesupport.h>
#include <pluginterfaces/vst/ivstcomponent.h>
#include <pluginterfaces/vst/ivsteditcontroller.h>
#include <pluginterfaces/vst/ivstmessage.h>

#include <cstdint>

namespace test
{
    namespace
    {
        /** A VST3 editor is a view of an edit controller. The hosted instance keeps its
            controller to itself, so a second controller of the plug-in's class is connected to
            the hosted component, as a host connects one, and makes the view. Creating the view
            builds the plug-in's editor; releasing it destroys the editor. */
        class Vst3HeadlessEditor : public HeadlessEditor
        {
        public:
            explicit Vst3HeadlessEditor (juce::AudioPluginInstance& plugin)
            {
                struct ComponentFinder : juce::ExtensionsVisitor
                {
                    void visitVST3Client (const VST3Client& client) override { component = client.getIComponentPtr(); }
                    Steinberg::Vst::IComponent* component = nullptr;
                } finder;

                plugin.getExtensions (finder);

                if (finder.component == nullptr)
                    return;

                Steinberg::TUID controllerClass {};

                if (finder.component->getControllerClassId (controllerClass) != Steinberg::kResultOk)
                    return;

                // The module is loaded already; this only finds it again.
                const Vst3Module module (TAVINE_VST3_MODULE, SharedLibrary::Opening::findLoaded);
                const auto factory = module.getFactory();

                if (factory == nullptr)
                    return;

                void* created = nullptr;
                factory->createInstance (controllerClass, Steinberg::Vst::IEditController::iid, &created);
                controller = Steinberg::owned (static_cast<Steinberg::Vst::IEditController*> (created));

                if (controller == nullptr || controller->initialize (nullptr) != Steinberg::kResultOk)
                    return;

                componentPoint = queryInterface<Steinberg::Vst::IConnectionPoint> (*finder.component);
                controllerPoint = queryInterface<Steinberg::Vst::IConnectionPoint> (*controller);

                connected = componentPoint != nullptr && controllerPoint != nullptr && controllerPoint->connect (componentPoint) == Steinberg::kResultOk;
            }

            ~Vst3HeadlessEditor() override
            {
                close();

                if (connected)
                    controllerPoint->disconnect (componentPoint);

                controllerPoint = nullptr;
                componentPoint = nullptr;

                if (controller != nullptr)
                    controller->terminate();
            }

            bool open() override
            {
                if (! connected || view != nullptr)
                    return false;

                view = Steinberg::owned (controller->createView (Steinberg::Vst::ViewType::kEditor));
                return view != nullptr;
            }

            void close() override { view = nullptr; }

            juce::Rectangle<int> sizeForHost (float displayScale) override
            {
                if (view == nullptr)
                    return {};

                if (displayScale != 1.0f)
                {
                    Steinberg::IPlugViewContentScaleSupport* scaling = nullptr;

                    if (view->queryInterface (Steinberg::IPlugViewContentScaleSupport::iid, reinterpret_cast<void**> (&scaling)) != Steinberg::kResultOk || scaling == nullptr)
                        return {};

                    const auto applied = scaling->setContentScaleFactor (displayScale);
                    scaling->release();

                    if (applied != Steinberg::kResultTrue)
                        return {};
                }

                Steinberg::ViewRect rect;

                if (view->getSize (&rect) != Steinberg::kResultOk)
                    return {};

                return { rect.left, rect.top, rect.getWidth(), rect.getHeight() };
            }

        private:
            Steinberg::IPtr<Steinberg::Vst::IEditController> controller;
            Steinberg::IPtr<Steinberg::Vst::IConnectionPoint> componentPoint, controllerPoint;
            bool connected = false;
            Steinberg::IPtr<Steinberg::IPlugView> view;
        };

        /** A VST2 host asks for the editor's size before it opens a window; to answer, the
            plug-in builds its editor. Closing the editor destroys it. */
        class Vst2HeadlessEditor : public HeadlessEditor
        {
        public:
            explicit Vst2HeadlessEditor (juce::AudioPluginInstance& plugin)
            {
                struct EffectFinder : juce::ExtensionsVisitor
                {
                    void visitVSTClient (const VSTClient& client) override { effect = client.getAEffectPtr(); }
                    AEffect* effect = nullptr;
                } finder;

                plugin.getExtensions (finder);
                effect = reinterpret_cast<EffectRecord*> (finder.effect);
            }

            ~Vst2HeadlessEditor() override { close(); }

            bool open() override
            {
                if (effect == nullptr || isOpen)
                    return false;

                void* bounds = nullptr;
                effect->dispatcher (effect, editGetRect, 0, 0, &bounds, 0.0f);
                isOpen = bounds != nullptr;
                return isOpen;
            }

            // VST2 has no display scale of its own to give.
            juce::Rectangle<int> sizeForHost (float displayScale) override
            {
                if (! isOpen || displayScale != 1.0f)
                    return {};

                // The editor's rectangle: top, left, bottom, right, as 16-bit numbers.
                struct Rect
                {
                    std::int16_t top, left, bottom, right;
                };
                Rect* bounds = nullptr;
                effect->dispatcher (effect, editGetRect, 0, 0, &bounds, 0.0f);

                if (bounds == nullptr)
                    return {};

                return { bounds->left, bounds->top, bounds->right - bounds->left, bounds->bottom - bounds->top };
            }

            void close() override
            {
                if (isOpen)
                    effect->dispatcher (effect, editClose, 0, 0, nullptr, 0.0f);

                isOpen = false;
            }

        private:
            // The head of every VST2 effect record: the magic number, then the dispatcher. It and
            // two opcodes are all this needs, so the VST2 interface headers, and the notes their
            // authors left in them for the compiler, stay out of this program.
            struct EffectRecord
            {
                std::int32_t magic;
                std::intptr_t (*dispatcher) (EffectRecord*, std::int32_t, std::int32_t, std::intptr_t, void*, float);
            };

            static constexpr std::int32_t editGetRect = 13;
            static constexpr std::int32_t editClose = 15;

            EffectRecord* effect = nullptr;
            bool isOpen = false;
        };
    } // namespace

    std::unique_ptr<HeadlessEditor> makeHeadlessEditor (Format format, juce::AudioPluginInstance& plugin)
    {
        switch (format)
        {
            case Format::vst3:
                return std::make_unique<Vst3HeadlessEditor> (plugin);
            case Format::vst2:
                return std::make_unique<Vst2HeadlessEditor> (plugin);
            case Format::lv2:
                return nullptr;
        }

        return nullptr;
    }
} // namespace test
