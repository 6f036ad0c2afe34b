#pragma once

#include <cstdlib>

namespace test
{
    /** The plug-in binaries under test: those this build made, unless the environment names
        others. The installer's tests set TAVINE_TEST_VST3_MODULE and TAVINE_TEST_VST2_LIBRARY
        to host the plug-ins from where the setup program put them. */
    inline const char* pathFromEnvironment (const char* variable, const char* builtPath)
    {
        const char* path = std::getenv (variable);
        return path != nullptr && *path != '\0' ? path : builtPath;
    }

    inline const char* vst3ModulePath()
    {
        return pathFromEnvironment ("TAVINE_TEST_VST3_MODULE", TAVINE_VST3_MODULE);
    }

    inline const char* vst2LibraryPath()
    {
        return pathFromEnvironment ("TAVINE_TEST_VST2_LIBRARY", TAVINE_VST2_LIBRARY);
    }
} // namespace test
