#include "StateFuzzCheck.h"

#include <gtest/gtest.h>

// Every seed of the state fuzzer, and every input that ever broke it, replayed in the ordinary
// suite: what once crashed stays fixed.
TEST (StateFuzzInputs, AllHold)
{
    int checked = 0;

    for (const auto* folder : { TAVINE_FUZZ_CORPUS_DIR, TAVINE_FUZZ_REGRESSIONS_DIR })
    {
        for (const auto& entry : juce::RangedDirectoryIterator (juce::File (folder), false, "*", juce::File::findFiles))
        {
            juce::MemoryBlock bytes;
            ASSERT_TRUE (entry.getFile().loadFileAsData (bytes));
            EXPECT_TRUE (test::checkStateBlock (static_cast<const std::uint8_t*> (bytes.getData()), bytes.getSize()))
                << entry.getFile().getFileName();
            ++checked;
        }
    }

    EXPECT_GT (checked, 20);
}
