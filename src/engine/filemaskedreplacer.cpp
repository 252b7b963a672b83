#include "engine/filemaskedreplacer.h"

#include "common/error.h"
#include "encodings/codepages.h"
#include "encodings/utf8.h"
#include "platform/fileio.h"
#include "platform/quoting.h"

#include <filesystem>
#include <new>
#include <utility>

namespace tekstovar {

bool TFileMaskedReplacer::Start()
{
    InFile = false;
    RunTarget = TargetEncoding();
    return TFileListReplacer::Start();
}

void TFileMaskedReplacer::AbandonFile(std::string why)
{
    FileErrorValue = std::move(why);
    InFile = false;
    Out.reset();
    ResultSink = nullptr;
    // The memory a file too large took is given back before the next one.
    SetText("");
    SetResult("");
    SetReplaceCount(0);
    NotifyFileEnd();
}

void TFileMaskedReplacer::BeginFile()
{
    if (!MayTouchFile()) {
        AbandonFile(FileErrorValue);
        return;
    }
    std::string contents;
    try {
        // A preview's earlier step left the file's new bytes in the store.
        const std::string& path = Paths[FileIndex()];
        if (Preview && Preview->After.contains(path))
            contents = Preview->After.at(path);
        else
            contents = ReadFileBytes(path);
    } catch (const TError& e) {
        AbandonFile(e.what()); // left untouched and reported; the run goes on
        return;
    }
    const int page = FileEncoding();
    OriginalSize = contents.size();
    OriginalBom = page == EncodingUtf && std::string_view(contents).starts_with(Utf8Bom);
    try {
        Paged = ToEngine(std::move(contents), page, RunTarget);
    } catch (const TError& e) {
        AbandonFile(e.what()); // a UTF-8 text the engine's page cannot hold stays whole
        return;
    }
    SetText(std::move(Paged.Bytes));
    AssignTargetEncoding(Paged.EngineTarget);
    PrepareForFile(Paged.EnginePage);
    TakeLineBreakFromText(); // each file writes its own line break
    BeginOutput();
    if (TMaskedReplacer::Start())
        InFile = true;
    else
        EndFile();
}

void TFileMaskedReplacer::Step()
{
    if (Finished())
        return;
    try {
        if (!InFile) {
            BeginFile();
            if (!InFile)
                return;
        }
        // An empty file still gets its one step: a mask that matches the
        // empty text inserts its replacement.
        TMaskedReplacer::Step();
        if (TMaskedReplacer::Finished()) {
            TMaskedReplacer::FinishText();
            InFile = false;
            EndFile();
        }
    } catch (const TError& e) {
        AbandonFile(e.what()); // the file stays as it was
    } catch (const std::bad_alloc&) {
        // One file too large for memory must not end the run.
        AbandonFile("Недостаточно памяти для файла " + QuoteName(Paths[FileIndex()]));
    }
}

void TFileMaskedReplacer::BeginOutput()
{
    ResultSink = nullptr;
    Out.reset();
    if (Preview)
        return; // the preview keeps the whole result
    const int page = FileEncoding();
    TFileOutput::TConvert convert;
    if (Paged.OutPage == EncodingUtf)
        convert = [this, first = true](std::string_view piece) mutable {
            return FromEnginePiece(piece, Paged, std::exchange(first, false));
        };
    // A UTF-8 file that stays UTF-8 is compared in the engine's page, where
    // its text is (it converts back exactly); one recoded into a byte page is
    // written whole and compared afterwards, if its size allows them to be
    // equal; any other with its bytes, which the engine's text is.
    const bool utf8Kept = page == EncodingUtf && Paged.OutPage == EncodingUtf;
    Out = std::make_unique<TFileOutput>(
        Paths[FileIndex()], Utf8Recoded() ? std::string_view() : Text(), utf8Kept, std::move(convert));
    if (Utf8Recoded())
        Out->AssumeDifferent();
    ResultSink = [this](std::string_view piece) { Out->Put(piece); };
}

std::string TFileMaskedReplacer::Output()
{
    if (Paged.OutPage != EncodingUtf)
        return Result();
    return FromEngine(Result(), Paged);
}

bool TFileMaskedReplacer::Utf8Recoded() const { return FileEncoding() == EncodingUtf && Paged.OutPage != EncodingUtf; }

TPagedText TFileMaskedReplacer::Utf8Of() const
{
    TPagedText utf8;
    utf8.EnginePage = Paged.EnginePage;
    utf8.OutPage = EncodingUtf;
    utf8.Bom = OriginalBom;
    return utf8;
}

std::string TFileMaskedReplacer::Before() const
{
    if (FileEncoding() != EncodingUtf)
        return std::string(Text());
    return FromEngine(std::string(Text()), Utf8Of());
}

bool TFileMaskedReplacer::OutputChanged()
{
    if (!Out || !Out->Changed())
        return false;
    if (!Utf8Recoded() || Out->Size() != OriginalSize)
        return true;
    // As long as the file: compared with its bytes, made again piece by piece.
    constexpr std::size_t chunk = std::size_t{1} << 18;
    const TPagedText utf8 = Utf8Of();
    std::size_t at = 0;
    bool first = true;
    return !Out->WrittenEquals([&]() -> std::string {
        if (at >= Text().size() && !first)
            return {};
        std::string piece = FromEnginePiece(Text().substr(std::min(at, Text().size()), chunk), utf8, first);
        at += chunk;
        first = false;
        return piece;
    });
}

void TFileMaskedReplacer::EndFile()
{
    ResultSink = nullptr;
    if (Preview) {
        const std::string output = Output();
        const std::string before = Before();
        if (output != before) {
            const std::string& path = Paths[FileIndex()];
            Preview->Before.emplace(path, before); // what it held before the first step
            Preview->After[path] = output;
            FileChangedValue = true;
        }
        NotifyFileEnd();
        return;
    }
    // Nothing is rewritten that did not change: its inode, times and links stay.
    if (OutputChanged() && MayChangeFile()) {
        try {
            FileWarningValue = Out->Commit();
            FileChangedValue = true;
        } catch (const TError& e) {
            FileErrorValue = e.what(); // the old contents stay
        }
    }
    Out.reset();
    NotifyFileEnd();
}

void TFileMaskedReplacer::AfterRunEnd()
{
    AssignTargetEncoding(RunTarget);
    ResultSink = nullptr;
    Out.reset(); // a file stopped inside is not written: its temporary goes
    if (!InFile || Preview)
        return;
    // Stopped inside a file: it was not written, so it must still be at its
    // path with its old contents, whatever else happened to it.
    const std::string& path = Paths[FileIndex()];
    std::error_code error;
    if (!std::filesystem::exists(path, error) && !error) {
        try {
            WriteFileReplacing(path, Before());
        } catch (const TError& e) {
            FileErrorValue = e.what();
        }
    }
    InFile = false;
}

} // namespace tekstovar
