#include "settings/settings.h"

#include "common/error.h"
#include "encodings/codepages.h"
#include "platform/winunicode.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace tekstovar {

namespace {

constexpr const char* General = "General";
constexpr const char* View = "View";
constexpr const char* MaskHistorySection = "MaskHistory";
constexpr const char* ReplaceHistorySection = "ReplaceHistory";

// However long the history is set to be, a "Count" beyond this is no history.
constexpr int MaxHistoryCount = 100000;

std::string WithSlash(std::string path)
{
    if (!path.empty() && path.back() != '/')
        path += '/';
    return path;
}

// How much of a window stays on the desktop however far the file moves it:
// enough to take it by its title bar.
constexpr int Grip = 40;

// Bounds from a hand-edited file: a window larger than the desktop is of no
// use and one of 16777215 pixels takes the program down with it, so the size
// is cut to the desktop's; the position keeps the title bar reachable.
void FitOnDesktop(int& left, int& top, int& width, int& height, int minWidth, int minHeight, const TDesktop& desktop)
{
    const long long deskWidth = std::max(desktop.Width, 1);
    const long long deskHeight = std::max(desktop.Height, 1);
    width = static_cast<int>(std::clamp<long long>(width, minWidth, std::max<long long>(minWidth, deskWidth)));
    height = static_cast<int>(std::clamp<long long>(height, minHeight, std::max<long long>(minHeight, deskHeight)));
    const long long grip = std::min<long long>({Grip, deskWidth, std::max(width, 1)});
    const long long right = desktop.Left + deskWidth - grip;
    left = static_cast<int>(std::clamp<long long>(left, std::min(desktop.Left - width + grip, right), right));
    const long long bottom = desktop.Top + deskHeight - std::min<long long>(Grip, deskHeight);
    top = static_cast<int>(std::clamp<long long>(top, desktop.Top, bottom));
}

int ReadInRange(IniFile& ini, const char* section, const char* key, int defaultValue, int low, int high)
{
    const int value = ini.ReadInteger(section, key, defaultValue);
    return value >= low && value <= high ? value : defaultValue;
}

// The file holds WIN; a missing key keeps the UTF-8 default untouched, so a
// program directory that WIN cannot hold still works as a default.
std::string ReadUtf8(IniFile& ini, const char* section, const char* key, const std::string& defaultValue)
{
    const auto value = ini.TryReadString(section, key);
    return value ? WinToUtf8(*value) : defaultValue;
}

std::string NotInWinMessage(const std::string& utf8, const char* what)
{
    return std::string(what) + " «" + utf8 +
        "» содержит символы, которых нет в кодировке WIN, и не может быть записан в файл настроек";
}

// A path may begin and end with a quote or a blank; the reader would take
// those away, one pair at each save.
std::string ToWin(const std::string& utf8) { return ProtectIniValue(Utf8ToWin(utf8)); }

TFontSettings ReadFont(IniFile& ini, const std::string& prefix, const TFontSettings& defaults)
{
    auto key = [&prefix](const char* suffix) { return prefix + suffix; };
    TFontSettings font;
    font.Name = ReadUtf8(ini, View, key("Name").c_str(), defaults.Name);
    font.Color = ReadInRange(ini, View, key("Color").c_str(), defaults.Color, 0, 0xFFFFFF);
    font.Size = ReadInRange(ini, View, key("Size").c_str(), defaults.Size, 1, INT_MAX);
    font.Bold = ini.ReadBool(View, key("Bold"), false);
    font.Italic = ini.ReadBool(View, key("Italic"), false);
    font.Underline = ini.ReadBool(View, key("Underline"), false);
    font.StrikeOut = ini.ReadBool(View, key("StrikeOut"), false);
    return font;
}

void WriteFont(IniFile& ini, const std::string& prefix, const TFontSettings& font, std::vector<std::string>& left)
{
    auto key = [&prefix](const char* suffix) { return prefix + suffix; };
    if (Utf8FitsWin(font.Name))
        ini.WriteString(View, key("Name"), ToWin(font.Name));
    else
        left.push_back(NotInWinMessage(font.Name, "Имя шрифта"));
    ini.WriteInteger(View, key("Color"), font.Color);
    ini.WriteInteger(View, key("Size"), font.Size);
    ini.WriteBool(View, key("Bold"), font.Bold);
    ini.WriteBool(View, key("Italic"), font.Italic);
    ini.WriteBool(View, key("Underline"), font.Underline);
    ini.WriteBool(View, key("StrikeOut"), font.StrikeOut);
}

// A hand-edited "Count" must not make the program build more entries than
// the history keeps.
std::vector<std::string> ReadHistory(IniFile& ini, const char* section, int length)
{
    const int count = std::clamp(ini.ReadInteger(section, "Count", 0), 0, std::min(length, MaxHistoryCount));
    std::vector<std::string> entries;
    entries.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        entries.push_back(UnquoteIniValue(ini.ReadString(section, "String" + std::to_string(i), "")));
    return entries;
}

void WriteHistory(IniFile& ini, const char* section, const std::vector<std::string>& entries)
{
    for (std::size_t i = 0; i < entries.size(); ++i)
        ini.WriteString(section, "String" + std::to_string(i), WrapIniValue(entries[i]));
    ini.WriteInteger(section, "Count", static_cast<int>(entries.size()));
}

std::optional<int> ParseWholeNumber(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    if (text.empty())
        return std::nullopt;
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > INT_MAX)
            return std::nullopt;
    }
    return static_cast<int>(value);
}

} // namespace

