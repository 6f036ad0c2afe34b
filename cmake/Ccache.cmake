# Rebuilding JUCE's modules takes minutes on a small machine; ccache makes repeated clean
# builds nearly free. The base directory makes the cached commands independent of where the
# checkout lives, so a fresh clone (as in CI) reuses what an earlier build compiled.
find_program (TAVINE_CCACHE ccache)

if (TAVINE_CCACHE AND NOT CMAKE_CXX_COMPILER_LAUNCHER)
    set (launcher "${CMAKE_COMMAND}" -E env "CCACHE_BASEDIR=${PROJECT_SOURCE_DIR}" CCACHE_NOHASHDIR=1 "${TAVINE_CCACHE}")
    set (CMAKE_C_COMPILER_LAUNCHER ${launcher})
    set (CMAKE_CXX_COMPILER_LAUNCHER ${launcher})
endif()
