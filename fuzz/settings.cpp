// Random settings files (QZ.Ini) through IniFile and the settings store.
//
// Input: the file's bytes. The settings read must keep the ranges the store
// promises (for a desktop of the default size); saved into the same file (as the program does at exit) and read
// again they must be the same settings, unless the save refuses them with
// TError; a second save of what was read back must leave the file as it is.

#include "settings/settings.h"
#include "common/error.h"
#include "encodings/codepages.h"
#include "settings/inifile.h"
#include "support.h"

#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

using namespace tekstovar;

namespace {

const std::string ProgramDir = "/opt/tekstovar/";

std::string Describe(const TSettings& s)
{
    std::string out;
    auto put = [&out](const char* name, const std::string& value) {
        out += "  ";
        out += name;
        out += " = ";
        out += value;
        out += '\n';
    };
    auto text = [&put](const char* name, const std::string& value) {
        put(name, "\"" + fuzz::Printable(value, 120) + "\"");
    };
    auto number = [&put](const char* name, long long value) { put(name, std::to_string(value)); };
    auto font = [&](const char* name, const TFontSettings& f) {
        put(name,
            "\"" + fuzz::Printable(f.Name, 120) + "\" " + std::to_string(f.Color) + " " + std::to_string(f.Size) + " " +
                std::to_string(f.Bold) + std::to_string(f.Italic) + std::to_string(f.Underline) +
                std::to_string(f.StrikeOut));
    };
    text("WorkDir", s.WorkDir);
    number("LinkedPairs", s.LinkedPairs);
    number("DetectEncoding", s.DetectEncoding);
    number("DefaultEncoding", s.DefaultEncoding);
    number("Backup", s.Backup);
    number("OverwriteBackup", s.OverwriteBackup);
    number("DetectDuplicates", s.DetectDuplicates);
    number("Logging", s.Logging);
    text("LogFileName", s.LogFileName);
    text("BackupRoot", s.BackupRoot);
    number("AutoSaveSettings", s.AutoSaveSettings);
    number("AutoSaveFileList", s.AutoSaveFileList);
    number("AutoSaveBatch", s.AutoSaveBatch);
    number("ReCode", s.ReCode);
    number("RenameOperation", s.RenameOperation);
    number("Left", s.Left);
    number("Top", s.Top);
    number("Width", s.Width);
    number("Height", s.Height);
    number("Maximized", s.Maximized);
    number("BatchLeft", s.BatchLeft);
    number("BatchTop", s.BatchTop);
    number("BatchWidth", s.BatchWidth);
    number("BatchHeight", s.BatchHeight);
    number("ShowBatch", s.ShowBatch);
    number("LibLeft", s.LibLeft);
    number("LibTop", s.LibTop);
    number("LibWidth", s.LibWidth);
    number("LibHeight", s.LibHeight);
    number("ShowLib", s.ShowLib);
    for (std::size_t i = 0; i < s.Columns.size(); ++i)
        number(("Column" + std::to_string(i)).c_str(), s.Columns[i]);
    font("MaskFont", s.MaskFont);
    font("ReplaceFont", s.ReplaceFont);
    number("HistoryLength", s.HistoryLength);
    number("ClearListPrompt", s.ClearListPrompt);
    number("AutoLexemKey", s.AutoLexemKey);
    number("ImmedAutoLexemKey", s.ImmedAutoLexemKey);
    number("ActivePage", s.ActivePage);
    number("BatchReplacesTable", s.BatchReplacesTable);
    number("history entries", static_cast<long long>(s.MaskHistory.size()));
    for (std::size_t i = 0; i < s.MaskHistory.size() && i < 20; ++i)
        put(("history " + std::to_string(i)).c_str(),
            "\"" + fuzz::Printable(s.MaskHistory[i], 120) + "\" -> \"" + fuzz::Printable(s.ReplaceHistory[i], 120) +
                "\"");
    return out;
}

// Only the lines that differ, so that a report shows the field at once.
std::string Difference(const TSettings& a, const TSettings& b)
{
    const std::string x = Describe(a), y = Describe(b);
    std::string out;
    std::size_t i = 0, j = 0;
    while (i < x.size() && j < y.size()) {
        const std::size_t ei = x.find('\n', i), ej = y.find('\n', j);
        const std::string_view lx(x.data() + i, ei - i), ly(y.data() + j, ej - j);
        if (lx != ly)
            out += "read:  " + std::string(lx) + "\nagain: " + std::string(ly) + "\n";
        i = ei + 1;
        j = ej + 1;
    }
    return out;
}

[[noreturn]] void Fail(std::string_view input, const std::string& what, const std::string& detail = {})
{
    fuzz::Fail("settings", what, "input = \"" + fuzz::Printable(input) + "\"\n" + detail);
}

void CheckRanges(std::string_view input, const TSettings& s)
{
    auto font = [](const TFontSettings& f) { return f.Size >= 1 && f.Color >= 0 && f.Color <= 0xFFFFFF; };
    bool columns = true;
    for (int width : s.Columns)
        columns = columns && width >= 0;
    const bool slash = s.BackupRoot.empty() || s.BackupRoot.back() == '/';
    // Windows fit the desktop, which without screens is 32767 square.
    const TDesktop desktop;
    auto fits = [&desktop](int width, int height) { return width <= desktop.Width && height <= desktop.Height; };
    const bool windows = s.Width >= MinMainWidth && s.Height >= MinMainHeight && fits(s.Width, s.Height) &&
        s.BatchWidth >= 0 && s.BatchHeight >= 0 && fits(s.BatchWidth, s.BatchHeight) && s.LibWidth >= 0 &&
        s.LibHeight >= 0 && fits(s.LibWidth, s.LibHeight);
    if (!IsPage(s.DefaultEncoding) || s.ActivePage < 0 || s.ActivePage > 1 || !windows ||
        s.HistoryLength < 0 || !columns || !slash || !font(s.MaskFont) || !font(s.ReplaceFont) ||
        s.MaskHistory.size() != s.ReplaceHistory.size() || s.MaskHistory.size() > 100000 ||
        s.MaskHistory.size() > static_cast<std::size_t>(s.HistoryLength))
        Fail(input, "a setting outside its range", Describe(s));
}

void Check(std::string_view input)
{
    static fuzz::TScratch scratch;
    const std::string path = scratch.Put("QZ.Ini", input);
    TSettings first;
    {
        IniFile ini(path);
        first = LoadSettings(ini, ProgramDir);
    }
    CheckRanges(input, first);
    {
        IniFile ini(path);
        try {
            if (!SaveSettings(ini, first).empty())
                return; // a value the file cannot hold was left out
        } catch (const TError&) {
            return; // refused before anything was written
        }
    }
    const std::string saved = fuzz::TScratch::Get(path);
    TSettings again;
    {
        IniFile ini(path);
        again = LoadSettings(ini, ProgramDir);
    }
    if (again != first)
        Fail(input, "read, saved and read again differs",
            Difference(first, again) + "saved = \"" + fuzz::Printable(saved) + "\"");
    {
        IniFile ini(path);
        SaveSettings(ini, again);
    }
    const std::string resaved = fuzz::TScratch::Get(path);
    if (resaved != saved)
        Fail(input, "a second save changed the file",
            "saved   = \"" + fuzz::Printable(saved) + "\"\nresaved = \"" + fuzz::Printable(resaved) + "\"");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return tekstovar::fuzz::CheckInput(data, size, Check, Fail);
}
