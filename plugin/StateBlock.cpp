#include "StateBlock.h"

#include <charconv>

namespace StateBlock
{
    namespace
    {
        // Our blocks are one element deep; a host never stores anything nested much deeper.
        constexpr int maximumNesting = 32;

        /** Guards the framework's XML parser against what could bring it down: it descends
            recursively into nested elements (thousands of levels exhaust the stack) and it
            expands entities declared in a document type definition (a few lines can expand
            to gigabytes). Neither belongs in a state block, so such text is refused outright. */
        bool isSafeToParse (const juce::String& text)
        {
            if (text.containsIgnoreCase ("<!DOCTYPE") || text.containsIgnoreCase ("<!ENTITY"))
                return false;

            int depth = 0;
            auto previous = (juce::juce_wchar) 0;

            for (auto p = text.getCharPointer(); ! p.isEmpty();)
            {
                const auto c = p.getAndAdvance();

                if (previous == '<')
                {
                    if (c == '/')
                        --depth;
                    else if (c != '?' && c != '!' && ++depth > maximumNesting)
                        return false;
                }
                else if (previous == '/' && c == '>')
                {
                    --depth;
                }

                previous = c;
            }

            return true;
        }
    } // namespace

    juce::String formatValue (float value)
    {
        // std::to_chars ignores the locale a host may have set for the whole process.
        char text[64] {};
        const auto result = std::to_chars (text, text + sizeof (text) - 1, (double) value, std::chars_format::general, 20);
        return juce::String (text, (size_t) (result.ptr - text));
    }

    juce::MemoryBlock write (const juce::XmlElement& element)
    {
        const auto text = element.toString (juce::XmlElement::TextFormat().singleLine().withoutHeader());
        const auto utf8 = text.toUTF8();
        const auto length = (juce::uint32) utf8.sizeInBytes() - 1;

        juce::MemoryOutputStream out;
        out.writeInt ((int) magicNumber);
        out.writeInt ((int) length);
        out.write (utf8.getAddress(), length);
        out.writeByte (0);
        return out.getMemoryBlock();
    }

    std::unique_ptr<juce::XmlElement> read (const void* data, int sizeInBytes)
    {
        if (data == nullptr || sizeInBytes <= 8 || juce::ByteOrder::littleEndianInt (data) != magicNumber)
            return {};

        const auto length = (int) juce::ByteOrder::littleEndianInt (juce::addBytesToPointer (data, 4));

        if (length <= 0)
            return {};

        const auto* bytes = static_cast<const char*> (data) + 8;
        const int textLength = juce::jmin (sizeInBytes - 8, length);

        // Text that is not valid UTF-8 is damage, not a state: and the framework's string
        // would walk past the end of a sequence that the data cuts short.
        if (! juce::CharPointer_UTF8::isValidString (bytes, textLength))
            return {};

        const auto text = juce::String::fromUTF8 (bytes, textLength);

        // The framework's parser accepts an opening tag that simply stops after an attribute,
        // as a block cut short in a damaged project does. Such a block must change nothing, so
        // the text has to end where an element ends.
        if (! text.trimEnd().endsWithChar ('>'))
            return {};

        if (! isSafeToParse (text))
            return {};

        juce::XmlDocument document (text);
        auto element = document.getDocumentElement();

        if (element == nullptr || document.getLastParseError().isNotEmpty())
            return {};

        return element;
    }
} // namespace StateBlock
