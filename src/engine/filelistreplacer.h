#pragma once

#include "engine/maskedreplacer.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace tekstovar {

// A run that writes nothing: what a file would hold after each step stays
// here, in place of the file, for the next step to read, beside what it held
// before the first; a name it would get is taken here, not on disk.
struct TPreviewStore {
    std::map<std::string, std::string> Before; // path -> the file's bytes
    std::map<std::string, std::string> After; // path -> the bytes after the steps so far
    std::map<std::string, std::string> Origins; // a path a file would get -> where it is on disk
};

// What the content and the name replacers share: a list of files, each in
// its own code page, worked on one after another with the text-level steps,
// and the notifications that tell the owner which file they are about.
class TFileListReplacer : public TMaskedReplacer {
public:
    // paths and encodings (code-page names) are the owner's and must stay
    // alive and unchanged during the run.
    TFileListReplacer(std::string searchMask, std::string replaceMask, const std::vector<std::string>& paths,
        const std::vector<std::string>& encodings, int targetEncoding);
    // The lists are held by reference: temporaries would not outlive the run.
    TFileListReplacer(
        std::string, std::string, std::vector<std::string>&&, const std::vector<std::string>&, int) = delete;
    TFileListReplacer(
        std::string, std::string, const std::vector<std::string>&, std::vector<std::string>&&, int) = delete;
    TFileListReplacer(std::string, std::string, std::vector<std::string>&&, std::vector<std::string>&&, int) = delete;

    bool Start() override;
    void Step() override = 0;
    void FinishText() override { }
    // The run's last notification, then every file counts as passed.
    void EndRun() override;
    bool Finished() const override { return FileIndexValue >= Paths.size(); }

    std::size_t FileIndex() const { return FileIndexValue; }
    // Why the current file was left as it was; empty when it was processed.
    const std::string& FileError() const { return FileErrorValue; }
    // In a file's end notification: what the rewritten file could not keep
    // of the old one (its owner, attributes), in words; empty when all.
    const std::string& FileWarning() const { return FileWarningValue; }
    // In a file's end notification: whether the file was rewritten or
    // renamed (a result equal to what was there changes nothing).
    bool FileChanged() const { return FileChangedValue; }
    // True only inside the notification that ends a file (a progress
    // notification may also come at Size + 1).
    bool AtFileEnd() const { return AtFileEndValue; }
    // True only inside the last notification of the run (finished or
    // stopped); its position belongs to no file and is not a start.
    bool AtRunEnd() const { return AtRunEndValue; }

    // Asked before a file is read or renamed; a reason leaves the file alone
    // and comes back as its FileError(). On the thread driving the run.
    std::function<std::string(std::size_t file)> SkipFile;
    // Called right before a file that changed is rewritten or renamed (the
    // owner's backup goes here); a TError leaves the file as it was, with the
    // message as its FileError(). On the thread driving the run.
    std::function<void(std::size_t file)> BeforeChange;
    // Set: nothing is written, backed up or restored; the results go here.
    TPreviewStore* Preview = nullptr;

protected:
    // Takes the replace mask into the code page and parses the search mask
    // for it: fresh lexems and a fresh tree for every file.
    void PrepareForFile(int encoding);
    // The code page of the current file's contents (-1 for an unknown name).
    int FileEncoding() const;
    // The owner's say on the current file before it is touched; false with
    // FileError() set when it is to be left alone.
    bool MayTouchFile();
    // Runs BeforeChange; false with FileError() set when it refused.
    bool MayChangeFile();
    // The current file's end notification; then the next file.
    void NotifyFileEnd();
    // Called after the run's last notification, before the index moves on.
    virtual void AfterRunEnd() { }

    const std::vector<std::string>& Paths;
    const std::vector<std::string>& Encodings;
    std::string FileErrorValue;
    std::string FileWarningValue;
    bool FileChangedValue = false;

private:
    std::string BaseReplaceMask;
    std::size_t FileIndexValue = 0;
    bool AtFileEndValue = false;
    bool AtRunEndValue = false;
};

} // namespace tekstovar
