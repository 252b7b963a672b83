#include "mainwindow/filelistmodel.h"

#include "encodings/codepages.h"
#include "mainwindow/filelistfile.h"
#include "platform/pathparts.h"

#include <algorithm>

namespace tekstovar {

void TFileListModel::Add(std::string path, int encoding)
{
    auto entry = std::make_unique<TFileEntry>();
    entry->Path = std::move(path);
    entry->Encoding = encoding;
    Entries.push_back(std::move(entry));
}

void TFileListModel::Remove(std::size_t index) { Entries.erase(Entries.begin() + static_cast<std::ptrdiff_t>(index)); }

bool TFileListModel::Contains(const std::string& path) const
{
    return std::any_of(Entries.begin(), Entries.end(), [&](const auto& e) { return e->Path == path; });
}

std::vector<std::string> TFileListModel::Paths() const
{
    std::vector<std::string> paths;
    paths.reserve(Entries.size());
    for (const auto& e : Entries)
        paths.push_back(e->Path);
    return paths;
}

std::string TFileListModel::ColumnText(std::size_t index, int column) const
{
    const TFileEntry& e = *Entries[index];
    switch (column) {
    case NameColumn: return NamePart(e.Path);
    case DirectoryColumn: return DirectoryPart(e.Path);
    case EncodingColumn: return std::string(EncodingNames[static_cast<std::size_t>(e.Encoding)]);
    case CountColumn: return e.Count.empty() && !e.Reason.empty() ? std::string("—") : e.Count;
    default: {
        const auto step = static_cast<std::size_t>(column - FirstStepColumn);
        return step < e.StepCounts.size() ? e.StepCounts[step] : std::string();
    }
    }
}

void TFileListModel::Sort(int column, bool descending)
{
    std::vector<std::pair<std::string, std::unique_ptr<TFileEntry>>> rows;
    rows.reserve(Entries.size());
    for (std::size_t i = 0; i < Entries.size(); ++i)
        rows.emplace_back(ColumnText(i, column), std::move(Entries[i]));
    const int sign = descending ? -1 : 1;
    std::stable_sort(rows.begin(), rows.end(),
        [&](const auto& a, const auto& b) { return sign * CompareListColumns(column, a.first, b.first) < 0; });
    for (std::size_t i = 0; i < rows.size(); ++i)
        Entries[i] = std::move(rows[i].second);
}

void TFileListModel::ClearCounts()
{
    for (auto& e : Entries) {
        e->Count.clear();
        e->Reason.clear();
    }
}

void TFileListModel::ClearStepCounts()
{
    for (auto& e : Entries)
        e->StepCounts.clear();
}

} // namespace tekstovar
