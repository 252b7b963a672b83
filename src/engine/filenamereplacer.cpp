#include "engine/filenamereplacer.h"

#include "common/error.h"
#include "encodings/codepages.h"
#include "encodings/recode.h"
#include "platform/fileio.h"
#include "platform/winunicode.h"

namespace tekstovar {

bool IsValidFileName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
        name.find('\0') == std::string::npos;
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
    FileErrorText.clear();
    const std::string& path = Paths[FileIndex()];
    const auto slash = path.rfind('/');
    const std::string directory = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string name = path.substr(directory.size());
    NewNameValue = name;
    auto keep = [this](std::string why) {
        FileErrorText = std::move(why);
        SetResult(Text());
        SetReplaceCount(0);
    };
    if (!Utf8FitsWin(name)) {
        SetText(Utf8ToWin(name));
        keep("Имя файла нельзя записать в кодировке WIN: " + path);
        return;
    }
    try {
        SetText(Utf8ToWin(name));
        PrepareForFile(); // a fresh tree: nothing remembered from the last name
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
        keep("Недопустимое имя файла \"" + newName + "\" для " + path);
        return;
    }
    std::string reason;
    if (!RenameNoReplace(path, directory + newName, reason)) {
        keep("Не удаётся переименовать " + path + " в " + newName + ": " + reason);
        return;
    }
    NewNameValue = newName;
}

} // namespace tekstovar
