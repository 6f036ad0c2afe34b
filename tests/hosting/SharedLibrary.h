#pragma once

// A plug-in binary loaded as a bare host loads it: dlopen on Linux, LoadLibrary on Windows.

#include <algorithm>
#include <string>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace test
{
    class SharedLibrary
    {
    public:
        enum class Opening
        {
            /** Loads the library unless the process has it already. */
            load,

            /** Only finds the library among those the process has loaded, as a host's own
                code finds a module that its hosting framework loaded. */
            findLoaded
        };

        /** Opens the library for good: hosts keep scanned modules, and a plug-in that has
            started framework threads cannot be unloaded safely between tests either. */
        explicit SharedLibrary (const char* path, Opening opening = Opening::load)
        {
#if defined(_WIN32)
            const auto load = opening == Opening::load;

            // Windows looks up a loaded module by its path only as written with backslashes.
            std::string windowsPath (path);
            std::replace (windowsPath.begin(), windowsPath.end(), '/', '\\');
            handle = load ? LoadLibraryA (path) : GetModuleHandleA (windowsPath.c_str());

            if (handle == nullptr)
                error = std::string (load ? "LoadLibrary" : "GetModuleHandle") + " failed with error " + std::to_string (GetLastError());
#else
            handle = dlopen (path, RTLD_NOW | RTLD_LOCAL | (opening == Opening::findLoaded ? RTLD_NOLOAD : 0));

            if (handle == nullptr)
                error = opening == Opening::findLoaded ? std::string (path) + " is not loaded" : std::string (dlerror());
#endif
        }

        bool isLoaded() const noexcept { return handle != nullptr; }
        const std::string& getError() const noexcept { return error; }

        /** The module's own handle, as a VST3 module's Linux entry point is given it. */
        void* getHandle() const noexcept { return reinterpret_cast<void*> (handle); }

        template <typename Function>
        Function find (const char* name) const noexcept
        {
            if (handle == nullptr)
                return nullptr;

#if defined(_WIN32)
            return reinterpret_cast<Function> (reinterpret_cast<void*> (GetProcAddress (handle, name)));
#else
            return reinterpret_cast<Function> (dlsym (handle, name));
#endif
        }

    private:
#if defined(_WIN32)
        HMODULE handle = nullptr;
#else
        void* handle = nullptr;
#endif
        std::string error;
    };
} // namespace test
