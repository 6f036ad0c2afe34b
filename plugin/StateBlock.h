#pragma once

#include <juce_core/juce_core.h>

#include <memory>

/** The block of bytes a host stores for Tavine: a magic number, the length of the text, one
    line of XML without declaration, and a zero byte.

    Hosts and saved projects depend on this layout byte for byte; it must never change.
*/
namespace StateBlock
{
    constexpr juce::uint32 magicNumber = 0x21324356;

    /** The root element's tag. Every project saved with Tavine carries it, so it keeps the name
        the plug-in has inside its code; reading accepts any tag. */
    inline constexpr const char* rootTag = "ZARIVIR";

    /** A parameter value as the block writes it: up to 20 significant digits, no trailing
        zeros, exponent form for very small values; always with a point, never a comma. */
    juce::String formatValue (float value);

    /** The block for an element. */
    juce::MemoryBlock write (const juce::XmlElement& element);

    /** The element a block holds, or null when the block is not a whole, well-formed one. */
    std::unique_ptr<juce::XmlElement> read (const void* data, int sizeInBytes);
} // namespace StateBlock
