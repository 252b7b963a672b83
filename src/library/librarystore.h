#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tekstovar {

class IniFile;

// Texts are WIN bytes throughout, as they are stored in the settings file.
struct TLibLexem {
    std::string Description;
    std::string Lexem;
    bool operator==(const TLibLexem&) const = default;
};

// What one merge appended, and what it left out.
struct TLibMergeCount {
    int Pairs = 0;
    int Lexems = 0;
    // Entries with a text longer than TLibraryStore::MaxTextLength, and one
    // message naming them (empty when there are none).
    int Refused = 0;
    std::string RefusedMessage;
};

// Byte order with only Latin a..z folded to capitals: negative, zero or
// positive. Russian letters keep their code order, capitals first.
int LatinFoldedCompare(std::string_view a, std::string_view b);

// Equality ignoring the case of Latin and Russian WIN letters (ё included).
bool WinEqualCaseless(std::string_view a, std::string_view b);

// The pair and lexem library without its window: the pairs as three lists
// kept in step (one entry per pair at the same index), the lexems in their
// list order, and the two alternating sort directions. Rows are the grid's:
// a row equal to the pair count is the end row and holds no pair.
class TLibraryStore {
public:
    static constexpr std::string_view PairSection = "PairLibrary";
    static constexpr std::string_view LexemSection = "LexemLibrary";
    // The comment a freshly added pair or lexem gets: "Комментарий." in WIN.
    static const std::string NewComment;
    // The longest text the settings file gives back whole: it cuts a value
    // at IniFile::MaxValueLength bytes when reading it, and each text is
    // written between two full stops. Every way into the library refuses
    // longer texts rather than let the next save lose their ends.
    static constexpr std::size_t MaxTextLength = 2045;
    // TError naming `what` (the field's name, e.g. "Маска Поиска") when the
    // text is longer than MaxTextLength.
    static void CheckText(std::string_view text, std::string_view what);

    const std::vector<std::string>& Masks() const { return LibMasks; }
    const std::vector<std::string>& Replaces() const { return LibReplaces; }
    const std::vector<std::string>& Comments() const { return LibComments; }
    std::size_t PairCount() const { return LibMasks.size(); }
    const std::vector<TLibLexem>& Lexems() const { return LibLexems; }

    // The pair of that row; empty on the end row or beyond.
    std::string SelectedMask(std::size_t row) const;
    std::string SelectedReplace(std::size_t row) const;

    // The calls that add or change a text throw TError (CheckText's) and
    // change nothing when a text is too long.

    // Inserts mask, replace and NewComment before the pair of `row` (at the
    // end on the end row) and returns the new pair's index; nothing when
    // both texts are empty.
    std::optional<std::size_t> AddPair(std::size_t row, std::string_view mask, std::string_view replace);
    // Inserts a lexem made of the search mask at the selected index (0 when
    // none is selected); the replace text only decides whether anything is
    // added at all, as for pairs.
    std::optional<std::size_t> AddLexem(
        std::optional<std::size_t> selected, std::string_view mask, std::string_view replace);
    bool DeletePair(std::size_t row);
    bool DeleteLexem(std::size_t index);
    bool SetPair(std::size_t row, std::string mask, std::string replace, std::string comment);
    bool SetLexem(std::size_t index, TLibLexem lexem);
    void AppendPair(std::string mask, std::string replace, std::string comment);
    void AppendLexem(TLibLexem lexem);

    // Merges both sections of a library file (the settings file or a
    // downloaded one) in. A pair is skipped only when the first present pair
    // whose mask equals its mask ignoring case has the same replace mask and
    // comment byte for byte; a lexem likewise by the first description equal
    // ignoring case and its lexem text. Entries are those of the indexes
    // below the section's Count that have at least one key, in index order;
    // a key missing beside present ones reads as an empty text. An entry
    // with a text too long to keep is left out and reported in the result.
    // A missing file or section adds nothing. Time grows with the number of
    // keys present and entries held, not with Count.
    TLibMergeCount ReadLibrary(IniFile& ini);
    TLibMergeCount ReadLibrary(const std::string& path);

    // Rereads from the file: the pairs are replaced by the file's, while the
    // file's lexems are merged into the present ones, so lexems added since
    // the last save stay and deleted ones come back.
    TLibMergeCount Refresh(const std::string& path);

    // Both sections, each erased first, in one rewrite of the file. A write
    // failure throws TError and leaves the file as it was.
    void WriteLibrary(IniFile& ini) const;
    void WriteLibrary(const std::string& path) const;

    // Sorts by comment (pairs) or description (lexems) in the direction of
    // the sort order, which then flips: the first sort ascends, the next
    // descends.
    void SortPairs();
    void SortLexems();
    int PairSortOrder() const { return PairOrder; }
    int LexemSortOrder() const { return LexemOrder; }

    // The lowest index whose comment (description) begins with `prefix`,
    // byte for byte; nothing for an empty prefix or no match.
    std::optional<std::size_t> FindPairByComment(std::string_view prefix) const;
    std::optional<std::size_t> FindLexemByDescription(std::string_view prefix) const;

private:
    std::vector<std::string> LibMasks;
    std::vector<std::string> LibReplaces;
    std::vector<std::string> LibComments;
    std::vector<TLibLexem> LibLexems;
    int PairOrder = 1;
    int LexemOrder = 1;
};

} // namespace tekstovar
