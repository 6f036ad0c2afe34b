# Our warning flags, for our own sources only. A target takes them by linking the interface
# target `tavine_warnings`:
#
#     target_link_libraries (my_target PRIVATE tavine_warnings)
#
# JUCE's module sources compile inside our targets too (they arrive as interface sources), and
# they are not written for these flags, so the flags cannot simply be the interface target's
# compile options: they go onto each of our source files. That happens once the whole project
# has been read (a deferred call at the end of the top-level folder), so a source added to a
# target after it linked `tavine_warnings`, in any folder, is flagged all the same.
set (TAVINE_WARNING_FLAGS
    -Wall
    -Wextra
    -Wshadow
    -Wconversion
    -Wsign-conversion
    -Wnon-virtual-dtor
    -Woverloaded-virtual
    -Wcast-align
    -Wunused
    -Wformat=2
    -Wimplicit-fallthrough)

if (TAVINE_WARNINGS_AS_ERRORS)
    list (APPEND TAVINE_WARNING_FLAGS -Werror)
endif()

add_library (tavine_warnings INTERFACE)

# JUCE's headers are somebody else's code: included as system headers, they stay quiet.
target_include_directories (tavine_warnings SYSTEM INTERFACE "${JUCE_MODULES_DIR}")

function (tavine_collect_targets folder result)
    get_property (targets DIRECTORY "${folder}" PROPERTY BUILDSYSTEM_TARGETS)
    get_property (subfolders DIRECTORY "${folder}" PROPERTY SUBDIRECTORIES)

    foreach (subfolder IN LISTS subfolders)
        tavine_collect_targets ("${subfolder}" more)
        list (APPEND targets ${more})
    endforeach()

    set (${result} ${targets} PARENT_SCOPE)
endfunction()

function (tavine_flag_warned_sources)
    tavine_collect_targets ("${PROJECT_SOURCE_DIR}" targets)

    foreach (target IN LISTS targets)
        get_target_property (type ${target} TYPE)

        if (type STREQUAL "INTERFACE_LIBRARY" OR type STREQUAL "UTILITY")
            continue()
        endif()

        get_target_property (linked ${target} LINK_LIBRARIES)

        if (NOT "tavine_warnings" IN_LIST linked)
            continue()
        endif()

        get_target_property (sources ${target} SOURCES)
        get_target_property (sourceDir ${target} SOURCE_DIR)

        foreach (source IN LISTS sources)
            if (NOT IS_ABSOLUTE "${source}")
                set (source "${sourceDir}/${source}")
            endif()

            if (source MATCHES "\\.(c|cc|cpp|cxx)$" AND NOT source MATCHES "^${JUCE_MODULES_DIR}")
                # A source may belong to several targets; flag each file once per folder.
                get_property (done SOURCE "${source}" TARGET_DIRECTORY ${target} PROPERTY TAVINE_WARNINGS_APPLIED)

                if (NOT done)
                    set_property (SOURCE "${source}" TARGET_DIRECTORY ${target} APPEND PROPERTY COMPILE_OPTIONS ${TAVINE_WARNING_FLAGS})
                    set_property (SOURCE "${source}" TARGET_DIRECTORY ${target} PROPERTY TAVINE_WARNINGS_APPLIED TRUE)
                endif()
            endif()
        endforeach()
    endforeach()
endfunction()

cmake_language (DEFER DIRECTORY "${PROJECT_SOURCE_DIR}" CALL tavine_flag_warned_sources)
