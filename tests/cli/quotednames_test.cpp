// Names holding line breaks, tabs, quotes, control bytes or characters WIN
// lacks: every line tekstovar-cli prints and logs stays one line and reads
// back to the real name.
#include "clitest.h"

#include <set>

namespace tekstovar {
namespace {

void AppendUtf8(std::string& out, unsigned long c)
{
    if (c < 0x80)
        out += static_cast<char>(c);
    else if (c < 0x800)
        out += {static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F))};
    else if (c < 0x10000)
        out += {static_cast<char>(0xE0 | (c >> 12)), static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
            static_cast<char>(0x80 | (c & 0x3F))};
    else
        out += {static_cast<char>(0xF0 | (c >> 18)), static_cast<char>(0x80 | ((c >> 12) & 0x3F)),
            static_cast<char>(0x80 | ((c >> 6) & 0x3F)), static_cast<char>(0x80 | (c & 0x3F))};
}

// A name as printed, read back: as it stands, or in C-style quotes. The log
// writes WIN: its plain bytes are WIN, \u and \U are characters, and \ooo is
// a byte of the name as it is.
std::string Unquoted(const std::string& printed, bool win = false)
{
    const auto plain = [win](char c) { return win ? WinToUtf8(std::string(1, c)) : std::string(1, c); };
    if (printed.size() < 2 || printed.front() != '"' || printed.back() != '"') {
        EXPECT_EQ(printed.find_first_of("\"\\"), std::string::npos) << printed;
        std::string out;
        for (char c : printed)
            out += plain(c);
        return out;
    }
    std::string out;
    for (std::size_t i = 1; i + 1 < printed.size(); ++i) {
        if (printed[i] != '\\') {
            out += plain(printed[i]);
            continue;
        }
        const char c = printed[++i];
        if (c == 'n' || c == 't' || c == 'r')
            out += c == 'n' ? '\n' : c == 't' ? '\t' : '\r';
        else if (c == '\\' || c == '"')
            out += c;
        else if (c >= '0' && c <= '3') {
            out += static_cast<char>(std::stoi(printed.substr(i, 3), nullptr, 8));
            i += 2;
        } else if (win && (c == 'u' || c == 'U')) {
            const std::size_t digits = c == 'u' ? 4 : 8;
            AppendUtf8(out, std::stoul(printed.substr(i + 1, digits), nullptr, 16));
            i += digits;
        } else
            ADD_FAILURE() << "unknown escape in " << printed;
    }
    return out;
}

// The line split at its tabs.
std::vector<std::string> Split(const std::string& line)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
        fields.push_back(line.substr(start, tab - start));
    fields.push_back(line.substr(start));
    return fields;
}

class CliNamesTest : public CliTest {
protected:
    const std::vector<std::string> Hostile = {"a\nb.txt", "t\tab.txt", "q\"u\\o.txt", "ж\x01.txt", "日本.txt"};
    std::set<std::string> Paths;

    void SetUp() override
    {
        CliTest::SetUp();
        for (const std::string& name : Hostile)
            Paths.insert(Make("h/" + name, "n=1").string());
    }

    // Each line: as many fields as given, the first a name read back; the
    // names must be the hostile files, each once.
    void ExpectNames(const std::vector<std::string>& lines, std::size_t fields, bool win = false)
    {
        std::set<std::string> seen;
        for (const std::string& line : lines) {
            const auto parts = Split(line);
            ASSERT_EQ(parts.size(), fields) << testing::PrintToString(line);
            seen.insert(Unquoted(parts[0], win));
        }
        EXPECT_EQ(lines.size(), Paths.size());
        EXPECT_EQ(seen, Paths);
    }
};

