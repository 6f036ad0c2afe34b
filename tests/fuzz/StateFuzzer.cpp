// libFuzzer target: any bytes as a saved state block, then saving and a processed block.
#include "StateFuzzCheck.h"

#include <juce_events/juce_events.h>

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    // Made once and never destroyed: libFuzzer leaves through exit(), after the framework's
    // own statics are gone, and tearing JUCE down then would free them a second time. The
    // pointer stays reachable, so it is no leak.
    static const auto* framework = new juce::ScopedJuceInitialiser_GUI();
    juce::ignoreUnused (framework);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    if (! test::checkStateBlock (data, size))
        std::abort();

    return 0;
}
