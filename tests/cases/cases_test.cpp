// Every sub-folder of the cases directory is one mask pair applied to one
// text; the folder's files give the masks, the text and what must come out.
// make_cases.py writes the folders from a readable table.

#include "common/error.h"
#include "encodings/codepages.h"
#include "engine/filemaskedreplacer.h"
#include "engine/maskedreplacer.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using tekstovar::TMaskedReplacer;
using tekstovar::TPos;

std::vector<std::string> CaseNames()
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(TEKSTOVAR_CASES_DIR))
        if (entry.is_directory())
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::optional<std::string> ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Small value files may end in a newline when edited by hand.
std::string Trimmed(std::string s)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.back()))
        s.pop_back();
    s.erase(s.begin(), std::find_if_not(s.begin(), s.end(), blank));
    return s;
}

// Bytes as readable ASCII, so that a failed comparison shows where the
// texts part even when they hold control characters or Cyrillic bytes.
std::string Visible(const std::string& bytes)
{
    std::string out;
    for (unsigned char c : bytes) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (c >= 0x20 && c < 0x7F)
            out += static_cast<char>(c);
        else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}

std::string Joined(const std::vector<TPos>& positions)
{
    std::string out;
    for (TPos p : positions) {
        if (!out.empty())
            out += ' ';
        out += std::to_string(p);
    }
    return out;
}

class MaskCase : public testing::TestWithParam<std::string> {
protected:
    fs::path Dir() const { return fs::path(TEKSTOVAR_CASES_DIR) / GetParam(); }
    std::optional<std::string> File(const char* name) const { return ReadFile(Dir() / name); }

    int Encoding(const char* file, int absent) const
    {
        const auto name = File(file);
        if (!name)
            return absent;
        const int e = tekstovar::EncodingByName(Trimmed(*name));
        EXPECT_NE(e, tekstovar::EncodingNone) << file << " names no code page: " << *name;
        return e;
    }
};

TEST_P(MaskCase, GivesExpectedResult)
{
    const auto search = File("search");
    ASSERT_TRUE(search) << "no search file in " << Dir();
    const std::string replace = File("replace").value_or("");
    const int source = Encoding("encoding", tekstovar::EncodingWin);
    const int target = Encoding("target", tekstovar::EncodingNone);

    if (const auto fails = File("fails")) {
        try {
            TMaskedReplacer refused(File("input").value_or(""), *search, replace, source, target);
            ADD_FAILURE() << "the search mask was accepted";
        } catch (const tekstovar::TError& e) {
            EXPECT_EQ(std::string(e.what()), *fails);
        }
        return;
    }

    const auto input = File("input");
    const auto expected = File("expected");
    const auto count = File("count");
    ASSERT_TRUE(input && expected && count) << "input, expected and count are required in " << Dir();
    const std::string error = File("error").value_or("");
    const auto progress = File("progress");

    // The fast paths (leading scan, remembered ranges) must answer as a full
    // evaluation at every position does.
    for (const bool plain : {false, true}) {
        SCOPED_TRACE(plain ? "plain matching" : "fast matching");
        TMaskedReplacer r(*input, *search, replace, source, target, {.PlainMatching = plain});
        std::vector<TPos> positions;
        r.OnProgress = [&](TMaskedReplacer& x) { positions.push_back(x.GetPosition()); };
        r.Run();
        EXPECT_EQ(Visible(r.Result()), Visible(*expected));
        EXPECT_EQ(std::to_string(r.ReplaceCount()), Trimmed(*count));
        EXPECT_EQ(r.ErrorText(), error);
        if (progress) {
            EXPECT_EQ(Joined(positions), Trimmed(*progress));
        }
    }

    // Over a file, a preview counts and makes what the run then writes.
    tekstovar::test::TTempDir dir;
    const std::vector<std::string> paths = {dir.Write("case.txt", *input)};
    const std::vector<std::string> pages = {std::string(tekstovar::EncodingNames[static_cast<std::size_t>(source)])};
    tekstovar::TPreviewStore store;
    tekstovar::TFileMaskedReplacer preview(*search, replace, paths, pages, target);
    preview.Preview = &store;
    long long previewed = 0;
    preview.OnProgress = [&](TMaskedReplacer& x) {
        if (static_cast<tekstovar::TFileMaskedReplacer&>(x).AtFileEnd())
            previewed = x.ReplaceCount();
    };
    preview.Run();
    EXPECT_EQ(tekstovar::test::TTempDir::Read(paths[0]), *input);
    tekstovar::TFileMaskedReplacer run(*search, replace, paths, pages, target);
    long long counted = 0;
    run.OnProgress = [&](TMaskedReplacer& x) {
        if (static_cast<tekstovar::TFileMaskedReplacer&>(x).AtFileEnd())
            counted = x.ReplaceCount();
    };
    run.Run();
    EXPECT_EQ(previewed, counted);
    const std::string written = tekstovar::test::TTempDir::Read(paths[0]);
    EXPECT_EQ(Visible(store.After.contains(paths[0]) ? store.After.at(paths[0]) : *input), Visible(written));
}

std::string CaseTestName(const testing::TestParamInfo<std::string>& info)
{
    std::string name = info.param;
    std::replace_if(
        name.begin(), name.end(), [](unsigned char c) { return !std::isalnum(c); }, '_');
    return name;
}

INSTANTIATE_TEST_SUITE_P(Cases, MaskCase, testing::ValuesIn(CaseNames()), CaseTestName);

} // namespace
