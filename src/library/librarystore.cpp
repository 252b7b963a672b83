#include "library/librarystore.h"

#include "encodings/lettercase.h"
#include "settings/inifile.h"

#include <algorithm>
#include <array>

namespace tekstovar {

namespace {

unsigned char LatinFolded(char c)
{
    auto b = static_cast<unsigned char>(c);
    return b >= 'a' && b <= 'z' ? static_cast<unsigned char>(b - 32) : b;
}

// A Count far beyond the keys present is a corrupt count: after this many
// indexes in a row without a single key the rest of the section is taken to
// be empty instead of being walked up to a count of billions.
constexpr int MaxKeylessRun = 1024;

// Reads the keys of every index below Count; an index without any of its
// keys is a hole, not an entry. A key missing beside present ones reads
// as an empty text.
template <std::size_t N, typename Take>
void ReadEntries(IniFile& ini, std::string_view section, const std::array<std::string_view, N>& names, Take take)
{
    int count = ini.ReadInteger(section, "Count", 0);
    int keyless = 0;
    for (int i = 0; i < count && keyless < MaxKeylessRun; ++i) {
        std::array<std::string, N> texts;
        bool any = false;
        for (std::size_t k = 0; k < N; ++k) {
            std::optional<std::string> value = ini.TryReadString(section, std::string(names[k]) + std::to_string(i));
            if (value) {
                any = true;
                texts[k] = UnquoteIniValue(*value);
            }
        }
        if (!any) {
            ++keyless;
            continue;
        }
        keyless = 0;
        take(texts);
    }
}

bool StartsWith(std::string_view text, std::string_view prefix)
{
    return !prefix.empty() && text.substr(0, prefix.size()) == prefix;
}

} // namespace

// "Комментарий." in WIN bytes.
const std::string TLibraryStore::NewComment = "\xCA\xEE\xEC\xEC\xE5\xED\xF2\xE0\xF0\xE8\xE9.";

int LatinFoldedCompare(std::string_view a, std::string_view b)
{
    std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        unsigned char x = LatinFolded(a[i]), y = LatinFolded(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool WinEqualCaseless(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (WinUpperChar(a[i]) != WinUpperChar(b[i]))
            return false;
    return true;
}

std::string TLibraryStore::SelectedMask(std::size_t row) const { return row < PairCount() ? LibMasks[row] : ""; }

std::string TLibraryStore::SelectedReplace(std::size_t row) const { return row < PairCount() ? LibReplaces[row] : ""; }

std::optional<std::size_t> TLibraryStore::AddPair(std::size_t row, std::string_view mask, std::string_view replace)
{
    if (mask.empty() && replace.empty())
        return std::nullopt;
    std::size_t at = std::min(row, PairCount());
    LibMasks.insert(LibMasks.begin() + static_cast<std::ptrdiff_t>(at), std::string(mask));
    LibReplaces.insert(LibReplaces.begin() + static_cast<std::ptrdiff_t>(at), std::string(replace));
    LibComments.insert(LibComments.begin() + static_cast<std::ptrdiff_t>(at), NewComment);
    return at;
}

std::optional<std::size_t> TLibraryStore::AddLexem(
    std::optional<std::size_t> selected, std::string_view mask, std::string_view replace)
{
    if (mask.empty() && replace.empty())
        return std::nullopt;
    std::size_t at = std::min(selected.value_or(0), LibLexems.size());
    LibLexems.insert(LibLexems.begin() + static_cast<std::ptrdiff_t>(at), TLibLexem{NewComment, std::string(mask)});
    return at;
}

bool TLibraryStore::DeletePair(std::size_t row)
{
    if (row >= PairCount())
        return false;
    auto at = static_cast<std::ptrdiff_t>(row);
    LibMasks.erase(LibMasks.begin() + at);
    LibReplaces.erase(LibReplaces.begin() + at);
    LibComments.erase(LibComments.begin() + at);
    return true;
}

bool TLibraryStore::DeleteLexem(std::size_t index)
{
    if (index >= LibLexems.size())
        return false;
    LibLexems.erase(LibLexems.begin() + static_cast<std::ptrdiff_t>(index));
    return true;
}

bool TLibraryStore::SetPair(std::size_t row, std::string mask, std::string replace, std::string comment)
{
    if (row >= PairCount())
        return false;
    LibMasks[row] = std::move(mask);
    LibReplaces[row] = std::move(replace);
    LibComments[row] = std::move(comment);
    return true;
}

bool TLibraryStore::SetLexem(std::size_t index, TLibLexem lexem)
{
    if (index >= LibLexems.size())
        return false;
    LibLexems[index] = std::move(lexem);
    return true;
}

void TLibraryStore::AppendPair(std::string mask, std::string replace, std::string comment)
{
    LibMasks.push_back(std::move(mask));
    LibReplaces.push_back(std::move(replace));
    LibComments.push_back(std::move(comment));
}

void TLibraryStore::AppendLexem(TLibLexem lexem) { LibLexems.push_back(std::move(lexem)); }

bool TLibraryStore::PairPresent(std::string_view mask, std::string_view replace, std::string_view comment) const
{
    // Only the first pair with an equal mask counts, so a file pair equal to
    // a later one with that mask is added again.
    for (std::size_t i = 0; i < PairCount(); ++i)
        if (WinEqualCaseless(LibMasks[i], mask))
            return LibReplaces[i] == replace && LibComments[i] == comment;
    return false;
}

bool TLibraryStore::LexemPresent(const TLibLexem& lexem) const
{
    for (const TLibLexem& present : LibLexems)
        if (WinEqualCaseless(present.Description, lexem.Description))
            return present.Lexem == lexem.Lexem;
    return false;
}

TLibMergeCount TLibraryStore::ReadLibrary(IniFile& ini)
{
    TLibMergeCount added;
    static constexpr std::array<std::string_view, 3> pairKeys{"MaskStr", "ReplaceStr", "CommentStr"};
    ReadEntries(ini, PairSection, pairKeys, [&](std::array<std::string, 3>& t) {
        if (PairPresent(t[0], t[1], t[2]))
            return;
        AppendPair(std::move(t[0]), std::move(t[1]), std::move(t[2]));
        ++added.Pairs;
    });
    static constexpr std::array<std::string_view, 2> lexemKeys{"LexemStr", "CommentStr"};
    ReadEntries(ini, LexemSection, lexemKeys, [&](std::array<std::string, 2>& t) {
        TLibLexem lexem{std::move(t[1]), std::move(t[0])};
        if (LexemPresent(lexem))
            return;
        AppendLexem(std::move(lexem));
        ++added.Lexems;
    });
    return added;
}

TLibMergeCount TLibraryStore::ReadLibrary(const std::string& path)
{
    IniFile ini(path);
    return ReadLibrary(ini);
}

TLibMergeCount TLibraryStore::Refresh(const std::string& path)
{
    LibMasks.clear();
    LibReplaces.clear();
    LibComments.clear();
    return ReadLibrary(path);
}

void TLibraryStore::WriteLibrary(IniFile& ini) const
{
    ini.Update([&] {
        ini.EraseSection(PairSection);
        for (std::size_t i = 0; i < PairCount(); ++i) {
            std::string n = std::to_string(i);
            ini.WriteString(PairSection, "MaskStr" + n, WrapIniValue(LibMasks[i]));
            ini.WriteString(PairSection, "ReplaceStr" + n, WrapIniValue(LibReplaces[i]));
            ini.WriteString(PairSection, "CommentStr" + n, WrapIniValue(LibComments[i]));
        }
        ini.WriteInteger(PairSection, "Count", static_cast<int>(PairCount()));
        ini.EraseSection(LexemSection);
        for (std::size_t i = 0; i < LibLexems.size(); ++i) {
            std::string n = std::to_string(i);
            ini.WriteString(LexemSection, "LexemStr" + n, WrapIniValue(LibLexems[i].Lexem));
            ini.WriteString(LexemSection, "CommentStr" + n, WrapIniValue(LibLexems[i].Description));
        }
        ini.WriteInteger(LexemSection, "Count", static_cast<int>(LibLexems.size()));
    });
}

void TLibraryStore::WriteLibrary(const std::string& path) const
{
    IniFile ini(path);
    WriteLibrary(ini);
}

void TLibraryStore::SortPairs()
{
    // The plain exchange sort the window has always used: equal comments may
    // trade places, which the b, B, a order shows.
    std::size_t n = PairCount();
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = i + 1; j < n; ++j)
            if (LatinFoldedCompare(LibComments[i], LibComments[j]) * PairOrder > 0) {
                std::swap(LibMasks[i], LibMasks[j]);
                std::swap(LibReplaces[i], LibReplaces[j]);
                std::swap(LibComments[i], LibComments[j]);
            }
    PairOrder = -PairOrder;
}

void TLibraryStore::SortLexems()
{
    int order = LexemOrder;
    std::stable_sort(LibLexems.begin(), LibLexems.end(), [order](const TLibLexem& a, const TLibLexem& b) {
        return LatinFoldedCompare(a.Description, b.Description) * order < 0;
    });
    LexemOrder = -LexemOrder;
}

std::optional<std::size_t> TLibraryStore::FindPairByComment(std::string_view prefix) const
{
    for (std::size_t i = 0; i < PairCount(); ++i)
        if (StartsWith(LibComments[i], prefix))
            return i;
    return std::nullopt;
}

std::optional<std::size_t> TLibraryStore::FindLexemByDescription(std::string_view prefix) const
{
    for (std::size_t i = 0; i < LibLexems.size(); ++i)
        if (StartsWith(LibLexems[i].Description, prefix))
            return i;
    return std::nullopt;
}

} // namespace tekstovar