TEST_F(CliNamesTest, EveryLineReadsBackToItsFile)
{
    const TRun run = Run({"-s", "\\+9", "-r", "\\+1", "--backup", "--log", P("run.log"), P("h")});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Err, "replacements: 5\n");
    ExpectNames(Lines(run.Out), 2);
    for (const std::string& path : Paths)
        EXPECT_EQ(ReadBytes(path), "n=2") << path;

    // The log: the header, then a line per file; a name WIN lacks is no error.
    std::vector<std::string> log;
    for (const std::string& line : Lines(ReadBytes(Dir / "run.log"))) {
        EXPECT_TRUE(line.ends_with('\r')) << testing::PrintToString(line);
        log.push_back(line.substr(0, line.size() - 1));
    }
    ASSERT_EQ(log.size(), 5u + Paths.size());
    ExpectNames({log.begin() + 5, log.end()}, 2, true);

    const TRun detect =
        Run({"--detect", P("h/a\nb.txt"), P("h/t\tab.txt"), P("h/q\"u\\o.txt"), P("h/ж\x01.txt"), P("h/日本.txt")});
    EXPECT_EQ(detect.Status, 0) << detect.Err;
    ExpectNames(Lines(detect.Out), 2);

    const TRun restore = Run({"--restore", P("h")});
    EXPECT_EQ(restore.Status, 0) << restore.Err;
    ExpectNames(Lines(restore.Out), 1);
    for (const std::string& path : Paths)
        EXPECT_EQ(ReadBytes(path), "n=1") << path;

    // Renamed or refused (a control character stays out of every new name,
    // and 日本 has no WIN form to search): one line each, nothing split.
    const TRun names = Run({"-s", "o.txt", "-r", "0.txt", "--names", P("h")});
    EXPECT_EQ(names.Status, 3);
    ASSERT_EQ(Lines(names.Out).size(), 4u) << names.Out;
    std::set<std::string> renamed;
    for (const std::string& line : Lines(names.Out)) {
        const auto parts = Split(line);
        ASSERT_EQ(parts.size(), 3u) << line;
        renamed.insert(Unquoted(parts[0]) + " -> " + Unquoted(parts[1]) + " " + parts[2]);
    }
    EXPECT_EQ(renamed,
        (std::set<std::string>{P("h/a\nb.txt") + " -> a\nb.txt 0", P("h/t\tab.txt") + " -> t\tab.txt 0",
            P("h/q\"u\\o.txt") + " -> q\"u\\0.txt 1", P("h/ж\x01.txt") + " -> ж\x01.txt 0"}));
    const auto err = Lines(names.Err);
    ASSERT_EQ(err.size(), 2u) << names.Err;
    EXPECT_EQ(err[0], "tekstovar-cli: Имя файла нельзя записать в кодировке WIN: " + P("h/日本.txt"));
    EXPECT_EQ(err[1], "replacements: 1");
}

TEST_F(CliNamesTest, ANamesRunGivesNoNameALineBreakOrTab)
{
    const fs::path file = Make("n/a_b.txt", "x");
    for (const char* replace : {"\\n", "\\t", "\\r"}) {
        SCOPED_TRACE(replace);
        fs::remove(Dir / "n.log");
        const TRun run = Run({"-s", "_", "-r", replace, "--names", "--log", P("n.log"), file.string()});
        EXPECT_EQ(run.Status, 3);
        EXPECT_EQ(run.Out, "");
        const auto err = Lines(run.Err);
        ASSERT_EQ(err.size(), 2u) << run.Err;
        EXPECT_TRUE(err[0].starts_with("tekstovar-cli: Недопустимое имя файла \"a\\")) << err[0];
        EXPECT_EQ(err[0].find_first_of("\t\r"), std::string::npos) << err[0];
        EXPECT_EQ(err[1], "replacements: 0");
        EXPECT_EQ(std::vector<std::string>{"a_b.txt"}, [&] {
            std::vector<std::string> names;
            for (const auto& entry : fs::directory_iterator(Dir / "n"))
                names.push_back(entry.path().filename().string());
            return names;
        }());
        // The log's line of the file: its path, then the reason, on one line.
        const auto log = Lines(ReadBytes(Dir / "n.log"));
        ASSERT_EQ(log.size(), 6u) << testing::PrintToString(ReadBytes(Dir / "n.log"));
        EXPECT_EQ(log[5].find('\r'), log[5].size() - 1) << log[5];
        const auto parts = Split(log[5]);
        ASSERT_EQ(parts.size(), 2u) << log[5];
        EXPECT_EQ(parts[0], file.string());
    }
}

} // namespace
} // namespace tekstovar
