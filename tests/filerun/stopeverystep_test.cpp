// A run over several files stopped after every possible step in turn: each
// file must be either as it was or completely replaced, and restoring the
// backups must bring back every original byte for byte.
#include "backups/filebackup.h"
#include "backups/filenamebackup.h"
#include "encodings/codepages.h"
#include "encodings/recode.h"
#include "engine/filemaskedreplacer.h"
#include "engine/filenamereplacer.h"
#include "platform/winunicode.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <map>

using namespace tekstovar;
using namespace tekstovar::test;

namespace {

struct TSample {
    std::string Name;
    std::string Page;
    std::string Text;
};

std::vector<TSample> Samples()
{
    auto koi = Utf8ToWin("Кот 12 и кот 7\r\n");
    RecodeString(koi, EncodingWin, EncodingKoi);
    std::string long_text;
    for (int i = 0; i < 130; ++i)
        long_text += "n" + std::to_string(i) + " ";
    return {{"a.txt", "WIN", long_text}, {"b.txt", "KOI", koi}, {"empty.txt", "WIN", ""},
        {"c.txt", "DOS", "no digits here"}, {"d.txt", "WIN", long_text + "\r\n9"}};
}

// The whole result of one file, worked out in memory.
std::string Expected(const TSample& s, const std::string& search, const std::string& replace, int target)
{
    TMaskedReplacer r(s.Text, search, replace, EncodingByName(s.Page), target);
    r.Run();
    return r.Result();
}

// Drives a replacer for at most `steps` steps; stops it there as the worker
// does when asked to. Returns whether it finished.
bool DriveAndStop(TMaskedReplacer& r, int steps)
{
    bool finished = true;
    if (r.Start()) {
        for (int i = 0; !r.Finished(); ++i) {
            if (i == steps) {
                finished = false;
                break;
            }
            r.Step();
        }
        if (finished)
            r.FinishText();
        else
            r.SetReplaceCount(0);
    }
    r.EndRun();
    return finished;
}

int StepsOfAFullRun(TMaskedReplacer& r)
{
    int steps = 0;
    if (r.Start())
        for (; !r.Finished(); ++steps)
            r.Step();
    return steps;
}

} // namespace

TEST(StopAtEveryStep, FileContents)
{
    const std::string search = "\\+9";
    const std::string replace = "<\\+1>";
    const auto samples = Samples();
    for (const std::string rootName : {"", "backups"}) {
        for (int target : {EncodingNone, EncodingWin}) {
            int total = 0;
            {
                TTempDir dir;
                std::vector<std::string> paths, pages;
                for (const auto& s : samples) {
                    paths.push_back(dir.Write(s.Name, s.Text));
                    pages.push_back(s.Page);
                }
                TFileMaskedReplacer probe(search, replace, paths, pages, target);
                total = StepsOfAFullRun(probe);
            }
            ASSERT_GT(total, 10);
            for (int stopAt = 0; stopAt <= total; ++stopAt) {
                SCOPED_TRACE("root '" + rootName + "' target " + std::to_string(target) + " stop after " +
                    std::to_string(stopAt));
                TTempDir dir;
                std::vector<std::string> paths, pages;
                for (const auto& s : samples) {
                    paths.push_back(dir.Write("files/" + s.Name, s.Text));
                    pages.push_back(s.Page);
                }
                TFileBackup backups;
                backups.SetRoot(rootName.empty() ? "" : dir.Path(rootName));
                std::vector<char> keys(paths.size());
                TFileMaskedReplacer r(search, replace, paths, pages, target);
                r.OnProgress = [&](TMaskedReplacer& x) {
                    if (!r.AtRunEnd() && x.GetPosition() == 0)
                        backups.Backup(&keys[r.FileIndex()], paths[r.FileIndex()], false);
                };
                bool finished = DriveAndStop(r, stopAt);
                EXPECT_EQ(finished, stopAt == total);

                for (std::size_t i = 0; i < samples.size(); ++i) {
                    const std::string now = TTempDir::Read(paths[i]);
                    const std::string full = Expected(samples[i], search, replace, target);
                    EXPECT_TRUE(now == samples[i].Text || now == full) << samples[i].Name;
                    if (finished) {
                        EXPECT_EQ(now, full) << samples[i].Name;
                    }
                }
                // Nothing else is left in the files' directory but backups.
                for (const auto& entry : std::filesystem::directory_iterator(dir.Path("files")))
                    EXPECT_TRUE(entry.path().filename().string().find(".tekstovar-") == std::string::npos);

                for (std::size_t i = 0; i < samples.size(); ++i) {
                    try {
                        backups.Restore(&keys[i]);
                    } catch (const TMissingKeyError&) {
                        // never backed up: the run did not reach it
                    }
                    EXPECT_EQ(TTempDir::Read(paths[i]), samples[i].Text) << samples[i].Name;
                }
            }
        }
    }
}

TEST(StopAtEveryStep, FileNames)
{
    const auto samples = Samples();
    const std::string search = ".txt";
    const std::string replace = ".bak";
    for (int stopAt = 0; stopAt <= static_cast<int>(samples.size()); ++stopAt) {
        SCOPED_TRACE("stop after " + std::to_string(stopAt));
        TTempDir dir;
        std::vector<std::string> paths, pages;
        for (const auto& s : samples) {
            paths.push_back(dir.Write(s.Name, s.Text));
            pages.push_back(s.Page);
        }
        TFileNameBackup backups;
        std::vector<char> keys(paths.size());
        std::map<std::size_t, std::string> newNames;
        TFileNameMaskedReplacer r(search, replace, paths, pages, EncodingNone);
        r.OnProgress = [&](TMaskedReplacer& x) {
            if (!r.AtRunEnd() && x.GetPosition() == 0)
                backups.Backup(&keys[r.FileIndex()], paths[r.FileIndex()], false);
            if (r.AtFileEnd())
                newNames[r.FileIndex()] = r.NewName();
        };
        DriveAndStop(r, stopAt);
        for (std::size_t i = 0; i < samples.size(); ++i) {
            const bool renamed = static_cast<int>(i) < stopAt;
            const std::string now =
                dir.Path(renamed ? samples[i].Name.substr(0, samples[i].Name.size() - 4) + ".bak" : samples[i].Name);
            EXPECT_EQ(TTempDir::Read(now), samples[i].Text) << now;
            EXPECT_EQ(TTempDir::Exists(paths[i]), !renamed);
        }
        // Undo as the main window does: the copy comes back under the old
        // name, then the file under the new name goes.
        for (std::size_t i = 0; i < samples.size(); ++i) {
            try {
                const std::string old = backups.Restore(&keys[i]);
                const std::string current = dir.Path(newNames[i]);
                if (current != old)
                    std::filesystem::remove(current);
            } catch (const TMissingKeyError&) {
            }
        }
        std::size_t count = 0;
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
            ++count;
            EXPECT_EQ(entry.path().extension(), ".txt");
        }
        EXPECT_EQ(count, samples.size());
        for (std::size_t i = 0; i < samples.size(); ++i)
            EXPECT_EQ(TTempDir::Read(paths[i]), samples[i].Text);
    }
}
