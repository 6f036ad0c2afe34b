#pragma once

#include <juce_core/juce_core.h>

#include <memory>

/** A file written under a hidden temporary name beside its target and moved into place only
    by commit(), so that a render that fails half-way leaves no partial file behind: the
    temporary file goes when this object does. */
class OutputFile
{
public:
    /** An existing target is replaced only when `mayReplace` is set. */
    explicit OutputFile (const juce::File& target, bool mayReplace = false);

    /** Creates the temporary file. Fails with a one-line reason when the target cannot be
        written: it exists and may not be replaced, a missing folder, a folder in the target's
        place, no permission. */
    juce::Result open();

    /** Closes the stream, for a writer that writes the temporary file by its path. */
    void closeStream() { stream.reset(); }

    /** Writes the whole contents in one go. */
    juce::Result write (const void* data, size_t numBytes);

    /** Closes the stream if still held and renames the temporary file onto the target. */
    juce::Result commit();

    const juce::File& getTarget() const noexcept { return target; }
    juce::File getTemporaryFile() const { return temporary.getFile(); }

private:
    juce::Result failure (const juce::String& reason) const;

    juce::File target;
    bool mayReplace;
    juce::TemporaryFile temporary;
    std::unique_ptr<juce::FileOutputStream> stream;

    JUCE_DECLARE_NON_COPYABLE (OutputFile)
};
