// A real render, stopped by a real signal half-way: it leaves nothing behind, neither the
// output nor a temporary file, and exits with the status shells expect.

#include "RenderTestSupport.h"

#include <chrono>
#include <csignal>
#include <thread>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
    struct SignalCase
    {
        const char* name;
        int signalNumber;
        int exitStatus;
    };

    class RenderInterrupted : public testing::TestWithParam<SignalCase>
    {
    };

    /** Starts the program with its output going to a file; returns its process ID. */
    pid_t start (const juce::StringArray& arguments, const juce::File& log)
    {
        std::vector<std::string> strings { TAVINE_RENDER_PROGRAM };

        for (const auto& argument : arguments)
            strings.push_back (argument.toStdString());

        std::vector<char*> argv;

        for (auto& text : strings)
            argv.push_back (text.data());

        argv.push_back (nullptr);
        const auto pid = fork();

        if (pid == 0)
        {
            const int fd = ::open (log.getFullPathName().toRawUTF8(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2 (fd, STDOUT_FILENO);
            dup2 (fd, STDERR_FILENO);
            execv (argv[0], argv.data());
            _exit (127);
        }

        return pid;
    }

    /** Whether the folder holds a hidden file: a render's temporary output. */
    bool hasTemporaryFile (const test::ScratchFolder& folder)
    {
        for (const auto& name : folder.list())
            if (name.startsWithChar ('.'))
                return true;

        return false;
    }

    TEST_P (RenderInterrupted, RemovesEveryTemporaryFileAndExitsWithTheSignalsStatus)
    {
        const auto [name, signalNumber, exitStatus] = GetParam();
        test::ScratchFolder folder;
        const juce::File log (juce::File::createTempFile ("render-log"));

        // Ten minutes at 8 kHz in blocks of one sample: long enough to be caught in the middle
        // on any machine, under any sanitizer.
        constexpr double rate = 8000.0;
        test::writeWav (folder["in.wav"], test::makeProgramme (1, (int) rate * 600, rate), rate, 16);

        const auto pid = start ({ folder["in.wav"].getFullPathName(), folder["out.flac"].getFullPathName(), "--meters", folder["m.csv"].getFullPathName(), "--save-state", folder["s.state"].getFullPathName(), "--block", "1", "--red", "1" },
                                log);
        ASSERT_GT (pid, 0);

        // Once its temporary files exist, the render is under way.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds (60);

        while (! hasTemporaryFile (folder) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for (std::chrono::milliseconds (5));

        ASSERT_TRUE (hasTemporaryFile (folder)) << "the render did not start";
        std::this_thread::sleep_for (std::chrono::milliseconds (100));
        ASSERT_EQ (kill (pid, signalNumber), 0);

        int status = 0;
        ASSERT_EQ (waitpid (pid, &status, 0), pid);
        ASSERT_TRUE (WIFEXITED (status)) << "killed by the signal instead of stopping: " << log.loadFileAsString();
        EXPECT_EQ (WEXITSTATUS (status), exitStatus) << log.loadFileAsString();
        EXPECT_EQ (folder.list(), juce::StringArray ("in.wav")) << "left behind";

        const auto output = log.loadFileAsString();
        EXPECT_TRUE (output.startsWith ("tavine-render: ")) << output;
        EXPECT_TRUE (output.contains ("nothing was written")) << output;
        log.deleteFile();
    }

    INSTANTIATE_TEST_SUITE_P (Signals,
                              RenderInterrupted,
                              testing::Values (SignalCase { "Interrupt", SIGINT, 130 }, SignalCase { "Terminate", SIGTERM, 143 }, SignalCase { "HangUp", SIGHUP, 129 }),
                              [] (const auto& instance) { return std::string (instance.param.name); });

    TEST (RenderInterrupted, ABatchStopsEveryFileAndKeepsOnlyFinishedOnes)
    {
        test::ScratchFolder folder;
        const juce::File log (juce::File::createTempFile ("render-log"));
        folder["out"].createDirectory();
        constexpr double rate = 8000.0;

        for (const auto* name : { "a.wav", "b.wav", "c.wav" })
            test::writeWav (folder[name], test::makeProgramme (1, (int) rate * 600, rate), rate, 16);

        const auto pid = start ({ "--out-dir", folder["out"].getFullPathName(), "--jobs", "2", "--block", "1", folder["a.wav"].getFullPathName(), folder["b.wav"].getFullPathName(), folder["c.wav"].getFullPathName() },
                                log);
        ASSERT_GT (pid, 0);

        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds (60);
        const auto outputs = [&] { return folder["out"].getNumberOfChildFiles (juce::File::findFiles | juce::File::ignoreHiddenFiles, "*"); };
        const auto temporaries = [&] { return folder["out"].getNumberOfChildFiles (juce::File::findFiles, ".*"); };

        while (temporaries() < 2 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for (std::chrono::milliseconds (5));

        ASSERT_EQ (temporaries(), 2) << "two files at once";
        ASSERT_EQ (kill (pid, SIGTERM), 0);

        int status = 0;
        ASSERT_EQ (waitpid (pid, &status, 0), pid);
        ASSERT_TRUE (WIFEXITED (status));
        EXPECT_EQ (WEXITSTATUS (status), 143) << log.loadFileAsString();
        EXPECT_EQ (temporaries(), 0);
        EXPECT_EQ (outputs(), 0);
        log.deleteFile();
    }
} // namespace
