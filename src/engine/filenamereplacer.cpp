#include "engine/filenamereplacer.h"

#include <filesystem>

#include "common/error.h"
#include "encodings/codepages.h"
#include "platform/fileio.h"
#include "platform/pathparts.h"
#include "platform/quoting.h"
#include "platform/winunicode.h"

#include <algorithm>

namespace tekstovar {

bool IsValidFileName(const std::string& name)
{
    const auto control = [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; };
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
        std::none_of(name.begin(), name.end(), control);
}

void TFileNameMaskedReplacer::Step()
{
    if (Finished())
        return;
    ReplaceName();
    NotifyFileEnd();
}

void TFileNameMaskedReplacer::ReplaceName()
{
    const std::string& path = Paths[FileIndex()];
    const std::string directory = DirectoryPart(path);
    const std::string name = NamePart(path);
    NewNameValue = name;
    auto keep = [this](std::string why) {
        FileErrorValue = std::move(why);
        SetResult(std::string(Text()));
        SetReplaceCount(0);
    };
    SetText(Utf8ToWin(name));
    if (!MayTouchFile()) {
        keep(FileErrorValue);
        return;
    }
    if (!Utf8FitsWin(name)) {
        keep("Имя файла нельзя записать в кодировке WIN: " + QuoteName(path));
        return;
    }
    try {
        PrepareForFile(EncodingWin); // a fresh tree: nothing remembered from the last name
        AssignTargetEncoding(EncodingNone);
        if (TMaskedReplacer::Start()) {
            while (!TMaskedReplacer::Finished())
                TMaskedReplacer::Step();
            TMaskedReplacer::FinishText();
        }
    } catch (const TError& e) {
        keep(e.what());
        return;
    }
    const std::string newName = WinToUtf8(Result());
    if (newName == name)
        return;
    if (!IsValidFileName(newName)) {
        keep("Недопустимое имя файла " + QuoteName(newName, true) + " для " + QuoteName(path));
        return;
    }
    if (Preview) {
        // The real run renames without replacing: a name another file has,
        // on disk or by an earlier rename of this preview, would stop it.
        const std::string target = directory + newName;
        const auto origin = Preview->Origins.find(path);
        const std::string onDisk = origin == Preview->Origins.end() ? path : origin->second;
        std::error_code error;
        if (Preview->Origins.contains(target) || (target != onDisk && std::filesystem::exists(target, error))) {
            keep("Не удаётся переименовать " + QuoteName(path) + " в " + QuoteName(newName) + ": имя уже занято");
            return;
        }
        Preview->Origins[target] = onDisk;
        NewNameValue = newName;
        FileChangedValue = true;
        return;
    }
    if (!MayChangeFile()) {
        keep(FileErrorValue);
        return;
    }
    std::string reason;
    if (!RenameNoReplace(path, directory + newName, reason)) {
        keep("Не удаётся переименовать " + QuoteName(path) + " в " + QuoteName(newName) + ": " + reason);
        return;
    }
    NewNameValue = newName;
    FileChangedValue = true;
}

} // namespace tekstovar
