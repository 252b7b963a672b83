// What the file-reader targets share: printing bytes, failing loudly, and a
// private directory for the files a reader insists on opening by name.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unistd.h>

namespace tekstovar::fuzz {

// C escape form, short enough to read in a report: long texts keep their
// head and tail.
inline std::string Printable(std::string_view s, std::size_t limit = 400)
{
    std::string out;
    auto put = [&out](std::string_view part) {
        for (unsigned char c : part) {
            if (c == '\\' || c == '"') {
                out += '\\';
                out += static_cast<char>(c);
            } else if (c == '\r')
                out += "\\r";
            else if (c == '\n')
                out += "\\n";
            else if (c >= 0x20 && c < 0x7f)
                out += static_cast<char>(c);
            else {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\x%02x\"\"", c); // "" ends the hex escape
                out += buf;
            }
        }
    };
    if (s.size() <= limit) {
        put(s);
        return out;
    }
    put(s.substr(0, limit / 2));
    out += "\" ... (" + std::to_string(s.size()) + " bytes) ... \"";
    put(s.substr(s.size() - limit / 2));
    return out;
}

[[noreturn]] inline void Fail(const char* target, const std::string& what, const std::string& detail)
{
    std::fprintf(stderr, "\n=== %s: %s\n%s\n", target, what.c_str(), detail.c_str());
    std::abort();
}

// The body of a reader target's entry point: the input as text, and an
// exception escaping the check counts as a finding.
template <class TCheck, class TFail>
int CheckInput(const std::uint8_t* data, std::size_t size, TCheck check, TFail fail)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    try {
        check(input);
    } catch (const std::exception& e) {
        fail(input, "unexpected exception", e.what());
    }
    return 0;
}

// One directory per process, in memory when /dev/shm is there: the readers
// take paths, and writing through a disk on every input would be the whole
// cost of a run. Removed at exit with what is left in it.
class TScratch {
public:
    TScratch()
    {
        const char* tmpdir = std::getenv("TMPDIR");
        for (const char* base : {"/dev/shm", tmpdir, "/tmp"}) {
            if (!base || access(base, W_OK) != 0)
                continue;
            std::string pattern = std::string(base) + "/tekstovar-fuzz-XXXXXX";
            if (mkdtemp(pattern.data())) {
                Dir = pattern;
                return;
            }
        }
        throw std::runtime_error("no directory for the fuzz target's files");
    }
    ~TScratch()
    {
        for (const std::string& name : Names)
            unlink((Dir + "/" + name).c_str());
        // Temporaries of a rewrite that was cut short may remain: best effort.
        rmdir(Dir.c_str());
    }
    TScratch(const TScratch&) = delete;
    TScratch& operator=(const TScratch&) = delete;

    // The path of a file in the directory; the name is remembered for the
    // clean-up.
    std::string Path(const std::string& name)
    {
        Names.insert(name);
        return Dir + "/" + name;
    }

    // Writes the bytes under that name, replacing what was there.
    std::string Put(const std::string& name, std::string_view bytes)
    {
        const std::string path = Path(name);
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out.flush())
            throw std::runtime_error("cannot write " + path);
        return path;
    }

    static std::string Get(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    std::string Dir;
    std::set<std::string> Names;
};

} // namespace tekstovar::fuzz
