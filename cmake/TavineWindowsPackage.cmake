# What a Windows user installs from, both made from one staged folder: the VST3 bundle, the
# VST2 DLL, the standalone program, a short install note and the licence, texts with Windows
# line ends.
#
#   tavine_windows_installer  Tavine-<version>-windows-x64-setup.exe, the setup program
#                             (packaging/windows/Setup.nsi, built with NSIS's makensis)
#   tavine_windows_zip        Tavine-<version>-windows-x64.zip, for installing by hand
#
# tools/build-windows.sh makes both; it builds the setup program before the tests, which
# install it under Wine.
set (TAVINE_WINDOWS_PACKAGE_NAME "Tavine-${PROJECT_VERSION}-windows-x64")
set (TAVINE_WINDOWS_ZIP "${PROJECT_BINARY_DIR}/${TAVINE_WINDOWS_PACKAGE_NAME}.zip")
set (TAVINE_WINDOWS_INSTALLER "${PROJECT_BINARY_DIR}/${TAVINE_WINDOWS_PACKAGE_NAME}-setup.exe")

set (zipTexts "${PROJECT_BINARY_DIR}/windows-zip-texts")
configure_file ("${PROJECT_SOURCE_DIR}/packaging/windows/INSTALL.txt" "${zipTexts}/INSTALL.txt" @ONLY NEWLINE_STYLE CRLF)
# The licence holds no @ signs, so reading it as a template changes only its line ends.
configure_file ("${PROJECT_SOURCE_DIR}/LICENSE" "${zipTexts}/LICENSE.txt" @ONLY NEWLINE_STYLE CRLF)

set (stage "${PROJECT_BINARY_DIR}/windows-zip/${TAVINE_WINDOWS_PACKAGE_NAME}")
set (staged "${PROJECT_BINARY_DIR}/windows-zip/staged")
set (TAVINE_WINDOWS_STAGE "${stage}")

file (MAKE_DIRECTORY "${PROJECT_BINARY_DIR}/windows-zip")

add_custom_command (
    OUTPUT "${staged}"
    COMMAND "${CMAKE_COMMAND}" -E rm -rf "${stage}"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${stage}/VST3" "${stage}/VST2" "${stage}/Standalone"
    COMMAND "${CMAKE_COMMAND}" -E copy_directory "$<TARGET_FILE_DIR:Tavine_VST3>/../.." "${stage}/VST3/Tavine.vst3"
    COMMAND "${CMAKE_COMMAND}" -E copy "$<TARGET_FILE:Tavine_VST>" "${stage}/VST2/"
    COMMAND "${CMAKE_COMMAND}" -E copy "$<TARGET_FILE:Tavine_Standalone>" "${stage}/Standalone/"
    COMMAND "${CMAKE_COMMAND}" -E copy "${zipTexts}/INSTALL.txt" "${zipTexts}/LICENSE.txt" "${stage}/"
    COMMAND "${CMAKE_COMMAND}" -E touch "${staged}"
    DEPENDS Tavine_VST3 Tavine_VST Tavine_Standalone "${zipTexts}/INSTALL.txt" "${zipTexts}/LICENSE.txt"
    COMMENT "Staging the Windows binaries"
    VERBATIM)

# Every file in the zip carries one date: today's, or that of SOURCE_DATE_EPOCH when it is set
# (tools/build-windows.sh sets it to the last commit's), so one commit gives one zip.
string (TIMESTAMP zipTime "%Y-%m-%d" UTC)
add_custom_command (
    OUTPUT "${TAVINE_WINDOWS_ZIP}"
    COMMAND "${CMAKE_COMMAND}" -E rm -f "${TAVINE_WINDOWS_ZIP}.part"
    COMMAND "${CMAKE_COMMAND}" -E tar cf "${TAVINE_WINDOWS_ZIP}.part" --format=zip --mtime=${zipTime} "${TAVINE_WINDOWS_PACKAGE_NAME}"
    COMMAND "${CMAKE_COMMAND}" -E rename "${TAVINE_WINDOWS_ZIP}.part" "${TAVINE_WINDOWS_ZIP}"
    WORKING_DIRECTORY "${PROJECT_BINARY_DIR}/windows-zip"
    DEPENDS "${staged}"
    COMMENT "Packing ${TAVINE_WINDOWS_PACKAGE_NAME}.zip"
    VERBATIM)

add_custom_target (tavine_windows_zip DEPENDS "${TAVINE_WINDOWS_ZIP}")

# The setup program stores no dates (see Setup.nsi), so it too depends on nothing but the commit.
# makensis writes beside the result first: a failed run leaves no setup program that looks whole.
find_program (TAVINE_MAKENSIS makensis)

if (TAVINE_MAKENSIS)
    set (nsisScript "${PROJECT_SOURCE_DIR}/packaging/windows/Setup.nsi")
    set (partial "${PROJECT_BINARY_DIR}/windows-zip/${TAVINE_WINDOWS_PACKAGE_NAME}-setup.part.exe")
    # What makensis is given, with @OUTFILE@ for the file it writes (the tests build it again).
    set (TAVINE_MAKENSIS_ARGUMENTS -WX "-DVERSION=${PROJECT_VERSION}" "-DSTAGE=${stage}" "-DOUTFILE=@OUTFILE@" "${nsisScript}")
    list (TRANSFORM TAVINE_MAKENSIS_ARGUMENTS REPLACE "@OUTFILE@" "${partial}" OUTPUT_VARIABLE nsisArguments)
    add_custom_command (
        OUTPUT "${TAVINE_WINDOWS_INSTALLER}"
        COMMAND "${CMAKE_COMMAND}" -E rm -f "${partial}"
        COMMAND "${TAVINE_MAKENSIS}" -V2 -NOCD ${nsisArguments}
        COMMAND "${CMAKE_COMMAND}" -E rename "${partial}" "${TAVINE_WINDOWS_INSTALLER}"
        DEPENDS "${staged}" "${nsisScript}"
        COMMENT "Building ${TAVINE_WINDOWS_PACKAGE_NAME}-setup.exe"
        VERBATIM)

    add_custom_target (tavine_windows_installer DEPENDS "${TAVINE_WINDOWS_INSTALLER}")
else()
    add_custom_target (tavine_windows_installer
        COMMAND "${CMAKE_COMMAND}" -E echo "makensis (Debian package nsis) was not found when the build was configured"
        COMMAND "${CMAKE_COMMAND}" -E false
        VERBATIM)
endif()
