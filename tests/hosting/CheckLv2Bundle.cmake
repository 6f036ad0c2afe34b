# Reads the built LV2 bundle with Debian's lilv tools, as LV2 hosts will: the plug-in must be
# listed under its URI and describe itself under its name. The bundle's Turtle files must name
# the plug-in by that absolute URI: a relative subject would resolve against the bundle's
# location, and the plug-in would change identity with every install folder.
#
# Arguments: LV2LS, LV2INFO (the tools), BUNDLE (the .lv2 folder), URI (the plug-in's URI).

cmake_minimum_required (VERSION 3.22)

foreach (argument IN ITEMS LV2LS LV2INFO BUNDLE URI)
    if (NOT DEFINED ${argument})
        message (FATAL_ERROR "CheckLv2Bundle.cmake needs -D${argument}=...")
    endif()
endforeach()

get_filename_component (searchPath "${BUNDLE}" DIRECTORY)
set (ENV{LV2_PATH} "${searchPath}")

execute_process (COMMAND "${LV2LS}" RESULT_VARIABLE result OUTPUT_VARIABLE listed ERROR_VARIABLE errors)

if (NOT result EQUAL 0)
    message (FATAL_ERROR "lv2ls failed (${result}): ${errors}")
endif()

string (REPLACE "\n" ";" listed "${listed}")

if (NOT URI IN_LIST listed)
    message (FATAL_ERROR "lv2ls does not list ${URI}; it lists: ${listed}")
endif()

execute_process (COMMAND "${LV2INFO}" "${URI}" RESULT_VARIABLE result OUTPUT_VARIABLE info ERROR_VARIABLE errors)

if (NOT result EQUAL 0)
    message (FATAL_ERROR "lv2info ${URI} failed (${result}): ${errors}")
endif()

if (NOT info MATCHES "Name:[ \t]+Tavine\n")
    message (FATAL_ERROR "lv2info does not name the plug-in Tavine:\n${info}")
endif()

foreach (file IN ITEMS manifest.ttl dsp.ttl)
    file (READ "${BUNDLE}/${file}" turtle)

    if (NOT turtle MATCHES "\n<${URI}>\n[ \t]+")
        message (FATAL_ERROR "${file} does not describe the plug-in as <${URI}>")
    endif()

    # A relative IRI anywhere else would name something inside the install folder.
    string (REGEX MATCHALL "<[^>:]*>" relative "${turtle}")
    list (FILTER relative EXCLUDE REGEX "^<(libTavine\\.so|dsp\\.ttl|ui\\.ttl)>$")

    if (relative)
        message (FATAL_ERROR "${file} uses relative IRIs where absolute ones belong: ${relative}")
    endif()
endforeach()

message (STATUS "${URI} found in ${BUNDLE}")