TSettings LoadSettings(
    IniFile& ini, const std::string& programDir, const std::array<int, 4>& columnDefaults, const TDesktop& desktop)
{
    const std::string directory = WithSlash(programDir);
    TSettings s;

    s.WorkDir = ReadUtf8(ini, General, "WorkDir", directory);
    s.LinkedPairs = ini.ReadBool(General, "LinkedPairs", true);
    s.DetectEncoding = ini.ReadBool(General, "DetectEncoding", true);
    s.DefaultEncoding = ReadInRange(ini, General, "DefaultEncoding", 0, 0, PageCount - 1);
    s.Backup = ini.ReadBool(General, "Backup", true);
    s.OverwriteBackup = ini.ReadBool(General, "OverwriteBackup", false);
    s.DetectDuplicates = ini.ReadBool(General, "DetectDuplicates", true);
    s.Logging = ini.ReadBool(General, "Logging", false);
    s.LogFileName = ReadUtf8(ini, General, "LogFileName", directory + "QZ.Log");
    s.BackupRoot = WithSlash(ReadUtf8(ini, General, "BackupRoot", ""));
    s.AutoSaveSettings = ini.ReadBool(General, "AutoSaveSettings", true);
    s.AutoSaveFileList = ini.ReadBool(General, "AutoSaveFileList", false);
    s.AutoSaveBatch = ini.ReadBool(General, "AutoSaveBatch", false);
    s.ReCode = ini.ReadBool(General, "ReCode", false);
    s.RenameOperation = ini.ReadBool(General, "RenameOperation", false);

    s.Left = ini.ReadInteger(View, "Left", 0);
    s.Top = ini.ReadInteger(View, "Top", 0);
    s.Width = ini.ReadInteger(View, "Width", MinMainWidth);
    s.Height = ini.ReadInteger(View, "Height", MinMainHeight);
    FitOnDesktop(s.Left, s.Top, s.Width, s.Height, MinMainWidth, MinMainHeight, desktop);
    // Start-up itself never maximizes; the window may use this if it likes.
    s.Maximized = ini.ReadBool(View, "Maximized", false);
    s.BatchLeft = ini.ReadInteger(View, "BatchLeft", s.Left + s.Width);
    s.BatchTop = ini.ReadInteger(View, "BatchTop", s.Top);
    s.BatchWidth = ini.ReadInteger(View, "BatchWidth", 350);
    s.BatchHeight = ini.ReadInteger(View, "BatchHeight", 260);
    FitOnDesktop(s.BatchLeft, s.BatchTop, s.BatchWidth, s.BatchHeight, 0, 0, desktop);
    s.ShowBatch = ini.ReadBool(View, "ShowBatch", false);
    s.LibLeft = ini.ReadInteger(View, "LibLeft", s.Left + s.Width);
    s.LibTop = ini.ReadInteger(View, "LibTop", s.Top + s.BatchHeight);
    s.LibWidth = ini.ReadInteger(View, "LibWidth", 350);
    s.LibHeight = ini.ReadInteger(View, "LibHeight", 260);
    FitOnDesktop(s.LibLeft, s.LibTop, s.LibWidth, s.LibHeight, 0, 0, desktop);
    s.ShowLib = ini.ReadBool(View, "ShowLib", false);
    s.ClearListPrompt = ini.ReadBool(View, "ClearListPrompt", true);
    s.AutoLexemKey = static_cast<std::uint16_t>(ReadInRange(ini, View, "AutoLexemKey", 0x4057, 0, 0xFFFF));
    s.ImmedAutoLexemKey = static_cast<std::uint16_t>(ReadInRange(ini, View, "ImmedAutoLexemKey", 0x6057, 0, 0xFFFF));
    s.BatchReplacesTable = ini.ReadBool(View, "BatchReplacesTable", true);
    s.ActivePage = ReadInRange(ini, View, "ActivePage", 0, 0, 1);
    for (std::size_t i = 0; i < s.Columns.size(); ++i) {
        const std::string key = "Column" + std::to_string(i);
        s.Columns[i] = ReadInRange(ini, View, key.c_str(), columnDefaults[i], 0, INT_MAX);
    }
    s.MaskFont = ReadFont(ini, "MaskFont", TSettings().MaskFont);
    s.ReplaceFont = ReadFont(ini, "ReplaceFont", TSettings().ReplaceFont);
    s.HistoryLength = ReadInRange(ini, View, "HistoryLength", 20, 0, INT_MAX);

    s.MaskHistory = ReadHistory(ini, MaskHistorySection, s.HistoryLength);
    s.ReplaceHistory = ReadHistory(ini, ReplaceHistorySection, s.HistoryLength);
    const std::size_t pairs = std::min(s.MaskHistory.size(), s.ReplaceHistory.size());
    s.MaskHistory.resize(pairs);
    s.ReplaceHistory.resize(pairs);
    return s;
}

