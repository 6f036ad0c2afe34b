// libFuzzer target: any bytes as a saved state block, then saving and a processed block.
#include "StateFuzzCheck.h"

#include <juce_events/juce_events.h>

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    static const juce::ScopedJuceInitialiser_GUI juce;

    if (! test::checkStateBlock (data, size))
        std::abort();

    return 0;
}
