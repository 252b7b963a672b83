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
    // Whether the new contents differ from the file's (after the last piece).
    bool OutputChanged();

    bool InFile = false;
    int RunTarget = -1; // the page the run recodes into; per file the engine's may differ
    TPagedText Paged; // how the current file goes through the engine (its bytes are the text)
    // A UTF-8 file recoded into a byte page: its own bytes are not kept (that
    // would double the memory); they come back exactly from the engine's text.
    bool Utf8Recoded() const;
    TPagedText Utf8Of() const; // how the engine's text goes back to the file's UTF-8
    std::size_t OriginalSize = 0;
    bool OriginalBom = false;
    std::unique_ptr<TFileOutput> Out; // the new contents, unless a preview keeps them
};

} // namespace tekstovar
