#pragma once

#include "settings/inifile.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tekstovar {

// The settings file's name inside the program directory.
inline constexpr const char* SettingsFileName = "QZ.Ini";

struct TFontSettings {
    std::string Name; // UTF-8
    int Color = 0; // blue * 65536 + green * 256 + red
    int Size = 8; // points
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    bool operator==(const TFontSettings&) const = default;
};

inline constexpr int MinMainWidth = 427;
inline constexpr int MinMainHeight = 410;
inline constexpr std::array<int, 4> DefaultColumnWidths = {95, 150, 70, 55};

// Everything the main window keeps in [General], [View], [MaskHistory] and
// [ReplaceHistory]. Paths (WorkDir, LogFileName, BackupRoot) and font names
// are UTF-8 here and WIN in the file; the histories are WIN bytes, as the
// masks are. The defaults are those of a program without a settings file,
// except the ones computed from the program directory and the main window's
// bounds, which LoadSettings fills in.
struct TSettings {
    // [General]
    std::string WorkDir;
    bool LinkedPairs = true;
    bool DetectEncoding = true;
    int DefaultEncoding = 0; // 0..4: WIN, KOI, DOS, ISO, MAC
    bool Backup = true;
    bool OverwriteBackup = false;
    bool DetectDuplicates = true;
    bool Logging = false;
    std::string LogFileName;
    std::string BackupRoot; // empty, or a directory ending in "/"
    bool AutoSaveSettings = true;
    bool AutoSaveFileList = false;
    bool AutoSaveBatch = false;
    bool ReCode = false;
    bool RenameOperation = false;

    // [View]
    int Left = 0, Top = 0, Width = MinMainWidth, Height = MinMainHeight;
    // Saved; when set, SaveSettings keeps the bounds from before maximizing.
    bool Maximized = false;
    int BatchLeft = 0, BatchTop = 0, BatchWidth = 350, BatchHeight = 260;
    bool ShowBatch = false;
    int LibLeft = 0, LibTop = 0, LibWidth = 350, LibHeight = 260;
    bool ShowLib = false;
    std::array<int, 4> Columns = DefaultColumnWidths;
    TFontSettings MaskFont{"Courier New", 8388608};
    TFontSettings ReplaceFont{"Courier New", 128};
    int HistoryLength = 20;
    bool ClearListPrompt = true;
    std::uint16_t AutoLexemKey = 0x4057; // Ctrl+W
    std::uint16_t ImmedAutoLexemKey = 0x6057; // Ctrl+Shift+W
    int ActivePage = 0; // 0 files, 1 clipboard
    bool BatchReplacesTable = true;

    // Most recent first; entry i of one pairs with entry i of the other.
    std::vector<std::string> MaskHistory;
    std::vector<std::string> ReplaceHistory;

    bool operator==(const TSettings&) const = default;
};

// Where windows can be: the bounding box of the screens' available areas.
// Without screens to ask, a box as large as window systems place windows in.
struct TDesktop {
    int Left = 0;
    int Top = 0;
    int Width = 32767;
    int Height = 32767;
};

// Reads every setting in the order the main window reads them at start, so
// that the computed defaults follow what was read before: the scenario and
// library windows sit right of the main window, the library below the
// scenario window. `programDir` (UTF-8) gives the defaults of WorkDir and
// LogFileName. The main window is never smaller than 427 x 410. Values a
// hand-edited file may hold but the program cannot use (an encoding index
// outside 0..4, a page outside 0..1, a key combination outside 16 bits, a
// negative history length or column width, a font size below 1, a colour
// outside 24 bits) read as their defaults; a history "Count" is taken as at
// most HistoryLength (and 100000); histories of different lengths are cut to
// the shorter, since entries pair by position. Each window is made no larger
// than `desktop` (the main window no smaller than its minimum) and moved so
// that its top edge and at least 40 pixels of its width lie on it. A missing
// or unreadable file gives every default.
TSettings LoadSettings(IniFile& ini, const std::string& programDir,
    const std::array<int, 4>& columnDefaults = DefaultColumnWidths, const TDesktop& desktop = TDesktop());

// Writes the histories, then [General], then [View], each key always in the
// same place, so that a save changes the file only where a value changed; all
// in one rewrite of the file. The history sections are not erased first: keys
// of a longer history stay behind, unread because of "Count". A path or font
// name that WIN cannot hold is left out (the file keeps what it held for it)
// and named in the messages returned; everything else is written. A write
// failure throws TError.
std::vector<std::string> SaveSettings(IniFile& ini, const TSettings& settings);

// The history length typed in the settings dialog. Text that is not a whole
// number of 0 or more changes nothing and gives false; otherwise the length
// is stored and the last entries of both histories are dropped while the
// search-mask history is longer than it.
bool ApplyHistoryLength(TSettings& settings, const std::string& text);

} // namespace tekstovar
