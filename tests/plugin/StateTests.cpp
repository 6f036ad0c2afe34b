#include "plugin/ZarivirAudioProcessor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
    void setAll (ZarivirAudioProcessor& processor, float red, float green, float blue, float x2)
    {
        const float values[] = { red, green, blue, x2 };

        for (int i = 0; i < 4; ++i)
            processor.getParameters()[i]->setValueNotifyingHost (values[i]);
    }

    std::vector<float> valuesOf (ZarivirAudioProcessor& processor)
    {
        std::vector<float> values;

        for (auto* p : processor.getParameters())
            values.push_back (p->getValue());

        return values;
    }

    // A state block around any text, with a length field that may disagree with it.
    juce::MemoryBlock blockWith (const std::string& text, int lengthField, bool zeroByte = true)
    {
        juce::MemoryBlock block;
        block.append ("\x56\x43\x32\x21", 4);
        const auto length = juce::ByteOrder::swapIfBigEndian ((juce::uint32) lengthField);
        block.append (&length, 4);
        block.append (text.data(), text.size());

        if (zeroByte)
            block.append ("", 1);

        return block;
    }

    juce::MemoryBlock blockWith (const std::string& text)
    {
        return blockWith (text, (int) text.size());
    }

    std::string textOf (const juce::MemoryBlock& block)
    {
        return std::string (static_cast<const char*> (block.getData()) + 8, block.getSize() - 9);
    }

    struct ChangeCounter : juce::AudioProcessorListener
    {
        void audioProcessorParameterChanged (juce::AudioProcessor*, int index, float) override { ++changes[(std::size_t) index]; }
        void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override {}
        int changes[4] {};
    };
} // namespace

TEST (State, AllZerosIsTheFiftyThreeByteBlock)
{
    ZarivirAudioProcessor processor;
    juce::MemoryBlock block;
    processor.getStateInformation (block);

    ASSERT_EQ (block.getSize(), 53u);
    const auto* bytes = static_cast<const unsigned char*> (block.getData());
    EXPECT_EQ (std::vector<unsigned char> (bytes, bytes + 8), (std::vector<unsigned char> { 0x56, 0x43, 0x32, 0x21, 44, 0, 0, 0 }));
    EXPECT_EQ (textOf (block), R"(<ZARIVIR red="0" green="0" blue="0" x2="0"/>)");
    EXPECT_EQ (bytes[52], 0);
}

TEST (State, SavesTheValuesAsTheyAre)
{
    ZarivirAudioProcessor processor;
    setAll (processor, 0.5f, 0.0f, 1.0f, 1.0f);
    juce::MemoryBlock block;
    processor.getStateInformation (block);

    EXPECT_EQ (block.getSize(), 55u);
    EXPECT_EQ (juce::ByteOrder::littleEndianInt (static_cast<const char*> (block.getData()) + 4), 46u);
    EXPECT_EQ (textOf (block), R"(<ZARIVIR red="0.5" green="0" blue="1" x2="1"/>)");

    const auto before = valuesOf (processor);
    juce::MemoryBlock again;
    processor.getStateInformation (again);
    EXPECT_EQ (valuesOf (processor), before); // writing changes nothing
}

TEST (State, EveryValueReadsBackToTheSameFloat)
{
    ZarivirAudioProcessor saver, loader;
    const float samples[] = { 0.3f, 0.7f, 1.0e-5f, 0.123456789f, 0.99999994f, 1.17549435e-38f, 0.0f, 0.25f };

    for (float value : samples)
    {
        setAll (saver, value, 1.0f - value, value * 0.5f, value);
        juce::MemoryBlock block;
        saver.getStateInformation (block);
        setAll (loader, 0.9f, 0.9f, 0.9f, 0.9f);
        loader.setStateInformation (block.getData(), (int) block.getSize());
        EXPECT_EQ (valuesOf (loader), valuesOf (saver)) << textOf (block);
    }
}

