// Prints a Windows binary's version resource as Explorer's Properties reads it, through
// Windows' own version API: the fixed file and product versions, then the strings, one
// "name: value" a line, for the installer's tests to compare.
//
//   tavine_version_info FILE
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <vector>

namespace
{
    void printFixedVersion (const char* name, DWORD high, DWORD low)
    {
        std::printf ("%s: %u.%u.%u.%u\n", name, unsigned { HIWORD (high) }, unsigned { LOWORD (high) }, unsigned { HIWORD (low) }, unsigned { LOWORD (low) });
    }
} // namespace

int wmain (int argc, wchar_t** argv)
{
    if (argc != 2)
    {
        std::fprintf (stderr, "Usage: tavine_version_info FILE\n");
        return 2;
    }

    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW (argv[1], &ignored);

    if (size == 0)
    {
        std::fprintf (stderr, "%ls has no version resource\n", argv[1]);
        return 1;
    }

    std::vector<char> block (size);

    if (! GetFileVersionInfoW (argv[1], 0, size, block.data()))
        return 1;

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;

    if (VerQueryValueW (block.data(), L"\\", reinterpret_cast<void**> (&fixed), &length) && fixed != nullptr)
    {
        printFixedVersion ("FixedFileVersion", fixed->dwFileVersionMS, fixed->dwFileVersionLS);
        printFixedVersion ("FixedProductVersion", fixed->dwProductVersionMS, fixed->dwProductVersionLS);
    }

    // The strings of the first language the resource lists, as Explorer shows them.
    struct Translation
    {
        WORD language, codePage;
    };
    Translation* translations = nullptr;

    if (! VerQueryValueW (block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**> (&translations), &length) || length < sizeof (Translation))
    {
        std::fprintf (stderr, "%ls lists no language\n", argv[1]);
        return 1;
    }

    for (const wchar_t* name : { L"CompanyName", L"FileDescription", L"FileVersion", L"ProductName", L"ProductVersion", L"LegalCopyright" })
    {
        wchar_t path[128];
        std::swprintf (path, 128, L"\\StringFileInfo\\%04x%04x\\%ls", translations->language, translations->codePage, name);
        wchar_t* value = nullptr;

        if (VerQueryValueW (block.data(), path, reinterpret_cast<void**> (&value), &length) && value != nullptr)
            std::printf ("%ls: %ls\n", name, value);
    }

    return 0;
}
