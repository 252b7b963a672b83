#include "mainwindow/filelistfile.h"

#include "common/error.h"
#include "encodings/codepages.h"
#include "platform/winunicode.h"

#include <algorithm>
#include <charconv>

namespace tekstovar {

namespace {

std::vector<std::string_view> SplitLines(std::string_view bytes)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.push_back(bytes.substr(start));
            break;
        }
        lines.push_back(bytes.substr(start, end - start));
        start = end + (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n' ? 2 : 1);
    }
    return lines;
}

// The WIN bytes of a path that reads back as the same path, if it has them.
bool ToWin(const std::string& utf8, std::string& win)
{
    if (!Utf8FitsWin(utf8))
        return false;
    win = Utf8ToWin(utf8);
    return win.find_first_of("\r\n") == std::string::npos && WinToUtf8(win) == utf8;
}

// A message lists this many items at most, then says how many more there are.
constexpr std::size_t MaxListed = 20;

std::string MoreText(std::size_t more) { return more > 0 ? "\nИ Ещё " + std::to_string(more) : std::string(); }

// Line breaks shown as the two characters \r or \n, so that one message
// line stays one entry.
std::string Printable(std::string text)
{
    for (std::size_t at = 0; (at = text.find_first_of("\r\n", at)) != std::string::npos; at += 2)
        text.replace(at, 1, text[at] == '\r' ? "\\r" : "\\n");
    return text;
}

// "4, 7-9": the line numbers, ascending, runs joined.
std::string LineRanges(const std::vector<std::size_t>& lines)
{
    std::string text;
    std::size_t listed = 0;
    std::size_t i = 0;
    while (i < lines.size() && listed < MaxListed) {
        std::size_t j = i;
        while (j + 1 < lines.size() && lines[j + 1] == lines[j] + 1)
            ++j;
        if (!text.empty())
            text += ", ";
        text += std::to_string(lines[i]);
        if (j > i)
            text += "-" + std::to_string(lines[j]);
        ++listed;
        i = j + 1;
    }
    if (i < lines.size())
        text += ", ...";
    return text;
}

bool ParseInteger(const std::string& text, long long& value)
{
    const char* end = text.data() + text.size();
    auto [at, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && at == end && !text.empty();
}

int FoldLatin(unsigned char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; }

// A character WIN has no code for sorts after all WIN characters.
constexpr int NoWinCode = 256;

// One character of a column text in the list's order: its WIN code, a..z as
// A..Z. A character WIN lacks, or a stray byte, gets NoWinCode; its bytes
// then order it (UTF-8 bytes order as the characters do).
struct TSortChar {
    int Code;
    std::string_view Bytes;
};

TSortChar NextSortChar(std::string_view s, std::size_t& i)
{
    const auto lead = static_cast<unsigned char>(s[i]);
    std::size_t n = 1;
    if (lead >= 0xC0) {
        const std::size_t length = lead >= 0xF0 ? 4 : (lead >= 0xE0 ? 3 : 2);
        while (n < length && i + n < s.size() && (static_cast<unsigned char>(s[i + n]) & 0xC0) == 0x80)
            ++n;
    }
    const std::string_view bytes = s.substr(i, n);
    i += n;
    if (lead < 0x80)
        return {FoldLatin(lead), bytes};
    if (!Utf8FitsWin(bytes))
        return {NoWinCode, bytes};
    return {static_cast<unsigned char>(Utf8ToWin(bytes)[0]), bytes};
}

} // namespace

std::string NotAFileListMessage(const std::string& listPath)
{
    return "Файл " + listPath + " Не Является Списком Файлов \"Текстовара\"";
}

std::string FormatFileList(const std::vector<TListEntry>& entries, std::vector<std::size_t>* refused)
{
    std::string bytes;
    std::string name;
    std::string directory;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const TListEntry& e = entries[i];
        if (!ToWin(e.Name, name) || !ToWin(e.Directory, directory)) {
            if (!refused)
                throw TError(RefusedEntriesMessage("", {e}));
            refused->push_back(i);
            continue;
        }
        bytes += name + "\r\n";
        bytes += directory + "\r\n";
        bytes += std::to_string(e.Encoding) + "\r\n";
    }
    return bytes;
}

std::string RefusedEntriesMessage(const std::string& listPath, const std::vector<TListEntry>& refused)
{
    std::string text = "Не Записаны В Список Файлов";
    if (!listPath.empty())
        text += " " + listPath;
    text += " Пути С Переводом Строки Или Знаками, Которых Нет В Кодировке WIN:";
    for (std::size_t i = 0; i < refused.size() && i < MaxListed; ++i)
        text += "\n" + Printable(refused[i].Directory + refused[i].Name);
    return text + MoreText(refused.size() - std::min(refused.size(), MaxListed));
}

void ParseFileList(std::string_view bytes, const std::string& listPath, const std::function<void(TListEntry)>& add)
{
    const auto lines = SplitLines(bytes);
    std::vector<std::size_t> skipped; // line numbers from 1
    bool any = false;
    std::size_t k = 0;
    while (k < lines.size()) {
        long long index = -1;
        if (k + 2 < lines.size() && ParseInteger(std::string(lines[k + 2]), index) && index >= 0 && index < PageCount) {
            add({WinToUtf8(lines[k]), WinToUtf8(lines[k + 1]), static_cast<int>(index)});
            any = true;
            k += 3;
        } else {
            // A lost or an extra line: the next entry may begin on the next line.
            skipped.push_back(++k);
        }
    }
    if (skipped.empty())
        return;
    if (!any)
        throw TError(NotAFileListMessage(listPath));
    throw TError("В Списке Файлов " + listPath + " Пропущены Испорченные Строки: " + LineRanges(skipped));
}

int CompareListColumns(int column, const std::string& a, const std::string& b)
{
    if (column >= 3) {
        long long x = 0;
        long long y = 0;
        if (!ParseInteger(a, x) || !ParseInteger(b, y))
            return 0;
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const TSortChar x = NextSortChar(a, i);
        const TSortChar y = NextSortChar(b, j);
        if (x.Code != y.Code)
            return x.Code - y.Code;
        if (x.Code == NoWinCode && x.Bytes != y.Bytes)
            return x.Bytes < y.Bytes ? -1 : 1;
    }
    return i < a.size() ? 1 : (j < b.size() ? -1 : 0);
}

} // namespace tekstovar
