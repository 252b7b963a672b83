#include "settings/inifile.h"

#include "common/error.h"
#include "platform/fileio.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tekstovar {

namespace {

constexpr std::string_view ByteOrderMarkBytes = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string Fold(std::string_view name)
{
    std::string folded(name);
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::optional<int> ParseInteger(std::string_view text)
{
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        std::uint64_t value = 0;
        for (char c : text.substr(2)) {
            const int digit = HexDigit(c);
            if (digit < 0)
                return std::nullopt;
            value = value * 16 + static_cast<unsigned>(digit);
            if (value > 0xFFFFFFFFu)
                return std::nullopt;
        }
        return static_cast<int>(static_cast<std::uint32_t>(value));
    }
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;
    std::int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > std::int64_t(INT32_MAX) + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > INT32_MAX)
        return std::nullopt;
    return static_cast<int>(value);
}

// Names come from the program, but one that the reader would split
// differently would silently write a key that can never be read back.
void CheckNames(std::string_view section, std::string_view key)
{
    auto bad = [](std::string_view name, std::string_view forbidden) {
        return name.empty() || name != Trim(name) || name.find_first_of(forbidden) != std::string_view::npos;
    };
    if (bad(section, "\r\n]") || bad(key, "\r\n=") || key.front() == '[' || key.front() == ';')
        throw TError(
            "Недопустимое имя раздела или ключа в файле настроек: [" + std::string(section) + "] " + std::string(key));
}

template <class TStampType> void FillStamp(TStampType& stamp, const struct stat& st)
{
    stamp.Device = st.st_dev;
    stamp.Inode = st.st_ino;
    stamp.Size = st.st_size;
    stamp.ModifiedSec = st.st_mtim.tv_sec;
    stamp.ModifiedNsec = st.st_mtim.tv_nsec;
    stamp.ChangedSec = st.st_ctim.tv_sec;
    stamp.ChangedNsec = st.st_ctim.tv_nsec;
}

} // namespace

IniFile::IniFile(std::string path) : FilePath(std::move(path)) { }

const IniFile::TLine* IniFile::FindKey(std::string_view section, std::string_view key) const
{
    const auto place = Sections.find(Fold(section));
    if (place == Sections.end())
        return nullptr;
    const auto found = place->second.Keys.find(Fold(key));
    return found == place->second.Keys.end() ? nullptr : &*found->second;
}

IniFile::TLine IniFile::ParseLine(std::string text)
{
    TLine line;
    line.Text = std::move(text);
    const std::string_view trimmed = Trim(line.Text);
    if (trimmed.empty()) {
        line.Kind = TKind::Blank;
    } else if (trimmed.front() == ';') {
        line.Kind = TKind::Comment;
    } else if (trimmed.front() == '[') {
        line.Kind = TKind::Section;
        const std::string_view inside = trimmed.substr(1);
        line.Folded = Fold(Trim(inside.substr(0, inside.find(']'))));
    } else if (const auto equals = line.Text.find('='); equals != std::string::npos) {
        line.Kind = TKind::Key;
        line.Folded = Fold(Trim(std::string_view(line.Text).substr(0, equals)));
        line.ValueAt = equals + 1;
    } else {
        line.Kind = TKind::Other;
    }
    return line;
}

IniFile::TStamp IniFile::StampOf(const std::string& path)
{
    struct stat st { };
    TStamp stamp;
    if (::stat(path.c_str(), &st) != 0)
        stamp.Error = errno;
    else
        FillStamp(stamp, st);
    return stamp;
}

void IniFile::Refresh()
{
    // Inside Update the batch's own changes are the truth until it ends.
    if (BatchDepth > 0 && Loaded)
        return;
    if (Loaded && StampOf(FilePath) == Stamp)
        return;
    Load();
}

void IniFile::Load()
{
    Loaded = true;
    Unreadable = false;
    Problem.clear();
    Stamp = TStamp{};
    Parse(ReadBytes());
}

