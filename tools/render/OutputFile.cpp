#include "OutputFile.h"

OutputFile::OutputFile (const juce::File& targetFile, bool replaceExisting)
    : target (targetFile)
    , mayReplace (replaceExisting)
    , temporary (targetFile, juce::TemporaryFile::useHiddenFile)
{
}

juce::Result OutputFile::failure (const juce::String& reason) const
{
    return juce::Result::fail ("cannot write " + target.getFullPathName() + ": " + reason);
}

juce::Result OutputFile::open()
{
    const auto folder = target.getParentDirectory();

    if (! folder.isDirectory())
        return failure ("the folder " + folder.getFullPathName() + " does not exist");

    if (target.isDirectory())
        return failure ("it is a folder");

    if (target.existsAsFile() && ! mayReplace)
        return juce::Result::fail (target.getFullPathName() + " exists; add --overwrite (-y) to replace it");

    stream = std::make_unique<juce::FileOutputStream> (getTemporaryFile());

    if (! stream->openedOk())
    {
        const auto reason = stream->getStatus().getErrorMessage();
        stream.reset();
        getTemporaryFile().deleteFile();
        return failure (reason.isNotEmpty() ? reason.toLowerCase() : "the folder is not writable");
    }

    return juce::Result::ok();
}

juce::Result OutputFile::write (const void* data, size_t numBytes)
{
    if (stream == nullptr)
        return failure ("the file is not open");

    if (! stream->write (data, numBytes))
        return failure ("the disk refused the data");

    return juce::Result::ok();
}

juce::Result OutputFile::commit()
{
    if (stream != nullptr)
    {
        stream->flush();

        // A full disk shows up only when the buffered data goes out.
        const auto status = stream->getStatus();
        stream.reset();

        if (status.failed())
            return failure (status.getErrorMessage());
    }

    if (! temporary.overwriteTargetFileWithTemporary())
        return failure ("the finished file could not be moved into place");

    return juce::Result::ok();
}
