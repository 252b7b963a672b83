#include "encodings/codepages.h"
#include "filerun/unifieddiff.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

namespace tekstovar {
namespace {

using test::TTempDir;

TEST(UnifiedDiff, OneChangedLineWithItsContext)
{
    std::string before, after;
    for (int i = 1; i <= 10; ++i) {
        before += "line " + std::to_string(i) + "\n";
        after += i == 5 ? "LINE 5\n" : "line " + std::to_string(i) + "\n";
    }
    EXPECT_EQ(UnifiedDiff("a.txt", before, EncodingWin, after, EncodingWin),
        "--- a.txt\t(WIN)\n+++ a.txt\t(WIN)\n@@ -2,7 +2,7 @@\n line 2\n line 3\n line 4\n-line 5\n+LINE 5\n line 6\n"
        " line 7\n line 8\n");
    // Both sides in UTF-8, whatever their pages; a recode alone shows nothing.
    EXPECT_EQ(UnifiedDiff("k.txt", "\xF0\xD2\xC9", EncodingKoi, "\xCF\xF0\xE8", EncodingWin), "");
    EXPECT_EQ(UnifiedDiff("k.txt", "\xF0\xD2\xC9", EncodingKoi, "x", EncodingUtf),
        "--- k.txt\t(KOI)\n+++ k.txt\t(UTF)\n@@ -1,1 +1,1 @@\n-При\n\\ No newline at end of file\n+x\n"
        "\\ No newline at end of file\n");
}

// Whatever the edits, patch(1) turns the old text into the new one with
// the diff.
TEST(UnifiedDiff, PatchAppliesItOnGeneratedTexts)
{
    std::mt19937 random(1251);
    TTempDir dir;
    for (int round = 0; round < 60; ++round) {
        std::vector<std::string> lines;
        const int count = static_cast<int>(random() % 80);
        for (int i = 0; i < count; ++i)
            lines.push_back("l" + std::to_string(random() % 12)); // repeats on purpose
        std::string before, after;
        for (const std::string& l : lines)
            before += l + "\n";
        for (const std::string& l : lines) {
            switch (random() % 10) {
            case 0: break; // removed
            case 1: after += l + "\nnew\nnew\n"; break;
            case 2: after += "changed " + l + "\n"; break;
            default: after += l + "\n";
            }
        }
        if (random() % 3 == 0)
            after += "no line break at the end";
        const std::string diff = UnifiedDiff("f.txt", before, EncodingWin, after, EncodingWin);
        if (before == after) {
            EXPECT_EQ(diff, "");
            continue;
        }
        dir.Write("f.txt", before);
        dir.Write("f.diff", diff);
        // No fuzz, and a hunk found elsewhere than it says is reported.
        const std::string command = "cd '" + dir.Path() + "' && patch -F0 -p0 f.txt < f.diff > patch.out 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << diff;
        EXPECT_EQ(TTempDir::Read(dir.Path("patch.out")).find("offset"), std::string::npos) << diff;
        EXPECT_EQ(TTempDir::Read(dir.Path("f.txt")), after) << diff;
    }
}

} // namespace
} // namespace tekstovar
