#pragma once

#include <cstddef>
#include <functional>
#include <list>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tekstovar {

// A Windows-style INI file ("[Section]" lines and "Key=Value" lines), read
// and written the way the Windows profile functions do it. Names are matched
// without regard to the case of ASCII letters; values are bytes (WIN in the
// program's own files) and are never converted here.
//
// The file is parsed once and parsed again only when it changed on disk, so
// reading many keys costs one read of the file, and an index of the keys
// finds each one without a walk through the lines. Every write call rewrites the
// whole file safely (a temporary file renamed over it) before it returns;
// Update groups many writes into one such rewrite.
class IniFile {
public:
    explicit IniFile(std::string path);
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;

    const std::string& Path() const { return FilePath; }

    // The value with blanks at both ends dropped, then one pair of matching
    // enclosing double or single quotes removed, then cut to MaxValueLength
    // bytes. A missing or unreadable file reads as empty.
    std::optional<std::string> TryReadString(std::string_view section, std::string_view key);
    std::string ReadString(std::string_view section, std::string_view key, std::string_view defaultValue);
    // Decimal with an optional sign, or "0x"/"0X" and hex digits up to
    // 0xFFFFFFFF (taken as 32 bits, so that is -1); anything else, or a
    // number outside 32 bits, is the default.
    int ReadInteger(std::string_view section, std::string_view key, int defaultValue);
    // Any non-zero integer is true.
    bool ReadBool(std::string_view section, std::string_view key, bool defaultValue);

    struct TEntry {
        std::string Name; // lower-case ASCII
        std::string Value;
    };
    // Every key of the section that TryReadString finds, once each, in file
    // order, with one look at the disk. The value is as TryReadString gives
    // it but never cut, so that a caller can refuse a value too long to keep
    // rather than take part of it.
    std::vector<TEntry> ReadSection(std::string_view section);

    // Why the existing file could not be read (a directory, a FIFO or other
    // special file, no permission); empty when it was read or is missing.
    // A special file is never opened for reading, so it cannot block.
    const std::string& ReadError();

    // Replaces the first line of that key in place, or appends the key after
    // the last entry of the section, or appends the section at the end of the
    // file. The file is written before the call returns; a failure throws
    // TError "Unable to write to PATH". A value holding CR or LF could not be
    // read back and throws TError before anything is written; so does an
    // existing file that cannot be read, which the write would otherwise wipe.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int value);
    void WriteBool(std::string_view section, std::string_view key, bool value);
    // Removes every section of that name with all its lines.
    void EraseSection(std::string_view section);

    // Runs `writes` and writes the file once at the end instead of once per
    // call: either all of its changes reach the file or none. If `writes`
    // throws, its changes are dropped and the exception passes on.
    void Update(const std::function<void()>& writes);

    static constexpr std::size_t MaxValueLength = 2047;

private:
    enum class TKind { Blank, Comment, Section, Key, Other };
    struct TLine {
        std::string Text;
        TKind Kind = TKind::Blank;
        std::string Folded; // the section or key name, lower-case ASCII
        std::size_t ValueAt = 0; // keys: where the value begins in Text
        bool Read = false; // keys: the first line of its name, the one read
    };
    using TLines = std::list<TLine>;
    // A section name's place in the file and the keys of every section of
    // that name: the first line of each name, which is the one read.
    struct TSectionPlace {
        TLines::iterator Header;
        TLines::iterator Last; // new keys go after this line
        std::unordered_map<std::string, TLines::iterator> Keys;
    };
    // What identifies the file's version on disk.
    struct TStamp {
        int Error = 0;
        unsigned long long Device = 0, Inode = 0;
        long long Size = 0, ModifiedSec = 0, ModifiedNsec = 0, ChangedSec = 0, ChangedNsec = 0;
        bool operator==(const TStamp&) const = default;
    };

    static TLine ParseLine(std::string text);
    // A line Put makes: the one read for its key.
    static TLine KeyLine(std::string text);
    // A key's value trimmed and without one pair of enclosing quotes.
    static std::string_view ValueOf(const TLine& line);
    // The line read for that key, or nothing.
    const TLine* FindKey(std::string_view section, std::string_view key) const;
    static TStamp StampOf(const std::string& path);

    void Refresh();
    void Load();
    std::string ReadBytes();
    void Parse(std::string_view bytes);
    void Reindex();
    std::string Serialize() const;
    [[noreturn]] void FailWrite() const;
    // Applies one edit: at once to the disk, or to the batch of Update.
    void Change(const std::function<bool()>& edit);
    void Flush();
    bool Put(std::string_view section, std::string_view key, std::string_view value);
    bool Erase(std::string_view section);

    std::string FilePath;
    bool Loaded = false;
    bool Unreadable = false;
    std::string Problem;
    bool ByteOrderMark = false;
    TStamp Stamp;
    TLines Lines;
    std::unordered_map<std::string, TSectionPlace> Sections;
    int BatchDepth = 0;
    bool Pending = false;
};

// One leading and one trailing full stop or double quote removed, each end
// judged on its own; a value shorter than 2 characters stays as it is.
std::string UnquoteIniValue(std::string_view value);
// "." + value + "."; keeps the value's blanks and quotes through the reading
// rules above.
std::string WrapIniValue(std::string_view value);

// A value as it must be written to read back as itself: one the reader
// would trim or unquote goes between double quotes, anything else as it is.
std::string ProtectIniValue(std::string_view value);

} // namespace tekstovar
