// A run over several files stopped after every possible step in turn: each
// file must be either as it was or completely replaced, and restoring the
// backups must bring back every original byte for byte.
#include "encodings/codepages.h"
#include "encodings/recode.h"
#include "engine/filemaskedreplacer.h"
#include "engine/filenamereplacer.h"
#include "filerun/filerun.h"
#include "platform/winunicode.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <algorithm>
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

// What lies below dir, but temporaries a run must never leave: file names.
std::vector<std::string> Names(const std::string& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir))
        if (!entry.is_directory())
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(StopAtEveryStep, FileContents)
{
    const std::string search = "\\+9";
    const std::string replace = "<\\+1>";
    const auto samples = Samples();
    std::vector<std::string> names;
    for (const auto& s : samples)
        names.push_back(s.Name);
    std::sort(names.begin(), names.end());
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
                std::vector<TRunFile> files;
                std::vector<char> keys(samples.size());
                for (std::size_t i = 0; i < samples.size(); ++i)
                    files.push_back(
                        {dir.Write("files/" + samples[i].Name, samples[i].Text), samples[i].Page, &keys[i]});
                TRunBackups backups;
                TFileRun run(files,
                    {.Target = target, .Backup = true, .BackupRoot = rootName.empty() ? "" : dir.Path(rootName)},
                    backups);
                auto r = run.BeginStep({search, replace});
                bool finished = DriveAndStop(*r, stopAt);
                run.EndStep();
                EXPECT_EQ(finished, stopAt == total);

                std::vector<std::string> now;
                for (std::size_t i = 0; i < samples.size(); ++i) {
                    now.push_back(TTempDir::Read(files[i].Path));
                    const std::string full = Expected(samples[i], search, replace, target);
                    EXPECT_TRUE(now[i] == samples[i].Text || now[i] == full) << samples[i].Name;
                    if (finished) {
                        EXPECT_EQ(now[i], full) << samples[i].Name;
                    }
                }
                // Nothing else is left in the files' directory but backups.
                for (const auto& entry : std::filesystem::directory_iterator(dir.Path("files")))
                    EXPECT_TRUE(entry.path().filename().string().find(".tekstovar-") == std::string::npos);

                // Undone or accepted: either way no backup of the run is left.
                const bool undo = stopAt % 2 == 0;
                for (std::size_t i = 0; i < samples.size(); ++i) {
                    const auto outcome =
                        undo ? backups.Restore(&keys[i], false, files[i].Path) : backups.Erase(&keys[i], false);
                    EXPECT_EQ(outcome.Error, "");
                    EXPECT_EQ(TTempDir::Read(files[i].Path), undo ? samples[i].Text : now[i]) << samples[i].Name;
                }
                EXPECT_EQ(Names(dir.Path("files")), names);
                if (!rootName.empty() && TTempDir::Exists(dir.Path(rootName))) {
                    EXPECT_TRUE(Names(dir.Path(rootName)).empty());
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
        std::vector<TRunFile> files;
        std::vector<char> keys(samples.size());
        for (std::size_t i = 0; i < samples.size(); ++i)
            files.push_back({dir.Write(samples[i].Name, samples[i].Text), samples[i].Page, &keys[i]});
        TRunBackups backups;
        TFileRun run(files, {.Names = true, .Backup = true}, backups);
        auto r = run.BeginStep({search, replace});
        DriveAndStop(*r, stopAt);
        run.EndStep();
        for (std::size_t i = 0; i < samples.size(); ++i) {
            const bool renamed = static_cast<int>(i) < stopAt;
            const std::string now =
                dir.Path(renamed ? samples[i].Name.substr(0, samples[i].Name.size() - 4) + ".bak" : samples[i].Name);
            EXPECT_EQ(run.Outcomes()[i].Current, now);
            EXPECT_EQ(TTempDir::Read(now), samples[i].Text) << now;
            EXPECT_EQ(TTempDir::Exists(files[i].Path), !renamed);
        }
        // Undone or accepted: either way no copy of the run is left.
        const bool undo = stopAt % 2 == 0;
        for (std::size_t i = 0; i < samples.size(); ++i) {
            const auto outcome =
                undo ? backups.Restore(&keys[i], true, run.Outcomes()[i].Current) : backups.Erase(&keys[i], true);
            EXPECT_EQ(outcome.Error, "");
            EXPECT_EQ(TTempDir::Read(undo ? files[i].Path : run.Outcomes()[i].Current), samples[i].Text);
        }
        std::size_t count = 0;
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
            ++count;
            if (undo) {
                EXPECT_EQ(entry.path().extension(), ".txt");
            }
            EXPECT_NE(entry.path().filename().string().back(), '_');
        }
        EXPECT_EQ(count, samples.size());
    }
}
