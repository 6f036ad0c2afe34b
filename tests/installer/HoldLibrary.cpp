// Loads a DLL and keeps it loaded, as a host keeps a plug-in it has open, until a given file
// appears (or ten minutes pass). The installer's tests use it to hold Tavine.dll during an
// upgrade.
//
//   tavine_hold_library DLL RELEASE_FILE
//
// Prints "loaded" once the library is in, so the test knows when to go on.
#include <windows.h>

#include <cstdio>

int wmain (int argc, wchar_t** argv)
{
    if (argc != 3)
    {
        std::fprintf (stderr, "Usage: tavine_hold_library DLL RELEASE_FILE\n");
        return 2;
    }

    const HMODULE library = LoadLibraryW (argv[1]);

    if (library == nullptr)
    {
        std::fprintf (stderr, "%ls could not be loaded (error %lu)\n", argv[1], GetLastError());
        return 1;
    }

    std::printf ("loaded\n");
    std::fflush (stdout);

    for (int tenth = 0; tenth < 6000 && GetFileAttributesW (argv[2]) == INVALID_FILE_ATTRIBUTES; ++tenth)
        Sleep (100);

    FreeLibrary (library);
    return 0;
}
