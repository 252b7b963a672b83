#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

namespace tekstovar::test {

// A fresh directory under the system's temporary directory, removed with
// everything in it when the test ends.
class TTempDir {
public:
    TTempDir()
    {
        std::random_device random;
        Root = std::filesystem::temp_directory_path() / ("tekstovar-test-" + std::to_string(random()));
        std::filesystem::create_directories(Root);
    }
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;
    ~TTempDir()
    {
        std::error_code ignored;
        std::filesystem::permissions(Root, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(Root, ignored);
    }

    std::string Path(const std::string& name = "") const { return (Root / name).string(); }

    std::string Write(const std::string& name, const std::string& bytes) const
    {
        std::filesystem::path path = Root / name;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }

    static std::string Read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream data;
        data << in.rdbuf();
        return data.str();
    }

    static bool Exists(const std::string& path) { return std::filesystem::exists(path); }

private:
    std::filesystem::path Root;
};

} // namespace tekstovar::test
