#include "mainwindow/previewfrm.h"

#include <QBoxLayout>
#include <QFontDatabase>
#include <QLabel>
#include <QListWidget>
#include <QSplitter>
#include <QStringList>
#include <QTextCursor>
#include <QTextEdit>

namespace tekstovar {

namespace {

const QColor RemovedBack(255, 228, 228);
const QColor AddedBack(224, 248, 224);
const QColor RemovedMark(255, 170, 170);
const QColor AddedMark(150, 225, 150);
const QColor HunkFore(110, 110, 110);

QTextCharFormat Format(const QColor& back, bool bold = false)
{
    QTextCharFormat f;
    if (back.isValid())
        f.setBackground(back);
    if (bold)
        f.setFontWeight(QFont::Bold);
    return f;
}

// A line of the diff with its number; the part that differs from its
// counterpart (the removed line for an added one and back) marked.
void PutLine(QTextCursor& cursor, const QString& number, QChar sign, const QString& text, const QString& other)
{
    const QColor back = sign == u'-' ? RemovedBack : sign == u'+' ? AddedBack : QColor();
    const QColor mark = sign == u'-' ? RemovedMark : AddedMark;
    cursor.insertText(number + u' ' + sign + u' ', Format(back));
    if (other.isNull()) {
        cursor.insertText(text, Format(back));
    } else {
        qsizetype head = 0;
        while (head < text.size() && head < other.size() && text[head] == other[head])
            ++head;
        qsizetype tail = 0;
        while (tail < text.size() - head && tail < other.size() - head &&
            text[text.size() - 1 - tail] == other[other.size() - 1 - tail])
            ++tail;
        cursor.insertText(text.left(head), Format(back));
        cursor.insertText(text.mid(head, text.size() - head - tail), Format(mark, true));
        cursor.insertText(text.right(tail), Format(back));
    }
    cursor.insertText(QStringLiteral("\n"), Format(QColor()));
}

} // namespace

TPreviewFrm::TPreviewFrm(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("PreviewFrm"));
    setWindowTitle(QStringLiteral("Просмотр"));
    SummaryLbl = new QLabel(this);
    SummaryLbl->setObjectName(QStringLiteral("SummaryLbl"));
    FilesLst = new QListWidget(this);
    FilesLst->setObjectName(QStringLiteral("FilesLst"));
    FilesLst->setAccessibleName(QStringLiteral("Файлы"));
    ChangesMmo = new QTextEdit(this);
    ChangesMmo->setObjectName(QStringLiteral("ChangesMmo"));
    ChangesMmo->setAccessibleName(QStringLiteral("Изменения"));
    ChangesMmo->setReadOnly(true);
    ChangesMmo->setLineWrapMode(QTextEdit::NoWrap);
    ChangesMmo->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto* split = new QSplitter(this);
    split->addWidget(FilesLst);
    split->addWidget(ChangesMmo);
    split->setStretchFactor(1, 3);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(SummaryLbl);
    layout->addWidget(split, 1);
    connect(FilesLst, &QListWidget::currentRowChanged, this, &TPreviewFrm::FilesLstChange);
    resize(760, 480);
}

void TPreviewFrm::ShowItems(std::vector<TPreviewItem> items, const QString& summary)
{
    Items = std::move(items);
    SummaryLbl->setText(summary);
    FilesLst->clear();
    ChangesMmo->clear();
    for (const TPreviewItem& item : Items) {
        auto* row = new QListWidgetItem(item.Title, FilesLst);
        if (item.Refused)
            row->setForeground(QColor(176, 0, 0));
    }
    if (!Items.empty())
        FilesLst->setCurrentRow(0);
    else
        ChangesMmo->setPlainText(QStringLiteral("Ни Один Файл Не Изменится"));
    show();
    raise();
}

void TPreviewFrm::Forget()
{
    Items.clear();
    FilesLst->clear();
    ChangesMmo->clear();
    hide();
}

void TPreviewFrm::FilesLstChange(int row)
{
    ChangesMmo->clear();
    if (row < 0 || static_cast<std::size_t>(row) >= Items.size())
        return;
    TPreviewItem& item = Items[static_cast<std::size_t>(row)];
    if (item.MakeDiff) {
        item.Diff = item.MakeDiff();
        item.MakeDiff = nullptr;
    }
    QTextCursor cursor(ChangesMmo->document());
    if (item.Diff.isEmpty()) {
        cursor.insertText(item.Title);
        return;
    }
    QStringList lines = item.Diff.split(u'\n');
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    long long oldLine = 0, newLine = 0;
    int shown = 0;
    qsizetype k = 2; // past the two header lines
    for (; k < lines.size() && shown < MaxShownLines; ++k) {
        const QString& line = lines[k];
        if (line.startsWith(QStringLiteral("@@"))) {
            // "@@ -a,b +c,d @@": where the lines below are
            const QStringList parts = line.split(u' ');
            oldLine = parts.value(1).mid(1).section(u',', 0, 0).toLongLong();
            newLine = parts.value(2).mid(1).section(u',', 0, 0).toLongLong();
            QTextCharFormat hunk;
            hunk.setForeground(HunkFore);
            cursor.insertText(QStringLiteral("…\n"), hunk);
            continue;
        }
        if (line.startsWith(u'\\'))
            continue; // "\ No newline at end of file"
        const QChar sign = line.isEmpty() ? u' ' : line[0];
        const QString text = line.mid(1);
        // The counterpart of a changed line: the line at the same place in
        // the run of added lines after its run of removed ones, and back.
        QString other;
        if (sign == u'-' || sign == u'+') {
            const QChar otherSign = sign == u'-' ? u'+' : u'-';
            qsizetype first = k; // where this line's run begins
            while (first > 2 && lines[first - 1].startsWith(sign))
                --first;
            const qsizetype place = k - first;
            qsizetype runStart = -1;
            if (sign == u'-') {
                qsizetype j = k + 1;
                while (j < lines.size() && lines[j].startsWith(u'-'))
                    ++j;
                runStart = j;
            } else {
                qsizetype j = first - 1;
                while (j > 2 && lines[j - 1].startsWith(otherSign))
                    --j;
                runStart = j >= 2 && lines[j].startsWith(otherSign) ? j : -1;
            }
            if (runStart >= 0 && runStart + place < lines.size() && lines[runStart + place].startsWith(otherSign) &&
                (sign == u'-' || runStart + place < first))
                other = lines[runStart + place].mid(1);
        }
        const long long number = sign == u'+' ? newLine++ : oldLine++;
        if (sign == u' ')
            ++newLine;
        PutLine(cursor, QStringLiteral("%1").arg(number, 6), sign, text, other);
        if (sign != u' ')
            ++shown;
    }
    long long rest = 0;
    for (; k < lines.size(); ++k)
        rest += lines[k].startsWith(u'-') || lines[k].startsWith(u'+');
    if (rest > 0)
        cursor.insertText(QStringLiteral("… И Ещё Изменённых Строк: %1").arg(rest));
    ChangesMmo->moveCursor(QTextCursor::Start);
}

} // namespace tekstovar