TEST (State, MalformedBlocksChangeNothing)
{
    ZarivirAudioProcessor processor;
    setAll (processor, 0.1f, 0.2f, 0.3f, 0.4f);
    const auto before = valuesOf (processor);

    const std::string good = R"(<ZARIVIR red="1" green="1" blue="1" x2="1"/>)";
    std::vector<juce::MemoryBlock> bad;

    bad.push_back (juce::MemoryBlock());                               // empty
    bad.push_back (juce::MemoryBlock (blockWith (good).getData(), 8)); // header only
    bad.push_back (blockWith (good, 0));                               // length 0
    bad.push_back (blockWith (good, -5));                              // negative length
    bad.push_back (blockWith (R"(<ZARIVIR red="1" green="1")"));       // not well-formed
    bad.push_back (blockWith ("just text"));
    bad.push_back (blockWith (good.substr (0, 30), 1000, false)); // length beyond the data, text cut short
    bad.push_back (blockWith (good.substr (0, 20), 100000));
    bad.push_back (blockWith (good.substr (0, 35))); // cut after a whole attribute

    auto wrongMagic = blockWith (good);
    static_cast<char*> (wrongMagic.getData())[0] = 0x57;
    bad.push_back (wrongMagic);

    for (const auto& block : bad)
    {
        processor.setStateInformation (block.getData(), (int) block.getSize());
        EXPECT_EQ (valuesOf (processor), before) << block.toString();
        setAll (processor, 0.1f, 0.2f, 0.3f, 0.4f);
    }

    // A length field that covers more than the text is fine as long as the text is whole.
    const auto longer = blockWith (good, (int) good.size() + 1000, false);
    processor.setStateInformation (longer.getData(), (int) longer.getSize());
    EXPECT_EQ (valuesOf (processor), (std::vector<float> { 1.0f, 1.0f, 1.0f, 1.0f }));
    setAll (processor, 0.1f, 0.2f, 0.3f, 0.4f);

    processor.setStateInformation (nullptr, 100);
    EXPECT_EQ (valuesOf (processor), before);
}

TEST (State, RefusesWhatCouldOverwhelmTheParser)
{
    ZarivirAudioProcessor processor;
    setAll (processor, 0.1f, 0.2f, 0.3f, 0.4f);
    const auto before = valuesOf (processor);

    std::string nested;

    for (int i = 0; i < 5000; ++i)
        nested += "<a>";

    nested += R"(<ZARIVIR red="1"/>)";

    for (int i = 0; i < 5000; ++i)
        nested += "</a>";

    const std::string entities = R"(<!DOCTYPE z [<!ENTITY a "0.9">]><ZARIVIR red="&a;"/>)";

    for (const auto& text : { nested, entities })
    {
        const auto block = blockWith (text);
        processor.setStateInformation (block.getData(), (int) block.getSize());
        EXPECT_EQ (valuesOf (processor), before);
    }

    // Markup that is merely odd: refused unless it is well-formed.
    for (const std::string& damaged : { std::string (R"(<ZARIVIR red="1" red="0.5"/>)"),
                                        std::string (R"(<ZARIVIR red="1"></zarivir>)"),
                                        std::string (R"(<ZARIVIR red="1"><a></ZARIVIR>)"),
                                        std::string (R"(<ZARIVIR red="1" &bogus/>)"),
                                        std::string (R"(<ZARIVIR red="1"/><second/>)"),
                                        // Well-formed, but text after an instruction in content
                                        // would stall the framework's parser: refused as well.
                                        std::string (R"(<ZARIVIR red="1"><?p?>text</ZARIVIR>)"),
                                        std::string (R"(<ZARIVIR red="1">x<?p?> <!-- c --> &amp;</ZARIVIR>)") })
    {
        const auto block = blockWith (damaged);
        processor.setStateInformation (block.getData(), (int) block.getSize());
        EXPECT_EQ (valuesOf (processor), before) << damaged;
    }

    // A declaration, comments and processing instructions are part of well-formed XML.
    const auto decorated = blockWith (R"(<?xml version="1.0"?><!-- saved --><ZARIVIR red="0.25"><?note x?><![CDATA[<]]>&amp;</ZARIVIR>)");
    processor.setStateInformation (decorated.getData(), (int) decorated.getSize());
    EXPECT_EQ (processor.getParameters()[0]->getValue(), 0.25f);

    const auto instructionBeforeATag = blockWith (R"(<ZARIVIR red="0.75">x<?p?> <!-- c --> <?q?> <a/></ZARIVIR>)");
    processor.setStateInformation (instructionBeforeATag.getData(), (int) instructionBeforeATag.getSize());
    EXPECT_EQ (processor.getParameters()[0]->getValue(), 0.75f);

    // A few levels of ordinary nesting are still fine.
    const auto shallow = blockWith (R"(<ZARIVIR red="0.5"><a><b><c/></b></a></ZARIVIR>)");
    processor.setStateInformation (shallow.getData(), (int) shallow.getSize());
    EXPECT_EQ (processor.getParameters()[0]->getValue(), 0.5f);
}

