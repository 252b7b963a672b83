#pragma once

// Runs the real tekstovar-cli on real files and catches its streams and exit
// status byte for byte.

#include "encodings/codepages.h"
#include "encodings/recode.h"
#include "platform/winunicode.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace tekstovar {
namespace {

namespace fs = std::filesystem;
using namespace std::literals;

struct TRun {
    int Status = -1;
    std::string Out;
    std::string Err;
};

inline std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const fs::path& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

inline std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// Russian text in UTF-8, stored in page e.
inline std::string InPage(std::string_view utf8, int e)
{
    std::string text = Utf8ToWin(utf8);
    RecodeString(text, EncodingWin, e);
    return text;
}

constexpr std::string_view Prose = "Мороз и солнце; день чудесный! Ещё ты дремлешь, друг прелестный. "
                                   "Пора, красавица, проснись: открой сомкнуты негой взоры навстречу "
                                   "северной Авроры, звездою севера явись! Вечор, ты помнишь, вьюга злилась, "
                                   "на мутном небе мгла носилась; луна, как бледное пятно, сквозь тучи мрачные "
                                   "желтела, и ты печальная сидела. А нынче погляди в окно: под голубыми небесами "
                                   "великолепными коврами, блестя на солнце, снег лежит.\r\n";

class CliTest : public ::testing::Test {
protected:
    fs::path Dir;

    void SetUp() override
    {
        static std::atomic<int> serial{0};
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        Dir = fs::temp_directory_path() /
            ("tekstovar-cli-test-" + std::to_string(::getpid()) + "-" + std::to_string(serial++) + "-" + info->name());
        fs::remove_all(Dir);
        ASSERT_TRUE(fs::create_directories(Dir));
        std::signal(SIGPIPE, SIG_IGN); // a child that stops reading must not kill the test
    }

    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(Dir, ignored);
    }

    fs::path File(const std::string& name, std::string_view bytes)
    {
        fs::path path = Dir / name;
        WriteBytes(path, bytes);
        return path;
    }

    std::string P(const std::string& name) const { return (Dir / name).string(); }

    fs::path Make(const std::string& name, std::string_view bytes)
    {
        fs::create_directories((Dir / name).parent_path());
        return File(name, bytes);
    }

    // The directory the binary starts in; empty: the test's own.
    fs::path Cwd;
    // How long Run waits before it kills the binary and fails.
    std::chrono::milliseconds Limit = 30s;
    // A command the binary runs under (its absolute path first), such as
    // setpriv to run it as another user.
    std::vector<std::string> Wrapper;

    // Starts the binary with the given descriptor as standard input and its
    // output and error written to files.
    pid_t Start(const std::vector<std::string>& args, int in, const fs::path& out, const fs::path& err)
    {
        std::vector<std::string> argv0 = Wrapper;
        argv0.push_back(TEKSTOVAR_CLI);
        argv0.insert(argv0.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& a : argv0)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        const pid_t pid = ::fork();
        if (pid == 0) {
            const int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (in < 0 || o < 0 || e < 0 || ::dup2(in, 0) < 0 || ::dup2(o, 1) < 0 || ::dup2(e, 2) < 0 ||
                (!Cwd.empty() && ::chdir(Cwd.c_str()) != 0))
                ::_exit(126);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        if (pid < 0)
            ADD_FAILURE() << "fork failed";
        return pid;
    }

    // The child's wait status; one still running after the limit is killed
    // and fails the test, so that a run that blocks cannot hang the suite.
    static int WaitFor(pid_t pid, std::chrono::milliseconds limit = 30s)
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        int status = 0;
        while (::waitpid(pid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > end) {
                ::kill(pid, SIGKILL);
                ::waitpid(pid, &status, 0);
                ADD_FAILURE() << "the binary was still running after " << limit.count() << " ms: killed";
                return -1;
            }
            std::this_thread::sleep_for(1ms);
        }
        return status;
    }

    // Runs the binary with standard input read from a file holding `input`
    // (or fed through a pipe), standard output and error caught in files.
    TRun Run(const std::vector<std::string>& args, std::string_view input = {}, bool throughPipe = false)
    {
        const fs::path inPath = File("stdin.bin", throughPipe ? std::string_view() : input);
        const fs::path outPath = Dir / "stdout.bin";
        const fs::path errPath = Dir / "stderr.bin";
        int pipeFds[2] = {-1, -1};
        if (throughPipe && ::pipe2(pipeFds, O_CLOEXEC) != 0) {
            ADD_FAILURE() << "pipe failed";
            return {};
        }
        const int in = throughPipe ? pipeFds[0] : ::open(inPath.c_str(), O_RDONLY | O_CLOEXEC);
        const pid_t pid = Start(args, in, outPath, errPath);
        ::close(in);
        if (pid < 0)
            return {};
        if (throughPipe) {
            std::size_t done = 0;
            while (done < input.size()) {
                ssize_t put = ::write(pipeFds[1], input.data() + done, input.size() - done);
                if (put <= 0)
                    break;
                done += static_cast<std::size_t>(put);
            }
            ::close(pipeFds[1]);
        }
        const int status = WaitFor(pid, Limit);
        TRun run;
        EXPECT_TRUE(WIFEXITED(status)) << "the binary did not exit normally";
        run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        EXPECT_NE(run.Status, 126) << "could not redirect the child's streams";
        EXPECT_NE(run.Status, 127) << "could not start " << TEKSTOVAR_CLI;
        run.Out = ReadBytes(outPath);
        run.Err = ReadBytes(errPath);
        return run;
    }
};

} // namespace
} // namespace tekstovar
