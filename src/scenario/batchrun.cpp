// The scenario run: the pairs one after another as steps of the main
// window's run over its file list or clipboard text, each step on the result
// of the one before, with every step's counts kept for a click on its row.
#include "scenario/batchfrm.h"

#include "mainwindow/listview.h"
#include "mainwindow/mainfrm.h"
#include "platform/winunicode.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidgetItem>

namespace tekstovar {

namespace {

// The file list's columns: name, directory, code page, count; the counts of
// scenario step k follow in column FirstStepColumn + k.
constexpr int CountColumn = 3;
constexpr int FirstStepColumn = 4;

QString Q(const std::string& win) { return QString::fromStdString(WinToUtf8(win)); }
std::string Win(const QString& text) { return Utf8ToWin(text.toStdString()); }

} // namespace

void TBatchFrm::LockMain(bool lock)
{
    // The main window's own widgets, not the tool windows it parents: this
    // window among them must stay usable for its stop button.
    if (lock) {
        Locked.clear();
        for (QWidget* w : Main.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (!w->isWindow() && w->isEnabled()) {
                w->setEnabled(false);
                Locked.emplace_back(w);
            }
        return;
    }
    for (const QPointer<QWidget>& w : Locked)
        if (w)
            w->setEnabled(true);
    Locked.clear();
}

void TBatchFrm::SetRunning(bool running)
{
    IsRunning = running;
    LockMain(running);
    for (QWidget* w : std::initializer_list<QWidget*>{AddBtn, DelBtn, LoadBtn, SaveBtn, DownloadBtn, GoBtn, PairsGrid})
        w->setEnabled(!running);
    for (QAction* a : BatchPup->actions())
        a->setEnabled(!running);
    StopBtn->setEnabled(running);
}

void TBatchFrm::GoBtnClick()
{
    // The main window's own run has to end first.
    if (IsRunning || !Main.Idle())
        return;
    Counts.clear();
    Main.ReplaceCountEdt->setText(QString());
    for (int i = 0; i < Main.EntryCount(); ++i) {
        QTreeWidgetItem* item = Main.Entry(i);
        for (int column = FirstStepColumn; column < item->columnCount(); ++column)
            item->setData(column, Qt::DisplayRole, QVariant());
        item->setText(CountColumn, QString());
    }
    // Their columns go with them, whichever target this run has.
    if (Main.FilesLvw->columnCount() > FirstStepColumn)
        Main.FilesLvw->setColumnCount(FirstStepColumn);
    Target = Main.TasksPgC->currentIndex() == 1 ? 2 : 1;
    SetRunning(true);
    Step = -1;
    RunNextStep();
}

void TBatchFrm::RunNextStep()
{
    const int n = PairCount();
    if (Step >= 0 && Step <= n) {
        if (Target == 1) {
            for (int i = 0; i < Main.EntryCount(); ++i) {
                QTreeWidgetItem* item = Main.Entry(i);
                item->setText(FirstStepColumn + Step, item->text(CountColumn));
            }
        } else {
            Counts.push_back(Win(Main.ReplaceCountEdt->text()));
        }
    }
    if (Step >= n - 1) {
        EndRun();
        return;
    }
    ++Step;
    PairsGrid->SelectRow(Step);
    const std::string& search = Lines[2 * static_cast<std::size_t>(Step)];
    const std::string& replace = Lines[2 * static_cast<std::size_t>(Step) + 1];
    Main.MaskCbx->setEditText(Q(search));
    Main.ReplaceCbx->setEditText(Q(replace));
    // A malformed mask has been reported by the main window: the steps done
    // so far keep their results.
    if (!Main.StartRun(search, replace))
        EndRun();
}

void TBatchFrm::EndRun()
{
    Step = -1;
    SetRunning(false);
}

void TBatchFrm::StopBtnClick()
{
    if (!IsRunning)
        return;
    const int recorded = Step; // the steps before this one have their counts
    Step = PairCount() + 1; // nothing of the stopped step is recorded
    if (Main.ActiveReplacer())
        Main.StopBtnClick(); // waits for the worker, whose end handler ends the run
    else
        EndRun();
    // A step whose worker had just finished when the stop came has given the
    // file list its column, but its counts were not recorded: no column
    // without counts.
    if (Target == 1 && Main.FilesLvw->columnCount() > FirstStepColumn + recorded)
        Main.FilesLvw->setColumnCount(FirstStepColumn + recorded);
    Main.FilePBr->setValue(0);
    Main.EntirePBr->setValue(0);
}

const std::vector<std::string>& TBatchFrm::StepPaths() const { return Main.RunPaths(); }

const std::vector<std::string>& TBatchFrm::StepEncodings() const { return Main.RunEncodings(); }

TMaskedReplacer* TBatchFrm::StepReplacer() const { return Main.ActiveReplacer(); }

void TBatchFrm::PairsGridClick()
{
    const int row = SelectedRow();
    if (Target == 2) {
        if (row < static_cast<int>(Counts.size()))
            Main.ReplaceCountEdt->setText(Q(Counts[static_cast<std::size_t>(row)]));
        return;
    }
    if (Target != 1)
        return;
    for (int i = 0; i < Main.EntryCount(); ++i) {
        QTreeWidgetItem* item = Main.Entry(i);
        const QVariant count = item->data(FirstStepColumn + row, Qt::DisplayRole);
        if (!count.isValid())
            return; // no such step for this entry: what is done stays
        item->setText(CountColumn, count.toString());
    }
}

} // namespace tekstovar
