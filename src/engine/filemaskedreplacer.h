#pragma once

#include "engine/maskedreplacer.h"

#include <string>
#include <vector>

namespace tekstovar {

// One mask pair over the contents of a list of files, each in its own code
// page, each rewritten with its result. Per file the owner sees the start
// notification (only when there is work), progress, and the end
// notification, made once the file is written (or has failed: FileError()).
class TFileMaskedReplacer : public TMaskedReplacer {
public:
    // paths and encodings (code-page names) are the owner's and must stay
    // alive and unchanged during the run.
    TFileMaskedReplacer(std::string searchMask, std::string replaceMask, const std::vector<std::string>& paths,
        const std::vector<std::string>& encodings, int targetEncoding);

    // The lists are held by reference: temporaries would not outlive the run.
    TFileMaskedReplacer(
        std::string, std::string, std::vector<std::string>&&, const std::vector<std::string>&, int) = delete;
    TFileMaskedReplacer(
        std::string, std::string, const std::vector<std::string>&, std::vector<std::string>&&, int) = delete;
    TFileMaskedReplacer(std::string, std::string, std::vector<std::string>&&, std::vector<std::string>&&, int) = delete;

    bool Start() override;
    void Step() override;
    void FinishText() override { }
    void EndRun() override;
    bool Finished() const override { return FileIndexValue >= Paths.size(); }

    std::size_t FileIndex() const { return FileIndexValue; }
    // Why the current file was left untouched (could not be read or written);
    // empty when it was processed.
    const std::string& FileError() const { return FileErrorText; }
    // True only inside the notification that ends a file (a progress
    // notification may also come at Size + 1).
    bool AtFileEnd() const { return AtFileEndValue; }
    // True only inside the last notification of the run (finished or
    // stopped); its position belongs to no file and is not a start.
    bool AtRunEnd() const { return AtRunEndValue; }

private:
    void BeginFile();
    void EndFile();
    void NotifyFileEnd();

    const std::vector<std::string>& Paths;
    const std::vector<std::string>& Encodings;
    std::string BaseReplaceMask;
    bool InFile = false;
    std::size_t FileIndexValue = 0;
    std::string FileErrorText;
    bool AtFileEndValue = false;
    bool AtRunEndValue = false;
};

} // namespace tekstovar
