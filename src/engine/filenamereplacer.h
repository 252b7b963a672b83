#pragma once

#include "engine/maskedreplacer.h"

#include <string>
#include <vector>

namespace tekstovar {

// One mask pair over the names of a list of files: the name part of each
// path (after the last "/") is taken into WIN, replaced, and the file is
// renamed. A name WIN cannot hold, a result that is no valid name, or a
// rename that fails (a file of that name exists) leaves the file as it was:
// its end notification then counts 0, keeps the old name and says why in
// FileError().
class TFileNameMaskedReplacer : public TMaskedReplacer {
public:
    TFileNameMaskedReplacer(std::string searchMask, std::string replaceMask, const std::vector<std::string>& paths,
        const std::vector<std::string>& encodings, int targetEncoding);

    // The lists are held by reference: temporaries would not outlive the run.
    TFileNameMaskedReplacer(
        std::string, std::string, std::vector<std::string>&&, const std::vector<std::string>&, int) = delete;
    TFileNameMaskedReplacer(
        std::string, std::string, const std::vector<std::string>&, std::vector<std::string>&&, int) = delete;
    TFileNameMaskedReplacer(
        std::string, std::string, std::vector<std::string>&&, std::vector<std::string>&&, int) = delete;

    bool Start() override;
    void Step() override;
    void FinishText() override { }
    void EndRun() override;
    bool Finished() const override { return FileIndexValue >= Paths.size(); }

    std::size_t FileIndex() const { return FileIndexValue; }
    // In a name's end notification: its name now (UTF-8), and why it kept
    // the old one, if it did.
    const std::string& NewName() const { return NewNameValue; }
    const std::string& FileError() const { return FileErrorText; }
    // True only inside the notification that ends a name.
    bool AtFileEnd() const { return AtFileEndValue; }
    // True only inside the last notification of the run (finished or
    // stopped); its position belongs to no file and is not a start.
    bool AtRunEnd() const { return AtRunEndValue; }

private:
    void ReplaceName();

    const std::vector<std::string>& Paths;
    const std::vector<std::string>& Encodings;
    std::string BaseReplaceMask;
    std::size_t FileIndexValue = 0;
    std::string NewNameValue;
    std::string FileErrorText;
    bool AtFileEndValue = false;
    bool AtRunEndValue = false;
};

// Whether a name can be given to a file: not empty, not "." or "..", without
// "/" and NUL.
bool IsValidFileName(const std::string& name);

} // namespace tekstovar