TEST (State, ReadingIsLenientAboutTagsAndForms)
{
    ZarivirAudioProcessor processor;

    // Any root tag will do.
    auto block = blockWith (R"(<SOMETHING red="0.25" green="0.5" blue="0.75" x2="1"/>)");
    processor.setStateInformation (block.getData(), (int) block.getSize());
    EXPECT_EQ (valuesOf (processor), (std::vector<float> { 0.25f, 0.5f, 0.75f, 1.0f }));

    // Number forms, out-of-range values and non-numbers.
    block = blockWith (R"(<ZARIVIR red="1e-05" green=" 0.25" blue="2" x2="abc"/>)");
    processor.setStateInformation (block.getData(), (int) block.getSize());
    EXPECT_EQ (valuesOf (processor), (std::vector<float> { 1.0e-5f, 0.25f, 1.0f, 0.0f }));

    block = blockWith (R"(<ZARIVIR red="-1" green="-1e400" blue="1e400" x2="nan"/>)");
    processor.setStateInformation (block.getData(), (int) block.getSize());
    EXPECT_EQ (valuesOf (processor), (std::vector<float> { 0.0f, 0.0f, 1.0f, 0.0f }));

    // Bytes beyond the length field are ignored; so are other attributes and children.
    const std::string text = R"(<ZARIVIR red="0.5" extra="9"><child red="1"/></ZARIVIR>)";
    block = blockWith (text);
    block.append ("garbage that is not xml", 23);
    processor.setStateInformation (block.getData(), (int) block.getSize());
    EXPECT_EQ (processor.getParameters()[0]->getValue(), 0.5f);
}

TEST (State, MissingAttributesKeepTheirValuesButAreStillReported)
{
    ZarivirAudioProcessor processor;
    setAll (processor, 0.1f, 0.2f, 0.3f, 0.4f);

    ChangeCounter counter;
    processor.addListener (&counter);

    auto block = blockWith (R"(<ZARIVIR RED="0.9" green="0.6"/>)");
    processor.setStateInformation (block.getData(), (int) block.getSize());
    processor.removeListener (&counter);

    EXPECT_EQ (valuesOf (processor), (std::vector<float> { 0.1f, 0.6f, 0.3f, 0.4f }));

    for (int changes : counter.changes)
        EXPECT_EQ (changes, 1);
}

TEST (State, RestoresIntoAFreshInstance)
{
    ZarivirAudioProcessor first;
    setAll (first, 0.3f, 0.6f, 0.9f, 1.0f);
    juce::MemoryBlock block;
    first.getStateInformation (block);

    ZarivirAudioProcessor second;
    second.setStateInformation (block.getData(), (int) block.getSize());
    EXPECT_EQ (valuesOf (second), valuesOf (first));
}
