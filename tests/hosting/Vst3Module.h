#pragma once

// A VST3 module as a host meets it: the calls a host makes around the module's use, which differ
// between Linux and Windows, and the factory that every class comes from.

#include "SharedLibrary.h"

#include <pluginterfaces/base/ipluginbase.h>
#include <pluginterfaces/base/smartpointer.h>

namespace test
{
    class Vst3Module
    {
    public:
#if defined(_WIN32)
        static constexpr auto entryName = "InitDll";
        static constexpr auto exitName = "ExitDll";
#else
        static constexpr auto entryName = "ModuleEntry";
        static constexpr auto exitName = "ModuleExit";
#endif

        explicit Vst3Module (const char* path, SharedLibrary::Opening opening = SharedLibrary::Opening::load)
            : library (path, opening)
        {
        }

        const SharedLibrary& getLibrary() const noexcept { return library; }
        bool hasEntry() const noexcept { return library.find<EntryFunction> (entryName) != nullptr; }
        bool hasExit() const noexcept { return library.find<ExitFunction> (exitName) != nullptr; }

        /** The call a host makes once, before it asks for the factory; false if the module has
            no entry point or refuses. A host that found a module its framework had loaded
            leaves this to the framework. */
        bool enter() const
        {
            const auto entry = library.find<EntryFunction> (entryName);

            if (entry == nullptr)
                return false;

#if defined(_WIN32)
            return entry();
#else
            return entry (library.getHandle());
#endif
        }

        /** The call a host makes after the module's last use. */
        void exit() const
        {
            if (const auto exitFunction = library.find<ExitFunction> (exitName))
                exitFunction();
        }

        /** The module's factory, holding a reference of its own; null if there is none. */
        Steinberg::IPtr<Steinberg::IPluginFactory> getFactory() const
        {
            const auto getPluginFactory = library.find<GetFactoryProc> ("GetPluginFactory");

            if (getPluginFactory == nullptr)
                return {};

            return Steinberg::owned (getPluginFactory());
        }

    private:
#if defined(_WIN32)
        // Windows hosts call these without a handle.
        using EntryFunction = bool (PLUGIN_API*)();
        using ExitFunction = bool (PLUGIN_API*)();
#else
        // On Linux the module is given its own handle.
        using EntryFunction = bool (*) (void*);
        using ExitFunction = bool (*)();
#endif

        SharedLibrary library;
    };

    /** The object's interface of the given kind, holding a reference of its own; null if the
        object does not have it. */
    template <typename Interface>
    Steinberg::IPtr<Interface> queryInterface (Steinberg::FUnknown& object)
    {
        Interface* result = nullptr;

        if (object.queryInterface (Interface::iid, reinterpret_cast<void**> (&result)) != Steinberg::kResultOk)
            return {};

        return Steinberg::owned (result);
    }
} // namespace test
