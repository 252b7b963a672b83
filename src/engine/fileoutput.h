#pragma once

#include "platform/fileio.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace tekstovar {

// A file's new contents as a run hands them over piece by piece, compared
// with what the file holds, and written to a temporary beside it only from
// the first byte that differs: a file that does not change is never written,
// and a large one is never held twice in memory. A failure to write is kept
// for the end of the file, so that the run's own order of reasons (the
// backup before the write) stays.
class TFileOutput {
public:
    // A piece in the file's page, from a piece as the run hands it over.
    using TConvert = std::function<std::string(std::string_view piece)>;

    // reference: what the file holds, in the page the pieces are compared
    // in: the pieces as handed over when compareBeforeConversion, else as
    // converted (convert null: the pieces are the file's bytes as they are).
    // It must outlive the object.
    TFileOutput(std::string path, std::string_view reference, bool compareBeforeConversion, TConvert convert);

    // Takes every piece as different from the start: for a reference not
    // at hand, checked afterwards with WrittenEquals.
    void AssumeDifferent() { Differs = true; }
    void Put(std::string_view piece);
    // Bytes of the new contents so far.
    std::size_t Size() const { return SizeValue; }
    // Whether what was written equals `expected`, given as consecutive
    // pieces by `next` (an empty piece ends it); read back from the
    // temporary. False when nothing could be written.
    bool WrittenEquals(const std::function<std::string()>& next);
    // After the last piece: whether the new contents differ from the old.
    bool Changed();
    // Puts the new file in place (Changed() must be true). Returns what of
    // the old file it could not keep; throws TError when it could not be
    // written, the old file untouched.
    std::string Commit();

private:
    std::string Converted(std::string_view piece) const;
    void Write(std::string_view bytes);
    // The first difference: the equal part so far goes out first.
    void BeginWriting();

    std::string Path;
    std::string_view Reference;
    bool CompareBeforeConversion;
    TConvert Convert;
    std::size_t Equal = 0; // bytes of the reference the output has matched so far
    std::size_t SizeValue = 0;
    bool Differs = false;
    std::unique_ptr<TFileRewrite> Rewrite;
    std::string WriteError;
};

} // namespace tekstovar
