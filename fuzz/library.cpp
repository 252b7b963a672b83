// Random libraries through the library store: the settings file's library,
// then a downloaded library merged into it, then the save at exit.
//
// Input: settings file \x01 downloaded file (a missing part is empty).
// Checked:
// - the merge only appends, and reports what it appended;
// - every pair (lexem) it appended was not present by the merge rule at the
//   moment it was appended: the first earlier pair whose mask equals it
//   ignoring case differs in the replace mask or the comment;
// - nothing of the download was dropped that is not present: each pair of
//   the download read alone is among those appended or present at the end;
// - saved into the settings file and read again it is the same library,
//   unless the save refuses it with TError; a second save of what was read
//   back leaves the file as it is.

#include "common/error.h"
#include "library/librarystore.h"
#include "support.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

using namespace tekstovar;

namespace {

constexpr char Separator = '\x01';

struct TPair {
    std::string Mask, Replace, Comment;
    bool operator==(const TPair&) const = default;
};

struct TLibrary {
    std::vector<TPair> Pairs;
    std::vector<TLibLexem> Lexems;
    bool operator==(const TLibrary&) const = default;
};

struct TCase {
    std::string_view Settings, Download;
};

[[noreturn]] void Fail(const TCase& c, const std::string& what, const std::string& detail = {})
{
    fuzz::Fail("library", what,
        "settings = \"" + fuzz::Printable(c.Settings) + "\"\ndownload = \"" + fuzz::Printable(c.Download) + "\"\n" +
            detail);
}

TLibrary Snapshot(const TCase& c, const TLibraryStore& store)
{
    const std::size_t n = store.PairCount();
    if (store.Replaces().size() != n || store.Comments().size() != n)
        Fail(c, "the three pair lists are out of step");
    TLibrary library;
    for (std::size_t i = 0; i < n; ++i)
        library.Pairs.push_back({store.Masks()[i], store.Replaces()[i], store.Comments()[i]});
    library.Lexems = store.Lexems();
    return library;
}

std::string Describe(const TLibrary& library)
{
    std::string out;
    for (const TPair& p : library.Pairs)
        out += "  pair \"" + fuzz::Printable(p.Mask, 80) + "\" \"" + fuzz::Printable(p.Replace, 80) + "\" \"" +
            fuzz::Printable(p.Comment, 80) + "\"\n";
    for (const TLibLexem& l : library.Lexems)
        out += "  lexem \"" + fuzz::Printable(l.Lexem, 80) + "\" \"" + fuzz::Printable(l.Description, 80) + "\"\n";
    return out;
}

// The merge rule, written plainly: the first of `present` whose key equals
// ignoring case decides.
bool PairPresent(const std::vector<TPair>& present, std::size_t end, const TPair& p)
{
    for (std::size_t i = 0; i < end; ++i)
        if (WinEqualCaseless(present[i].Mask, p.Mask))
            return present[i].Replace == p.Replace && present[i].Comment == p.Comment;
    return false;
}

bool LexemPresent(const std::vector<TLibLexem>& present, std::size_t end, const TLibLexem& l)
{
    for (std::size_t i = 0; i < end; ++i)
        if (WinEqualCaseless(present[i].Description, l.Description))
            return present[i].Lexem == l.Lexem;
    return false;
}

template <typename T, typename Present>
void CheckMerge(const TCase& c, const char* what, const std::vector<T>& before, const std::vector<T>& after,
    const std::vector<T>& alone, int reported, Present present)
{
    const std::string kind(what);
    if (after.size() < before.size() || !std::equal(before.begin(), before.end(), after.begin()))
        Fail(c, "the merge changed " + kind + "s already there");
    if (static_cast<std::size_t>(reported) != after.size() - before.size())
        Fail(c,
            "the merge reported " + std::to_string(reported) + " " + kind + "s and appended " +
                std::to_string(after.size() - before.size()));
    for (std::size_t i = before.size(); i < after.size(); ++i)
        if (present(after, i, after[i]))
            Fail(c, "the merge appended " + kind + " " + std::to_string(i) + ", which was present");
    for (const T& item : alone)
        if (std::find(after.begin() + static_cast<std::ptrdiff_t>(before.size()), after.end(), item) == after.end() &&
            !present(after, after.size(), item))
            Fail(c, "the merge dropped a " + kind + " of the download that is not present");
}

void Check(const TCase& c)
{
    static fuzz::TScratch scratch;
    const std::string settings = scratch.Put("QZ.Ini", c.Settings);
    const std::string download = scratch.Put("QZLib.Tmp", c.Download);

    TLibraryStore store;
    store.Refresh(settings);
    const TLibrary before = Snapshot(c, store);
    const TLibMergeCount count = store.ReadLibrary(download);
    const TLibrary merged = Snapshot(c, store);

    TLibraryStore downloadAlone;
    downloadAlone.ReadLibrary(download);
    const TLibrary alone = Snapshot(c, downloadAlone);
    CheckMerge(c, "pair", before.Pairs, merged.Pairs, alone.Pairs, count.Pairs, PairPresent);
    CheckMerge(c, "lexem", before.Lexems, merged.Lexems, alone.Lexems, count.Lexems, LexemPresent);

    try {
        store.WriteLibrary(settings);
    } catch (const TError&) {
        return; // refused before anything was written
    }
    const std::string saved = fuzz::TScratch::Get(settings);
    TLibraryStore reread;
    reread.Refresh(settings);
    const TLibrary again = Snapshot(c, reread);
    if (again != merged)
        Fail(c, "merged, saved and read again differs",
            "merged:\n" + Describe(merged) + "again:\n" + Describe(again) + "saved = \"" + fuzz::Printable(saved) +
                "\"");
    reread.WriteLibrary(settings);
    if (fuzz::TScratch::Get(settings) != saved)
        Fail(c, "a second save changed the file", "saved = \"" + fuzz::Printable(saved) + "\"");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t at = input.find(Separator);
    TCase c{input.substr(0, at), at == std::string_view::npos ? std::string_view{} : input.substr(at + 1)};
    try {
        Check(c);
    } catch (const std::exception& e) {
        Fail(c, "unexpected exception", e.what());
    }
    return 0;
}
