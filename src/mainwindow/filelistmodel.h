#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace tekstovar {

// The file list's columns as the window shows them; the counts of scenario
// step k follow in column FirstStepColumn + k.
enum TListColumn : int { NameColumn, DirectoryColumn, EncodingColumn, CountColumn, FirstStepColumn };
inline constexpr int ListColumnCount = FirstStepColumn;

// One file of the list and what the runs said of it.
struct TFileEntry {
    std::string Path; // full path, UTF-8
    int Encoding = 0; // code page index
    std::string Count; // replacements of the last run; empty before one
    std::string Reason; // why the last run left the file alone
    std::vector<std::string> StepCounts; // a finished scenario step's counts
};

// The file list as data: the window's list view shows it row by row. Each
// entry keeps its address while it is in the list, so the backup stores key
// their copies by it whatever the sorting does.
class TFileListModel {
public:
    std::size_t Size() const { return Entries.size(); }
    bool Empty() const { return Entries.empty(); }
    TFileEntry& operator[](std::size_t index) { return *Entries[index]; }
    const TFileEntry& operator[](std::size_t index) const { return *Entries[index]; }
    const void* Key(std::size_t index) const { return Entries[index].get(); }

    void Add(std::string path, int encoding);
    void Remove(std::size_t index);
    bool Contains(const std::string& path) const;
    std::vector<std::string> Paths() const;

    // Sorts by the column as its texts compare; a stable sort, so a second
    // column's order survives among equal keys.
    void Sort(int column, bool descending);
    // The text the column shows for the entry: a file the last run left
    // alone, without a count, shows that it failed.
    std::string ColumnText(std::size_t index, int column) const;

    // The counts of the last run and its reasons go; those of a scenario's steps stay
    // until ClearStepCounts.
    void ClearCounts();
    void ClearStepCounts();

private:
    std::vector<std::unique_ptr<TFileEntry>> Entries;
};

} // namespace tekstovar
