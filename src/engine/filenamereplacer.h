#pragma once

#include "engine/filelistreplacer.h"

#include <string>
#include <vector>

namespace tekstovar {

// One mask pair over the names of a list of files: the name part of each
// path (after the last "/") is taken into WIN, replaced, and the file is
// renamed. Names are searched as names, in WIN whatever the code page of the
// file's contents, and never recoded: the code-page arguments only keep the
// constructor alike to the content replacer's. A name WIN cannot hold, a
// result that is no valid name, or a rename that fails (a file of that name
// exists) leaves the file as it was: its end notification then counts 0,
// keeps the old name and says why in FileError().
class TFileNameMaskedReplacer : public TFileListReplacer {
public:
    using TFileListReplacer::TFileListReplacer;

    void Step() override;

    // In a name's end notification: its name now (UTF-8).
    const std::string& NewName() const { return NewNameValue; }

private:
    void ReplaceName();

    std::string NewNameValue;
};

// Whether a name can be given to a file: not empty, not "." or "..", without
// "/", NUL, line breaks or other control characters.
bool IsValidFileName(const std::string& name);

} // namespace tekstovar
