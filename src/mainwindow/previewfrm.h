#pragma once

#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

class QListWidget;
class QTextEdit;
class QLabel;

namespace tekstovar {

// One file of a preview: what the list shows, and its changes as a unified
// diff in UTF-8, made when the file is first selected (a large file's diff
// takes a while); none for a name, or a file that would be left alone.
struct TPreviewItem {
    QString Title; // "a.txt: 3" or "a.txt → b.txt"
    std::function<QString()> MakeDiff;
    bool Refused = false; // the run would leave it, Title says why
    QString Diff; // once made
};

// What a run would do, before it does it: the files that would change (or
// be left, and why) on the left; the changes of the one selected on the
// right, old and new lines with their numbers, what differs in them marked.
class TPreviewFrm : public QWidget {
    Q_OBJECT
public:
    explicit TPreviewFrm(QWidget* parent = nullptr);

    void ShowItems(std::vector<TPreviewItem> items, const QString& summary);
    // What the items' diffs are made from is going: they go too.
    void Forget();

    // Lines of changes shown per file; the rest is counted.
    static constexpr int MaxShownLines = 600;

private:
    void FilesLstChange(int row);

    std::vector<TPreviewItem> Items;
    QLabel* SummaryLbl;
    QListWidget* FilesLst;
    QTextEdit* ChangesMmo;
};

} // namespace tekstovar
