#pragma once

// What the plain LV2 hosts of the tests share: the plug-in's URI, its ports as hosts know them,
// a URID map, the features a host hands over, and an instance's start and end.

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2.h>
#include <lv2/options/options.h>
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

    /** What a host with every feature hands a plug-in it instantiates: its URID map, the maximum
        block length as an option, and bounded block lengths. The length is an atom:Int of 4
        bytes, as LV2 defines it, or of 8, as Audacity writes its native size. */
    class HostFeatures
    {
    public:
        HostFeatures (UridMap& map, int maxBlockLength, bool blockLengthAsSizeType = false)
            : blockLength32 (maxBlockLength)
            , blockLength64 (maxBlockLength)
        {
            const auto key = map.map (LV2_BUF_SIZE__maxBlockLength), intType = map.map (LV2_ATOM__Int);

            if (blockLengthAsSizeType)
                options[0] = { LV2_OPTIONS_INSTANCE, 0, key, sizeof (blockLength64), intType, &blockLength64 };
            else
                options[0] = { LV2_OPTIONS_INSTANCE, 0, key, sizeof (blockLength32), intType, &blockLength32 };

            mapFeature.data = &map.feature;
        }

        // The list points into this object.
        HostFeatures (const HostFeatures&) = delete;
        HostFeatures& operator= (const HostFeatures&) = delete;

        const LV2_Feature* const* get() const noexcept { return list; }

    private:
        int32_t blockLength32;
        int64_t blockLength64;
        LV2_Options_Option options[2] {}; // the second, all zeros, ends the list
        LV2_Feature mapFeature { LV2_URID__map, nullptr };
        LV2_Feature optionsFeature { LV2_OPTIONS__options, options };
        LV2_Feature boundedFeature { LV2_BUF_SIZE__boundedBlockLength, nullptr };
        const LV2_Feature* list[4] { &mapFeature, &optionsFeature, &boundedFeature, nullptr };
    };

    /** Instantiates the plug-in with the features given (none at all for null, as lv2apply),
        connects every control port to the host's buffers with the plug-in enabled, and
        activates it. Null if the plug-in refused. */
    inline LV2_Handle startInstance (const LV2_Descriptor& descriptor,
                                     double sampleRate,
                                     const char* bundle,
                                     const LV2_Feature* const* features,
                                     float (&controls)[portCount])
    {
        const LV2_Feature* const noFeatures[] { nullptr };
        const auto handle = descriptor.instantiate (&descriptor, sampleRate, bundle, features != nullptr ? features : noFeatures);

        if (handle == nullptr)
            return nullptr;

        controls[enabled] = 1.0f;

        for (uint32_t port = 0; port < portCount; ++port)
            if (isControl (port))
                descriptor.connect_port (handle, port, &controls[port]);

        descriptor.activate (handle);
        return handle;
    }

    inline void stopInstance (const LV2_Descriptor& descriptor, LV2_Handle handle)
    {
        if (handle == nullptr)
            return;

        descriptor.deactivate (handle);
        descriptor.cleanup (handle);
    }
} // namespace test::lv2
