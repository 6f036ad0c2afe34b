#pragma once

// What the plain LV2 hosts of the tests share: the plug-in's URI, its ports as hosts know them,
// and a URID map.

#include <lv2/urid/urid.h>

#include <cstdint>
#include <map>
#include <string>

namespace test::lv2
{
    constexpr auto tavineUri = "https://wemb.audio/plugins/tavine";

    // The port indices that hosts know the plug-in's ports by: the knobs first, so that a host
    // that sets controls by position reaches them with the first values.
    enum Port : uint32_t
    {
        red,
        green,
        blue,
        x2,
        audioInLeft,
        audioInRight,
        audioOutLeft,
        audioOutRight,
        atomIn,
        atomOut,
        latencyOut,
        enabled,
        portCount
    };

    inline bool isControl (uint32_t port) { return port <= x2 || port >= latencyOut; }

    /** The host's URID map: every URI it is asked for gets the next number. */
    class UridMap
    {
    public:
        LV2_URID_Map feature { this, [] (LV2_URID_Map_Handle handle, const char* uri) -> LV2_URID {
                                  auto& known = static_cast<UridMap*> (handle)->urids;
                                  return known.emplace (uri, (LV2_URID) known.size() + 1).first->second;
                              } };

        LV2_URID map (const char* uri) { return feature.map (this, uri); }

    private:
        std::map<std::string, LV2_URID> urids;
    };
} // namespace test::lv2
