#pragma once

#include "encodings/pagedtext.h"
#include "engine/filelistreplacer.h"
#include "engine/fileoutput.h"

#include <memory>

namespace tekstovar {

// One mask pair over the contents of a list of files, each in its own code
// page, each rewritten with its result. Per file the owner sees the start
// notification (only when there is work), progress, and the end
// notification, made once the file is written or has failed (FileError():
// it could not be read, backed up or written, or was too large for memory,
// and was left as it was). A result equal to the file's bytes is not
// written at all; one written without all of the old file's owner or
// attributes says so in FileWarning().
class TFileMaskedReplacer : public TFileListReplacer {
public:
    using TFileListReplacer::TFileListReplacer;

    bool Start() override;
    void Step() override;

private:
    void BeginFile();
    void EndFile();
    // Leaves the current file as it is, with why.
    void AbandonFile(std::string why);
    void AfterRunEnd() override;
    // The file's contents as they go out (UTF-8 when the run asks for it).
    std::string Output();
    // Where the engine's result goes while the file is worked on.
    void BeginOutput();
    // The file's bytes before the run, whole.
    std::string Before() const;

    bool InFile = false;
    int RunTarget = -1; // the page the run recodes into; per file the engine's may differ
    TPagedText Paged; // how the current file goes through the engine (its bytes are the text)
    // A UTF-8 file's bytes, while the engine works on them in a byte page and
    // gives them out in another (into UTF-8 they come back exactly).
    std::string Original;
    std::unique_ptr<TFileOutput> Out; // the new contents, unless a preview keeps them
};

} // namespace tekstovar
