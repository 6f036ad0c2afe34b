#pragma once

#include <array>

/** The IDs of Tavine's four parameters. Hosts store automation and saved projects under them,
    the saved state keys each value by them, and each parameter's name as a host lists it is
    its ID: none of them may ever change. */
namespace ParameterIds
{
    inline constexpr const char* red = "red";
    inline constexpr const char* green = "green";
    inline constexpr const char* blue = "blue";
    inline constexpr const char* x2 = "x2";

    /** The three knobs, in the order of their stages and of their places in the window. */
    inline constexpr std::array<const char*, 3> knobs { red, green, blue };

    /** Every parameter, in the order of its index towards the host and of its attribute in the
        saved state. */
    inline constexpr std::array<const char*, 4> all { red, green, blue, x2 };
} // namespace ParameterIds
