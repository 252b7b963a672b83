#include "library/librarystore.h"

#include "common/error.h"
#include "encodings/lettercase.h"
#include "platform/winunicode.h"
#include "settings/inifile.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <unordered_map>

namespace tekstovar {

namespace {

unsigned char LatinFolded(char c)
{
    auto b = static_cast<unsigned char>(c);
    return b >= 'a' && b <= 'z' ? static_cast<unsigned char>(b - 32) : b;
}

static_assert(TLibraryStore::MaxTextLength + 2 == IniFile::MaxValueLength, "a text is written between two stops");

// The index of a key named prefix + index, as "Prefix" + std::to_string(i)
// writes it, below `count`; -1 for any other name. Names are folded.
int KeyIndex(std::string_view name, std::string_view foldedPrefix, int count)
{
    if (!name.starts_with(foldedPrefix))
        return -1;
    const std::string_view digits = name.substr(foldedPrefix.size());
    if (digits.empty() || (digits.size() > 1 && digits[0] == '0'))
        return -1;
    int index = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), index);
    if (error != std::errc() || end != digits.data() + digits.size() || index < 0 || index >= count)
        return -1;
    return index;
}

// The texts of one entry: a key that is missing beside present ones is an
// empty text.
template <std::size_t N> struct TRawEntry {
    int Index = 0;
    std::array<std::string, N> Texts;
};

// The entries of every index below Count that has at least one of the keys,
// in index order. The section is read once and its keys matched by name,
// so a Count of billions with a few keys costs only those keys.
template <std::size_t N>
std::vector<TRawEntry<N>> ReadEntries(
    IniFile& ini, std::string_view section, const std::array<std::string_view, N>& names)
{
    const int count = ini.ReadInteger(section, "Count", 0);
    std::array<std::string, N> folded;
    for (std::size_t k = 0; k < N; ++k)
        for (char c : names[k])
            folded[k] += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    struct TKeyText {
        int Index;
        std::size_t Key;
        std::string Text;
    };
    std::vector<TKeyText> keys;
    for (IniFile::TEntry& key : ini.ReadSection(section))
        for (std::size_t k = 0; k < N; ++k)
            if (const int index = KeyIndex(key.Name, folded[k], count); index >= 0) {
                keys.push_back({index, k, std::move(key.Value)});
                break;
            }
    // Each name comes once, so each index holds each key once at most.
    std::sort(keys.begin(), keys.end(), [](const TKeyText& a, const TKeyText& b) { return a.Index < b.Index; });
    std::vector<TRawEntry<N>> entries;
    for (TKeyText& key : keys) {
        if (entries.empty() || entries.back().Index != key.Index)
            entries.push_back({key.Index, {}});
        entries.back().Texts[key.Key] = UnquoteIniValue(key.Text);
    }
    return entries;
}

// Texts equal ignoring case (WinEqualCaseless) have equal keys.
std::string CaselessKey(std::string_view text)
{
    std::string key(text);
    WinUpperString(key);
    return key;
}

// The first index of each caseless key, as the merge compares with the
// first present entry only.
class TFirstIndex {
public:
    template <typename Key> TFirstIndex(std::size_t size, Key key)
    {
        for (std::size_t i = 0; i < size; ++i)
            First.try_emplace(CaselessKey(key(i)), i);
    }
    // The first index of the text's key, which becomes `next` when it has
    // none yet: the entry about to be appended at that index is the first.
    std::size_t FirstOr(std::string_view text, std::size_t next)
    {
        return First.try_emplace(CaselessKey(text), next).first->second;
    }

private:
    std::unordered_map<std::string, std::size_t> First;
};

// Collects the entries a merge leaves out for one message.
class TRefusals {
public:
    template <std::size_t N> bool Refuse(const TRawEntry<N>& entry, const char* kind, std::size_t commentAt)
    {
        bool tooLong = false;
        for (const std::string& text : entry.Texts)
            tooLong = tooLong || text.size() > TLibraryStore::MaxTextLength;
        if (!tooLong)
            return false;
        if (++Count <= MaxListed) {
            std::string comment = WinToUtf8(std::string_view(entry.Texts[commentAt]).substr(0, 40));
            Listed += "\n" + std::string(kind) + " " + std::to_string(entry.Index) + " «" + comment + "»";
        }
        return true;
    }
    void Report(TLibMergeCount& result) const
    {
        result.Refused = Count;
        if (Count == 0)
            return;
        result.RefusedMessage = "Не Приняты Записи Библиотеки С Текстом Длиннее " +
            std::to_string(TLibraryStore::MaxTextLength) + " Знаков: Файл Настроек Их Не Вместит" + Listed;
        if (Count > MaxListed)
            result.RefusedMessage += "\nИ Ещё " + std::to_string(Count - MaxListed);
    }

private:
    static constexpr int MaxListed = 20;
    int Count = 0;
    std::string Listed;
};

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