std::vector<std::string> SaveSettings(IniFile& ini, const TSettings& s)
{
    // A text the file cannot hold keeps the file's earlier value; the rest
    // is written all the same.
    std::vector<std::string> left;
    auto writeText = [&](const char* key, const std::string& utf8, const char* what) {
        if (Utf8FitsWin(utf8))
            ini.WriteString(General, key, ToWin(utf8));
        else
            left.push_back(NotInWinMessage(utf8, what));
    };
    // A pair the file would cut is left out whole: recalled cut, a mask
    // would search for something the user never typed.
    std::vector<std::string> masks;
    std::vector<std::string> replaces;
    const std::size_t pairs = std::min(s.MaskHistory.size(), s.ReplaceHistory.size());
    for (std::size_t i = 0; i < pairs; ++i) {
        if (WrapIniValue(s.MaskHistory[i]).size() > IniFile::MaxValueLength ||
            WrapIniValue(s.ReplaceHistory[i]).size() > IniFile::MaxValueLength)
            continue;
        masks.push_back(s.MaskHistory[i]);
        replaces.push_back(s.ReplaceHistory[i]);
    }
    ini.Update([&] {
        WriteHistory(ini, MaskHistorySection, masks);
        WriteHistory(ini, ReplaceHistorySection, replaces);

        ini.WriteBool(General, "BackUp", s.Backup);
        ini.WriteBool(General, "OverwriteBackup", s.OverwriteBackup);
        ini.WriteBool(General, "DetectDuplicates", s.DetectDuplicates);
        writeText("WorkDir", s.WorkDir, "Рабочий каталог");
        ini.WriteBool(General, "LinkedPairs", s.LinkedPairs);
        ini.WriteBool(General, "DetectEncoding", s.DetectEncoding);
        ini.WriteInteger(General, "DefaultEncoding", s.DefaultEncoding);
        ini.WriteBool(General, "RenameOperation", s.RenameOperation);
        ini.WriteBool(General, "Logging", s.Logging);
        writeText("LogFileName", s.LogFileName, "Путь файла отчёта");
        ini.WriteBool(General, "AutoSaveSettings", s.AutoSaveSettings);
        ini.WriteBool(General, "AutoSaveFileList", s.AutoSaveFileList);
        ini.WriteBool(General, "AutoSaveBatch", s.AutoSaveBatch);
        writeText("BackupRoot", WithSlash(s.BackupRoot), "Каталог резервных копий");
        ini.WriteBool(General, "ReCode", s.ReCode);

        ini.WriteInteger(View, "HistoryLength", s.HistoryLength);
        ini.WriteBool(View, "Maximized", s.Maximized);
        // A maximized window keeps the bounds it will return to.
        if (!s.Maximized) {
            ini.WriteInteger(View, "Left", s.Left);
            ini.WriteInteger(View, "Top", s.Top);
            ini.WriteInteger(View, "Width", s.Width);
            ini.WriteInteger(View, "Height", s.Height);
        }
        ini.WriteInteger(View, "BatchLeft", s.BatchLeft);
        ini.WriteInteger(View, "BatchTop", s.BatchTop);
        ini.WriteInteger(View, "BatchWidth", s.BatchWidth);
        ini.WriteInteger(View, "BatchHeight", s.BatchHeight);
        ini.WriteBool(View, "ShowBatch", s.ShowBatch);
        ini.WriteInteger(View, "LibLeft", s.LibLeft);
        ini.WriteInteger(View, "LibTop", s.LibTop);
        ini.WriteInteger(View, "LibWidth", s.LibWidth);
        ini.WriteInteger(View, "LibHeight", s.LibHeight);
        ini.WriteBool(View, "ShowLib", s.ShowLib);
        for (std::size_t i = 0; i < s.Columns.size(); ++i)
            ini.WriteInteger(View, "Column" + std::to_string(i), s.Columns[i]);
        WriteFont(ini, "MaskFont", s.MaskFont, left);
        WriteFont(ini, "ReplaceFont", s.ReplaceFont, left);
        ini.WriteBool(View, "ClearListPrompt", s.ClearListPrompt);
        ini.WriteInteger(View, "AutoLexemKey", s.AutoLexemKey);
        ini.WriteInteger(View, "ImmedAutoLexemKey", s.ImmedAutoLexemKey);
        ini.WriteInteger(View, "ActivePage", s.ActivePage);
        ini.WriteBool(View, "BatchReplacesTable", s.BatchReplacesTable);
    });
    return left;
}

bool ApplyHistoryLength(TSettings& settings, const std::string& text)
{
    const auto length = ParseWholeNumber(text);
    if (!length)
        return false;
    settings.HistoryLength = *length;
    const auto wanted = static_cast<std::size_t>(*length);
    while (settings.MaskHistory.size() > wanted) {
        settings.MaskHistory.pop_back();
        if (!settings.ReplaceHistory.empty())
            settings.ReplaceHistory.pop_back();
    }
    return true;
}

} // namespace tekstovar
