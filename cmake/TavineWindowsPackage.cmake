# The zip a Windows user installs from: the VST3 bundle, the VST2 DLL, the standalone program,
# a short install note and the licence, texts with Windows line ends. `cmake --build <dir>
# --target tavine_windows_zip` makes it; tools/build-windows.sh does so after the tests.
set (TAVINE_WINDOWS_ZIP_NAME "Tavine-${PROJECT_VERSION}-windows-x64")
set (TAVINE_WINDOWS_ZIP "${PROJECT_BINARY_DIR}/${TAVINE_WINDOWS_ZIP_NAME}.zip")

set (zipTexts "${PROJECT_BINARY_DIR}/windows-zip-texts")
configure_file ("${PROJECT_SOURCE_DIR}/packaging/windows/INSTALL.txt" "${zipTexts}/INSTALL.txt" @ONLY NEWLINE_STYLE CRLF)
# The licence holds no @ signs, so reading it as a template changes only its line ends.
configure_file ("${PROJECT_SOURCE_DIR}/LICENSE" "${zipTexts}/LICENSE.txt" @ONLY NEWLINE_STYLE CRLF)

set (stage "${PROJECT_BINARY_DIR}/windows-zip/${TAVINE_WINDOWS_ZIP_NAME}")

file (MAKE_DIRECTORY "${PROJECT_BINARY_DIR}/windows-zip")

# Every file in the zip carries one date: today's, or that of SOURCE_DATE_EPOCH when it is set
# (tools/build-windows.sh sets it to the last commit's), so one commit gives one zip.
string (TIMESTAMP zipTime "%Y-%m-%d" UTC)
add_custom_command (
    OUTPUT "${TAVINE_WINDOWS_ZIP}"
    COMMAND "${CMAKE_COMMAND}" -E rm -rf "${stage}" "${TAVINE_WINDOWS_ZIP}.part"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${stage}/VST3" "${stage}/VST2" "${stage}/Standalone"
    COMMAND "${CMAKE_COMMAND}" -E copy_directory "$<TARGET_FILE_DIR:Tavine_VST3>/../.." "${stage}/VST3/Tavine.vst3"
    COMMAND "${CMAKE_COMMAND}" -E copy "$<TARGET_FILE:Tavine_VST>" "${stage}/VST2/"
    COMMAND "${CMAKE_COMMAND}" -E copy "$<TARGET_FILE:Tavine_Standalone>" "${stage}/Standalone/"
    COMMAND "${CMAKE_COMMAND}" -E copy "${zipTexts}/INSTALL.txt" "${zipTexts}/LICENSE.txt" "${stage}/"
    COMMAND "${CMAKE_COMMAND}" -E tar cf "${TAVINE_WINDOWS_ZIP}.part" --format=zip --mtime=${zipTime} "${TAVINE_WINDOWS_ZIP_NAME}"
    COMMAND "${CMAKE_COMMAND}" -E rename "${TAVINE_WINDOWS_ZIP}.part" "${TAVINE_WINDOWS_ZIP}"
    WORKING_DIRECTORY "${PROJECT_BINARY_DIR}/windows-zip"
    DEPENDS Tavine_VST3 Tavine_VST Tavine_Standalone "${zipTexts}/INSTALL.txt" "${zipTexts}/LICENSE.txt"
    COMMENT "Packing ${TAVINE_WINDOWS_ZIP_NAME}.zip"
    VERBATIM)

add_custom_target (tavine_windows_zip DEPENDS "${TAVINE_WINDOWS_ZIP}")
