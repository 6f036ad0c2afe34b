# Our warning flags, for our own sources only. JUCE's module sources compile inside our
# targets too (they arrive as interface sources), and they are not written for these flags;
# so the flags go onto our source files, and JUCE's headers are included as system headers.
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

function (tavine_apply_warnings target)
    get_target_property (sources ${target} SOURCES)
    get_target_property (sourceDir ${target} SOURCE_DIR)

    foreach (source IN LISTS sources)
        if (NOT IS_ABSOLUTE "${source}")
            set (source "${sourceDir}/${source}")
        endif()

        if (source MATCHES "\\.(c|cc|cpp|cxx)$" AND NOT source MATCHES "^${JUCE_MODULES_DIR}")
            # A target may be given sources from several folders; flag each file once.
            get_property (done SOURCE "${source}" TARGET_DIRECTORY ${target} PROPERTY TAVINE_WARNINGS_APPLIED)

            if (NOT done)
                set_property (SOURCE "${source}" TARGET_DIRECTORY ${target} APPEND PROPERTY COMPILE_OPTIONS ${TAVINE_WARNING_FLAGS})
                set_property (SOURCE "${source}" TARGET_DIRECTORY ${target} PROPERTY TAVINE_WARNINGS_APPLIED TRUE)
            endif()
        endif()
    endforeach()

    target_include_directories (${target} SYSTEM PRIVATE "${JUCE_MODULES_DIR}")
endfunction()
