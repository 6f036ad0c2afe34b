#include "StateBlock.h"

#include <cctype>
#include <charconv>
#include <cstring>
#include <string>
#include <unordered_set>

namespace StateBlock
{
    namespace
    {
        // Our blocks are one element deep; a host never stores anything nested much deeper.
        constexpr int maximumNesting = 32;

        /** A strict check that text is one well-formed XML element, before the framework's
            parser sees it. That parser is lenient and has been brought down by damaged text:
            it recurses into nested elements until the stack runs out, expands entities from a
            document type definition, and loops for seconds over some malformed markup. Text
            that passes here is plain well-formed XML: an optional declaration, comments and
            processing instructions around one element, whose content is text, references,
            comments, processing instructions, CDATA and elements at most 32 deep. Document
            type definitions are refused, and so is text right after a processing instruction
            inside the element, which stalls that parser. */
        class WellFormedness
        {
        public:
            explicit WellFormedness (const std::string& textToCheck)
                : text (textToCheck)
            {
            }

            bool check()
            {
                skipMisc();

                if (! element (1))
                    return false;

                skipMisc();
                return ok && position == text.size();
            }

        private:
            const std::string& text;
            std::size_t position = 0;
            bool ok = true;

            char peek (std::size_t offset = 0) const { return position + offset < text.size() ? text[position + offset] : '\0'; }
            bool startsWith (const char* literal) const { return text.compare (position, std::strlen (literal), literal) == 0; }

            static bool isSpace (char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
            static bool isNameStart (char c) { return std::isalpha ((unsigned char) c) || c == '_' || c == ':' || (unsigned char) c >= 0x80; }
            static bool isNameChar (char c) { return isNameStart (c) || std::isdigit ((unsigned char) c) || c == '-' || c == '.'; }

            void skipSpace()
            {
                while (isSpace (peek()))
                    ++position;
            }

            // Skips to just past the terminator; fails when there is none.
            bool skipPast (const char* terminator)
            {
                const auto found = text.find (terminator, position);

                if (found == std::string::npos)
                    return ok = false;

                position = found + std::strlen (terminator);
                return true;
            }

            bool name (std::string* result = nullptr)
            {
                if (! isNameStart (peek()))
                    return ok = false;

                const auto start = position;

                while (isNameChar (peek()))
                    ++position;

                if (result != nullptr)
                    *result = text.substr (start, position - start);

                return true;
            }

            // A reference: &name; or &#digits; or &#xhex;
            bool reference()
            {
                ++position;

                if (peek() == '#')
                {
                    ++position;
                    const bool hex = peek() == 'x';
                    position += hex ? 1 : 0;
                    const auto start = position;

                    while (hex ? std::isxdigit ((unsigned char) peek()) : std::isdigit ((unsigned char) peek()))
                        ++position;

                    if (position == start)
                        return ok = false;
                }
                else if (! name())
                {
                    return false;
                }

                if (peek() != ';')
                    return ok = false;

                ++position;
                return true;
            }

            // Comments, processing instructions and white space outside the element.
            void skipMisc()
            {
                for (;;)
                {
                    skipSpace();

                    if (startsWith ("<?"))
                        skipPast ("?>");
                    else if (startsWith ("<!--"))
                        skipPast ("-->");
                    else
                        return;

                    if (! ok)
                        return;
                }
            }

            // Inside an element the framework's parser steps over a processing instruction only
            // as part of the white space before a tag. When text follows instead, it goes back to
            // the instruction to read the text from there, stops at once on its '<', and goes
            // round again for ever. So after an instruction in content, once white space, comments
            // and further instructions are passed, a tag (or CDATA, or the end tag) has to come.
            bool tagFollowsInstruction()
            {
                skipMisc();

                if (ok && peek() != '<')
                    ok = false;

                return ok;
            }

            bool attributeValue()
            {
                const char quote = peek();

                if (quote != '"' && quote != '\'')
                    return ok = false;

                ++position;

                while (peek() != quote)
                {
                    const char c = peek();

                    if (c == '\0' || c == '<')
                        return ok = false;

                    if (c == '&')
                    {
                        if (! reference())
                            return false;
                    }
                    else
                    {
                        ++position;
                    }
                }

                ++position;
                return true;
            }

            bool element (int depth)
            {
                if (depth > maximumNesting || peek() != '<')
                    return ok = false;

                ++position;
                std::string tag;

                if (! name (&tag))
                    return false;

                std::unordered_set<std::string> attributeNames;

                for (;;)
                {
                    const bool spaced = isSpace (peek());
                    skipSpace();

                    if (startsWith ("/>"))
                    {
                        position += 2;
                        return true;
                    }

                    if (peek() == '>')
                    {
                        ++position;
                        break;
                    }

                    std::string attribute;

                    if (! spaced || ! name (&attribute))
                        return ok = false;

                    // A repeated attribute makes the element ill-formed.
                    if (! attributeNames.insert (attribute).second)
                        return ok = false;
                    skipSpace();

                    if (peek() != '=')
                        return ok = false;

                    ++position;
                    skipSpace();

                    if (! attributeValue())
                        return false;
                }

                // Content, up to the matching end tag.
                for (;;)
                {
                    const char c = peek();

                    if (c == '\0')
                        return ok = false;

                    if (c == '&')
                    {
                        if (! reference())
                            return false;
                    }
                    else if (c != '<')
                    {
                        ++position;
                    }
                    else if (startsWith ("</"))
                    {
                        position += 2;
                        std::string closing;

                        if (! name (&closing) || closing != tag)
                            return ok = false;

                        skipSpace();

                        if (peek() != '>')
                            return ok = false;

                        ++position;
                        return true;
                    }
                    else if (startsWith ("<!--"))
                    {
                        if (! skipPast ("-->"))
                            return false;
                    }
                    else if (startsWith ("<![CDATA["))
                    {
                        if (! skipPast ("]]>"))
                            return false;
                    }
                    else if (startsWith ("<?"))
                    {
                        if (! skipPast ("?>") || ! tagFollowsInstruction())
                            return false;
                    }
                    else if (! element (depth + 1))
                    {
                        return false;
                    }
                }
            }
        };
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

        if (! WellFormedness (text.toStdString()).check())
            return {};

        juce::XmlDocument document (text);
        auto element = document.getDocumentElement();

        if (element == nullptr || document.getLastParseError().isNotEmpty())
            return {};

        return element;
    }
} // namespace StateBlock
