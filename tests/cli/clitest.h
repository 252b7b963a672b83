#pragma once

// Runs the real tekstovar-cli on real files and catches its streams and exit
// status byte for byte.

#include "encodings/codepages.h"
#include "encodings/recode.h"
#include "platform/winunicode.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
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

std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

std::vector<std::string> Lines(const std::string& text)
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
std::string InPage(std::string_view utf8, int e)
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

    // Runs the binary with standard input read from a file holding `input`
    // (or fed through a pipe), standard output and error caught in files.
    TRun Run(const std::vector<std::string>& args, std::string_view input = {}, bool throughPipe = false)
    {
        const fs::path inPath = File("stdin.bin", throughPipe ? std::string_view() : input);
        const fs::path outPath = Dir / "stdout.bin";
        const fs::path errPath = Dir / "stderr.bin";
        int pipeFds[2] = {-1, -1};
        if (throughPipe && ::pipe(pipeFds) != 0) {
            ADD_FAILURE() << "pipe failed";
            return {};
        }
        std::vector<std::string> argv0 = {TEKSTOVAR_CLI};
        argv0.insert(argv0.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& a : argv0)
            argv.push_back(a.data());
        argv.push_back(nullptr);

        const pid_t pid = ::fork();
        if (pid == 0) {
            int in = throughPipe ? pipeFds[0] : ::open(inPath.c_str(), O_RDONLY);
            int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (in < 0 || out < 0 || err < 0 || ::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0)
                ::_exit(126);
            if (throughPipe)
                ::close(pipeFds[1]);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        if (pid < 0) {
            ADD_FAILURE() << "fork failed";
            return {};
        }
        if (throughPipe) {
            ::close(pipeFds[0]);
            std::size_t done = 0;
            while (done < input.size()) {
                ssize_t put = ::write(pipeFds[1], input.data() + done, input.size() - done);
                if (put <= 0)
                    break;
                done += static_cast<std::size_t>(put);
            }
            ::close(pipeFds[1]);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
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