void TLibraryStore::CheckText(std::string_view text, std::string_view what)
{
    if (text.size() > MaxTextLength)
        throw TError(
            std::string(what) + " Длиннее " + std::to_string(MaxTextLength) + " Знаков Не Поместится В Файл Настроек");
}

namespace {

constexpr std::string_view MaskWhat = "Маска Поиска";
constexpr std::string_view ReplaceWhat = "Маска Замены";
constexpr std::string_view CommentWhat = "Комментарий";
constexpr std::string_view LexemWhat = "Лексема";

void CheckPair(std::string_view mask, std::string_view replace, std::string_view comment)
{
    TLibraryStore::CheckText(mask, MaskWhat);
    TLibraryStore::CheckText(replace, ReplaceWhat);
    TLibraryStore::CheckText(comment, CommentWhat);
}

void CheckLexem(const TLibLexem& lexem)
{
    TLibraryStore::CheckText(lexem.Description, CommentWhat);
    TLibraryStore::CheckText(lexem.Lexem, LexemWhat);
}

} // namespace

std::optional<std::size_t> TLibraryStore::AddPair(std::size_t row, std::string_view mask, std::string_view replace)
{
    if (mask.empty() && replace.empty())
        return std::nullopt;
    CheckPair(mask, replace, NewComment);
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
    CheckText(mask, LexemWhat);
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
    CheckPair(mask, replace, comment);
    LibMasks[row] = std::move(mask);
    LibReplaces[row] = std::move(replace);
    LibComments[row] = std::move(comment);
    return true;
}

bool TLibraryStore::SetLexem(std::size_t index, TLibLexem lexem)
{
    if (index >= LibLexems.size())
        return false;
    CheckLexem(lexem);
    LibLexems[index] = std::move(lexem);
    return true;
}

void TLibraryStore::AppendPair(std::string mask, std::string replace, std::string comment)
{
    CheckPair(mask, replace, comment);
    LibMasks.push_back(std::move(mask));
    LibReplaces.push_back(std::move(replace));
    LibComments.push_back(std::move(comment));
}

void TLibraryStore::AppendLexem(TLibLexem lexem)
{
    CheckLexem(lexem);
    LibLexems.push_back(std::move(lexem));
}

TLibMergeCount TLibraryStore::ReadLibrary(IniFile& ini)
{
    TLibMergeCount added;
    TRefusals refusals;
    static constexpr std::array<std::string_view, 3> pairKeys{"MaskStr", "ReplaceStr", "CommentStr"};
    TFirstIndex masks(PairCount(), [this](std::size_t i) { return std::string_view(LibMasks[i]); });
    for (TRawEntry<3>& entry : ReadEntries(ini, PairSection, pairKeys)) {
        if (refusals.Refuse(entry, "Пара", 2))
            continue;
        auto& [mask, replace, comment] = entry.Texts;
        // Only the first pair with an equal mask counts, so a file pair equal
        // to a later one with that mask is added again.
        if (const std::size_t first = masks.FirstOr(mask, PairCount());
            first < PairCount() && LibReplaces[first] == replace && LibComments[first] == comment)
            continue;
        AppendPair(std::move(mask), std::move(replace), std::move(comment));
        ++added.Pairs;
    }
    static constexpr std::array<std::string_view, 2> lexemKeys{"LexemStr", "CommentStr"};
    TFirstIndex descriptions(
        LibLexems.size(), [this](std::size_t i) { return std::string_view(LibLexems[i].Description); });
    for (TRawEntry<2>& entry : ReadEntries(ini, LexemSection, lexemKeys)) {
        if (refusals.Refuse(entry, "Лексема", 1))
            continue;
        TLibLexem lexem{std::move(entry.Texts[1]), std::move(entry.Texts[0])};
        if (const std::size_t first = descriptions.FirstOr(lexem.Description, LibLexems.size());
            first < LibLexems.size() && LibLexems[first].Lexem == lexem.Lexem)
            continue;
        AppendLexem(std::move(lexem));
        ++added.Lexems;
    }
    refusals.Report(added);
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
