// The scenario run: the pairs one after another as steps of the main
// window's run over its file list or clipboard text, each step on the result
// of the one before, with every step's counts kept for a click on its row.
#include "scenario/batchfrm.h"

#include "common/error.h"
#include "engine/maskcheck.h"
#include "platform/dialogs.h"
#include "platform/qstrings.h"

#include <QAction>
#include <QMenu>
#include <QToolButton>

namespace tekstovar {

void TBatchFrm::SetRunning(bool running)
{
    IsRunning = running;
    Runner.LockForSteps(running);
    for (QWidget* w :
        std::initializer_list<QWidget*>{AddBtn, DelBtn, LoadBtn, SaveBtn, DownloadBtn, GoBtn, PreviewBtn, PairsGrid})
        w->setEnabled(!running);
    for (QAction* a : BatchPup->actions())
        a->setEnabled(!running);
    StopBtn->setEnabled(running);
}

void TBatchFrm::GoBtnClick()
{
    // The main window's own run has to end first.
    if (IsRunning || !Runner.Idle() || !PairsAreSound())
        return;
    Counts.clear();
    Runner.ClearStepCounts();
    Target = Runner.ShownTarget();
    SetRunning(true);
    Step = -1;
    RunNextStep();
}

void TBatchFrm::PreviewBtnClick()
{
    if (IsRunning || !Runner.Idle())
        return;
    if (Runner.ShownTarget() != TStepTarget::Files) {
        Dialogs.Message(this, QStringLiteral("Просмотр Показывает Замены В Файлах Списка"));
        return;
    }
    // A preview writes nothing: a fault shows in it, no need to ask first.
    Counts.clear();
    Runner.ClearStepCounts();
    Target = TStepTarget::Files;
    Runner.PreviewSteps(true);
    SetRunning(true);
    Step = -1;
    RunNextStep();
}

bool TBatchFrm::PairsAreSound()
{
    // Every pair is looked at before the first step writes anything.
    for (int step = 0; step < PairCount(); ++step) {
        const std::string& search = Lines[2 * static_cast<std::size_t>(step)];
        const std::string& replace = Lines[2 * static_cast<std::size_t>(step) + 1];
        std::string fault;
        try {
            fault = MaskPairFault(search, replace);
        } catch (const TError&) {
            continue; // a mask that cannot be read ends the run at its step, as it always did
        }
        if (fault.empty())
            continue;
        const std::string question =
            "Шаг " + std::to_string(step + 1) + ": " + MaskFaultQuestion(search, replace, fault);
        if (!Dialogs.Confirm(this, QStringLiteral("Текстовар"), Utf8ToQString(question), false))
            return false;
    }
    return true;
}

void TBatchFrm::RunNextStep()
{
    const int n = PairCount();
    if (Step >= 0 && Step <= n) {
        if (Target == TStepTarget::Files)
            Runner.KeepStepCounts(Step);
        else
            Counts.push_back(Runner.ClipboardCount());
    }
    if (Step >= n - 1) {
        EndRun();
        return;
    }
    ++Step;
    PairsGrid->SelectRow(Step);
    // A malformed mask has been reported by the main window: the steps done
    // so far keep their results.
    if (!Runner.StartStep(Lines[2 * static_cast<std::size_t>(Step)], Lines[2 * static_cast<std::size_t>(Step) + 1]))
        EndRun();
}

void TBatchFrm::EndRun()
{
    Runner.PreviewSteps(false);
    Step = -1;
    SetRunning(false);
}

void TBatchFrm::StopBtnClick()
{
    if (!IsRunning)
        return;
    const int recorded = Step; // the steps before this one have their counts
    Step = PairCount() + 1; // nothing of the stopped step is recorded
    const bool working = Runner.StepReplacer() != nullptr;
    Runner.StopStep(); // waits for the worker, whose end handler ends the run
    if (!working)
        EndRun();
    // A step whose worker had just finished when the stop came has given the
    // file list its column, but its counts were not recorded: no column
    // without counts.
    if (Target == TStepTarget::Files)
        Runner.DropStepColumnsFrom(recorded);
}

const std::vector<std::string>& TBatchFrm::StepPaths() const { return Runner.StepPaths(); }

const std::vector<std::string>& TBatchFrm::StepEncodings() const { return Runner.StepEncodings(); }

TMaskedReplacer* TBatchFrm::StepReplacer() const { return Runner.StepReplacer(); }

void TBatchFrm::PairsGridClick()
{
    const int row = SelectedRow();
    if (Target == TStepTarget::Clipboard) {
        if (row < static_cast<int>(Counts.size()))
            Runner.ShowClipboardCount(Counts[static_cast<std::size_t>(row)]);
        return;
    }
    if (Target == TStepTarget::Files)
        Runner.ShowStepCounts(row);
}

} // namespace tekstovar
