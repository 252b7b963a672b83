#pragma once

#include "common/error.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace tekstovar::testing {

namespace fs = std::filesystem;
using TTree = std::map<std::string, std::string>;

// A fresh directory per test, removed afterwards; Dir ends in "/".
class FileTest : public ::testing::Test {
protected:
    std::string Dir;

    void SetUp() override
    {
        static std::atomic<int> serial{0};
        const fs::path dir = fs::temp_directory_path() /
            ("tekstovar-backups-" + std::to_string(::getpid()) + "-" + std::to_string(serial++));
        fs::remove_all(dir);
        ASSERT_TRUE(fs::create_directories(dir));
        Dir = fs::canonical(dir).string() + "/";
    }

    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(Dir, ignored);
    }

    // Replaces the file as a whole, as the program does: a backup that is a
    // second name of the old file keeps the old contents.
    static void Write(const std::string& path, const std::string& bytes, mode_t mode = 0644)
    {
        fs::create_directories(fs::path(path).parent_path());
        const std::string temp = path + ".writing";
        std::ofstream(temp, std::ios::binary | std::ios::trunc) << bytes;
        ASSERT_EQ(::chmod(temp.c_str(), mode), 0) << path;
        fs::rename(temp, path);
    }

    static std::string Read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return in ? std::string(std::istreambuf_iterator<char>(in), {}) : "<missing>";
    }

    static mode_t Mode(const std::string& path)
    {
        struct stat st { };
        return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
    }

    // Everything below dir: each file with its bytes, each empty directory
    // with "/" after its name, paths relative to Dir. Links are not followed.
    TTree Tree(const std::string& dir = {}) const
    {
        TTree tree;
        for (const auto& entry : fs::recursive_directory_iterator(dir.empty() ? Dir : dir)) {
            const std::string name = entry.path().string().substr(Dir.size());
            if (entry.is_directory() && !entry.is_symlink() && fs::is_empty(entry.path()))
                tree[name + "/"] = "";
            else if (!entry.is_directory())
                tree[name] = Read(entry.path());
        }
        return tree;
    }
};

template <class TAction> std::string ErrorOf(TAction action)
{
    try {
        action();
    } catch (const TError& error) {
        return error.what();
    }
    return "<no error>";
}

} // namespace tekstovar::testing
