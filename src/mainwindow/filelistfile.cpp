#include "mainwindow/filelistfile.h"

#include "common/error.h"
#include "encodings/codepages.h"
#include "platform/winunicode.h"

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

std::string ToWin(const std::string& utf8)
{
    if (!Utf8FitsWin(utf8))
        throw TError("Путь нельзя записать в кодировке WIN: " + utf8);
    return Utf8ToWin(utf8);
}

bool ParseInteger(const std::string& text, long long& value)
{
    const char* end = text.data() + text.size();
    auto [at, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && at == end && !text.empty();
}

int FoldLatin(unsigned char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; }

} // namespace

std::string NotAFileListMessage(const std::string& listPath)
{
    return "Файл " + listPath + " Не Является Списком Файлов \"Текстовара\"";
}

std::string FormatFileList(const std::vector<TListEntry>& entries)
{
    std::string bytes;
    for (const TListEntry& e : entries) {
        bytes += ToWin(e.Name) + "\r\n";
        bytes += ToWin(e.Directory) + "\r\n";
        bytes += std::to_string(e.Encoding) + "\r\n";
    }
    return bytes;
}

void ParseFileList(std::string_view bytes, const std::string& listPath, const std::function<void(TListEntry)>& add)
{
    const auto lines = SplitLines(bytes);
    for (std::size_t k = 0; k < lines.size(); k += 3) {
        long long index = -1;
        if (k + 2 >= lines.size() || !ParseInteger(std::string(lines[k + 2]), index) || index < 0 ||
            index >= EncodingCount)
            throw TError(NotAFileListMessage(listPath));
        add({WinToUtf8(lines[k]), WinToUtf8(lines[k + 1]), static_cast<int>(index)});
    }
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
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        int d = FoldLatin(static_cast<unsigned char>(a[i])) - FoldLatin(static_cast<unsigned char>(b[i]));
        if (d != 0)
            return d;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

} // namespace tekstovar