std::string IniFile::ReadBytes()
{
    auto fail = [this](const std::string& reason) {
        Unreadable = true;
        Problem = "Не удаётся прочитать файл " + FilePath + ": " + reason;
        return std::string();
    };
    // A FIFO or a device in the file's place is never opened: opening a
    // FIFO waits for a writer, and some devices act when opened. Nor does
    // the open wait, for one put there after this look.
    struct stat st { };
    if (::stat(FilePath.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        FillStamp(Stamp, st);
        return fail("это не обычный файл");
    }
    const int fd = ::open(FilePath.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        Stamp.Error = errno;
        return errno == ENOENT ? std::string() : fail(std::strerror(errno));
    }
    std::string bytes;
    // The stamp of the file actually read, so that a change made after it
    // is seen next time.
    if (::fstat(fd, &st) != 0) {
        Stamp.Error = errno;
        fail(std::strerror(errno));
    } else {
        FillStamp(Stamp, st);
        if (!S_ISREG(st.st_mode)) {
            fail("это не обычный файл");
        } else {
            try {
                bytes = ReadDescriptor(fd, FilePath);
            } catch (const TError& e) {
                Unreadable = true;
                Problem = e.what();
            }
        }
    }
    ::close(fd);
    return bytes;
}

void IniFile::Parse(std::string_view bytes)
{
    Lines.clear();
    ByteOrderMark = bytes.starts_with(ByteOrderMarkBytes);
    if (ByteOrderMark)
        bytes.remove_prefix(ByteOrderMarkBytes.size());
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos)
            end = bytes.size();
        Lines.push_back(ParseLine(std::string(bytes.substr(start, end - start))));
        start = end + 1;
        if (end < bytes.size() && bytes[end] == '\r' && start < bytes.size() && bytes[start] == '\n')
            ++start;
    }
    Reindex();
}

void IniFile::Reindex()
{
    Sections.clear();
    // Room for all keys of a section at once: growing a table of many
    // thousand keys step by step costs more than counting them first.
    std::unordered_map<std::string, std::size_t> keyCounts;
    std::size_t* keyCount = nullptr;
    for (const TLine& line : Lines)
        if (line.Kind == TKind::Section)
            keyCount = &keyCounts[line.Folded];
        else if (line.Kind == TKind::Key && keyCount)
            ++*keyCount;
    TSectionPlace* current = nullptr;
    TSectionPlace* first = nullptr; // set while in the first section of its name
    for (auto it = Lines.begin(); it != Lines.end(); ++it) {
        switch (it->Kind) {
        case TKind::Section: {
            auto [place, fresh] = Sections.try_emplace(it->Folded, TSectionPlace{it, it, {}});
            current = &place->second;
            first = fresh ? current : nullptr;
            if (fresh)
                current->Keys.reserve(keyCounts[it->Folded]);
            break;
        }
        case TKind::Key:
            // Keys above the first section belong to none and are never read.
            it->Read = current && current->Keys.try_emplace(it->Folded, it).second;
            [[fallthrough]];
        case TKind::Other:
            if (first)
                first->Last = it;
            break;
        case TKind::Blank:
        case TKind::Comment: break;
        }
    }
}

std::string IniFile::Serialize() const
{
    std::string bytes;
    if (ByteOrderMark)
        bytes += ByteOrderMarkBytes;
    for (const TLine& line : Lines) {
        bytes += line.Text;
        bytes += "\r\n";
    }
    return bytes;
}

IniFile::TLine IniFile::KeyLine(std::string text)
{
    TLine line = ParseLine(std::move(text));
    line.Read = true;
    return line;
}

std::string_view IniFile::ValueOf(const TLine& line)
{
    std::string_view value = Trim(std::string_view(line.Text).substr(line.ValueAt));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return value;
}

std::optional<std::string> IniFile::TryReadString(std::string_view section, std::string_view key)
{
    Refresh();
    const TLine* line = FindKey(section, key);
    if (!line)
        return std::nullopt;
    return std::string(ValueOf(*line).substr(0, MaxValueLength));
}

std::vector<IniFile::TEntry> IniFile::ReadSection(std::string_view section)
{
    Refresh();
    std::vector<TEntry> entries;
    const auto place = Sections.find(Fold(section));
    if (place == Sections.end())
        return entries;
    entries.reserve(place->second.Keys.size());
    bool inside = false;
    for (auto it = place->second.Header; it != Lines.end(); ++it) {
        if (it->Kind == TKind::Section)
            inside = it->Folded == place->first;
        else if (inside && it->Read)
            entries.push_back({it->Folded, std::string(ValueOf(*it))});
    }
    return entries;
}

const std::string& IniFile::ReadError()
{
    Refresh();
    return Problem;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key, std::string_view defaultValue)
{
    auto value = TryReadString(section, key);
    return value ? std::move(*value) : std::string(defaultValue);
}

int IniFile::ReadInteger(std::string_view section, std::string_view key, int defaultValue)
{
    const auto text = TryReadString(section, key);
    if (!text)
        return defaultValue;
    return ParseInteger(*text).value_or(defaultValue);
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool defaultValue)
{
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void IniFile::FailWrite() const { throw TError("Unable to write to " + FilePath); }

void IniFile::Change(const std::function<bool()>& edit)
{
    if (BatchDepth > 0) {
        Pending = edit() || Pending;
        return;
    }
    Refresh();
    if (Unreadable)
        FailWrite();
    if (edit())
        Flush();
}

void IniFile::Flush()
{
    try {
        WriteFileReplacing(FilePath, Serialize());
    } catch (const TError&) {
        // The lines in memory are not what the disk holds: read again.
        Loaded = false;
        FailWrite();
    }
    Stamp = StampOf(FilePath);
}

bool IniFile::Put(std::string_view section, std::string_view key, std::string_view value)
{
    CheckNames(section, key);
    if (value.find_first_of("\r\n") != std::string_view::npos)
        throw TError("Значение ключа " + std::string(key) + " раздела [" + std::string(section) +
            "] содержит перевод строки и не может быть записано в файл настроек");
    std::string text(key);
    text += '=';
    text += value;
    std::string foldedKey = Fold(key);
    const auto place = Sections.find(Fold(section));
    if (place != Sections.end()) {
        auto& keys = place->second.Keys;
        if (auto found = keys.find(foldedKey); found != keys.end()) {
            if (found->second->Text == text)
                return false;
            *found->second = KeyLine(std::move(text));
            return true;
        }
        const auto at = Lines.insert(std::next(place->second.Last), KeyLine(std::move(text)));
        place->second.Last = at;
        keys.emplace(std::move(foldedKey), at);
        return true;
    }
    if (!Lines.empty() && Lines.back().Kind != TKind::Blank)
        Lines.push_back(ParseLine(""));
    const auto header = Lines.insert(Lines.end(), ParseLine("[" + std::string(section) + "]"));
    const auto at = Lines.insert(Lines.end(), KeyLine(std::move(text)));
    Sections.emplace(header->Folded, TSectionPlace{header, at, {{std::move(foldedKey), at}}});
    return true;
}

bool IniFile::Erase(std::string_view section)
{
    const std::string folded = Fold(section);
    bool erased = false;
    bool inside = false;
    for (auto it = Lines.begin(); it != Lines.end();) {
        if (it->Kind == TKind::Section)
            inside = it->Folded == folded;
        if (inside) {
            it = Lines.erase(it);
            erased = true;
        } else {
            ++it;
        }
    }
    if (erased)
        Reindex();
    return erased;
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value)
{
    Change([&] { return Put(section, key, value); });
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, int value)
{
    WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value)
{
    WriteString(section, key, value ? "1" : "0");
}

void IniFile::EraseSection(std::string_view section)
{
    Change([&] { return Erase(section); });
}

void IniFile::Update(const std::function<void()>& writes)
{
    if (BatchDepth == 0) {
        Refresh();
        if (Unreadable)
            FailWrite();
    }
    ++BatchDepth;
    try {
        writes();
    } catch (...) {
        if (--BatchDepth == 0) {
            Pending = false;
            Loaded = false;
        }
        throw;
    }
    if (--BatchDepth == 0 && Pending) {
        Pending = false;
        Flush();
    }
}

std::string UnquoteIniValue(std::string_view value)
{
    if (value.size() < 2)
        return std::string(value);
    auto mark = [](char c) { return c == '"' || c == '.'; };
    const std::size_t first = mark(value.front()) ? 1 : 0;
    const std::size_t last = mark(value.back()) ? value.size() - 1 : value.size();
    // "x.": the trailing stop goes; a two-character value can lose both.
    return first < last ? std::string(value.substr(first, last - first)) : std::string();
}

std::string WrapIniValue(std::string_view value)
{
    std::string wrapped = ".";
    wrapped += value;
    wrapped += '.';
    return wrapped;
}

std::string ProtectIniValue(std::string_view value)
{
    const bool unquoted =
        value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front();
    if (!unquoted && Trim(value).size() == value.size())
        return std::string(value);
    return '"' + std::string(value) + '"';
}

} // namespace tekstovar
