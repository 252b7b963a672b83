#include "scenario/batchfrm.h"

#include "common/error.h"
#include "dialogs/helpfrm.h"
#include "platform/dialogs.h"
#include "platform/pathparts.h"
#include "platform/qstrings.h"
#include "platform/toolbutton.h"
#include "platform/winunicode.h"
#include "scenario/scenariofile.h"
#include "settings/inifile.h"

#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace tekstovar {

TBatchFrm::TBatchFrm(TStepRunner& runner, TMaskPairBoxes& maskPair, TSettings& settings, TDialogs& dialogs,
    std::string programDir, QWidget* parent)
    : TToolWindow(parent), Runner(runner), MaskPair(maskPair), Settings(settings), Dialogs(dialogs),
      ProgramDir(std::move(programDir))
{
    setObjectName(QStringLiteral("BatchFrm"));
    setWindowTitle(QStringLiteral("Сценарий"));
    setAcceptDrops(true);
    BuildControls();
    if (Settings.AutoSaveBatch) {
        try {
            Lines = ReadScenarioFile(ProgramDir + "QZ.QZB");
        } catch (const TError&) {
            Lines.clear(); // a missing or broken automatic file starts empty
        }
    }
    FillGrid();
    Runner.FollowSteps(this);
}

TBatchFrm::~TBatchFrm()
{
    Runner.FollowSteps(nullptr);
    // The main window, its parent, is still there to carry the message.
    if (Settings.AutoSaveBatch)
        ShowingErrors(Dialogs, parentWidget(), [this] { WriteScenarioFile(ProgramDir + "QZ.QZB", Lines); });
}

void TBatchFrm::RunEnded(bool failed)
{
    if (!IsRunning)
        return;
    // The main window has shown the failure; later steps would work on an
    // unknown state without the first step's backups.
    if (failed)
        EndRun();
    else
        RunNextStep();
}

void TBatchFrm::BuildControls()
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* bar = new QToolBar(this);
    layout->addWidget(bar);
    auto button = [&](QToolButton*& b, const char* name, const QString& hint, QStyle::StandardPixmap icon,
                      void (TBatchFrm::*slot)()) {
        b = AddToolButton(bar, name, hint, icon);
        connect(b, &QToolButton::clicked, this, slot);
    };
    button(AddBtn, "AddBtn", QStringLiteral("Добавить"), QStyle::SP_FileDialogNewFolder, &TBatchFrm::AddBtnClick);
    button(DelBtn, "DelBtn", QStringLiteral("Удалить"), QStyle::SP_TrashIcon, &TBatchFrm::DelBtnClick);
    bar->addSeparator();
    button(LoadBtn, "LoadBtn", QStringLiteral("Загрузить Сценарий"), QStyle::SP_DialogOpenButton,
        &TBatchFrm::LoadBtnClick);
    button(SaveBtn, "SaveBtn", QStringLiteral("Сохранить Сценарий"), QStyle::SP_DialogSaveButton,
        &TBatchFrm::SaveBtnClick);
    button(DownloadBtn, "DownloadBtn", QStringLiteral("Скачать Из Интернета"), QStyle::SP_ArrowDown,
        &TBatchFrm::DownloadBtnClick);
    bar->addSeparator();
    button(GoBtn, "GoBtn", QStringLiteral("Выполнить"), QStyle::SP_MediaPlay, &TBatchFrm::GoBtnClick);
    button(StopBtn, "StopBtn", QStringLiteral("Остановить"), QStyle::SP_MediaStop, &TBatchFrm::StopBtnClick);
    button(PreviewBtn, "PreviewBtn", QStringLiteral("Просмотр"), QStyle::SP_FileDialogContentsView,
        &TBatchFrm::PreviewBtnClick);
    bar->addSeparator();
    button(HelpBtn, "HelpBtn", QStringLiteral("Подсказка"), QStyle::SP_DialogHelpButton, &TBatchFrm::HelpBtnClick);
    StopBtn->setEnabled(false);

    PairsGrid = new TPairsGrid(this);
    PairsGrid->setObjectName(QStringLiteral("PairsGrid"));
    layout->addWidget(PairsGrid, 1);
    HorScr = new QScrollBar(Qt::Horizontal, this);
    HorScr->setObjectName(QStringLiteral("HorScr"));
    HorScr->setPageStep(0);
    layout->addWidget(HorScr);
    connect(HorScr, &QScrollBar::valueChanged, this, [this](int value) {
        PairsGrid->ScrollPosition = value;
        PairsGrid->viewport()->update();
    });
    auto* status = new QStatusBar(this);
    status->setSizeGripEnabled(false);
    CountLbl = new QLabel(status);
    CountLbl->setFixedWidth(90);
    status->addWidget(CountLbl);
    auto* spare = new QLabel(status);
    spare->setFixedWidth(50);
    status->addWidget(spare);
    layout->addWidget(status);

    PairsGrid->TakesDrop = [this](TPairsGrid::TDrop kind, const QObject* source) {
        return PairsGridTakesDrop(kind, source);
    };
    connect(PairsGrid, &TPairsGrid::PairDropped, this, &TBatchFrm::MovePair);
    connect(PairsGrid, &TPairsGrid::LibraryPairDropped, this, &TBatchFrm::PairsGridLibraryDrop);
    connect(PairsGrid, &TPairsGrid::ScrollExtentMeasured, HorScr, &QScrollBar::setMaximum);
    connect(PairsGrid, &QTableWidget::cellDoubleClicked, this, [this] { PairsGridDblClick(); });
    connect(PairsGrid, &QTableWidget::cellClicked, this, [this] { PairsGridClick(); });

    BatchPup = new QMenu(this);
    auto action = [&](const QString& caption, const QKeySequence& key, void (TBatchFrm::*slot)(), bool onGrid) {
        QAction* a = BatchPup->addAction(caption, this, slot);
        a->setShortcut(key);
        if (onGrid) {
            a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            PairsGrid->addAction(a);
        }
        return a;
    };
    action(QStringLiteral("Добавить Строки"), QKeySequence(Qt::Key_Insert), &TBatchFrm::AddBtnClick, true);
    action(QStringLiteral("Удалить Строки"), QKeySequence(Qt::Key_Delete), &TBatchFrm::DelBtnClick, true);
    BatchPup->addSeparator();
    action(QStringLiteral("Загрузить Список"), QKeySequence(), &TBatchFrm::LoadBtnClick, false);
    action(QStringLiteral("Сохранить Список"), QKeySequence(), &TBatchFrm::SaveBtnClick, false);
    BatchPup->addSeparator();
    // F9 is taken on its release by the window, so the menu only shows it.
    action(QStringLiteral("Выполнить"), QKeySequence(Qt::Key_F9), &TBatchFrm::GoBtnClick, false);
    PairsGrid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(PairsGrid, &QWidget::customContextMenuRequested, this,
        [this](const QPoint& pos) { BatchPup->popup(PairsGrid->viewport()->mapToGlobal(pos)); });
}

void TBatchFrm::SetPairLines(std::vector<std::string> lines)
{
    Lines = std::move(lines);
    FillGrid();
}

void TBatchFrm::FillGrid()
{
    const int selected = SelectedRow();
    PairsGrid->SetPairs(ScenarioPairs(Lines));
    const int rows = PairsGrid->rowCount();
    CountLbl->setText(QStringLiteral("Всего Пар: ") + QString::number(rows - 1));
    PairsGrid->SelectRow(std::clamp(selected, 0, rows - 1));
}

int TBatchFrm::SelectedRow() const
{
    int top = -1;
    for (const QTableWidgetSelectionRange& range : PairsGrid->selectedRanges())
        if (top < 0 || range.topRow() < top)
            top = range.topRow();
    if (top < 0)
        top = PairsGrid->currentRow();
    return std::max(top, 0);
}

void TBatchFrm::InsertPair(int row, const std::string& search, const std::string& replace)
{
    if (search.empty() && replace.empty())
        return;
    const auto at = Lines.begin() + 2 * std::clamp(row, 0, PairCount());
    Lines.insert(Lines.insert(at, replace), search);
    FillGrid();
    PairsGrid->SelectRow(row + 1); // the selection stays on the pair it was on
}

void TBatchFrm::AddBtnClick()
{
    // The run reads the pairs by their index: they stay as they are until it ends.
    if (IsRunning)
        return;
    InsertPair(SelectedRow(), MaskPair.Mask(), MaskPair.Replace());
}

void TBatchFrm::DelBtnClick()
{
    const int row = SelectedRow();
    if (row >= PairCount() || IsRunning)
        return; // the end row holds no pair
    const auto at = Lines.begin() + 2 * row;
    Lines.erase(at, at + 2);
    FillGrid();
}

void TBatchFrm::PairsGridDblClick()
{
    const int row = SelectedRow();
    if (row >= PairCount() || IsRunning)
        return;
    MaskPair.ShowPair(Lines[2 * static_cast<std::size_t>(row)], Lines[2 * static_cast<std::size_t>(row) + 1]);
}

std::string TBatchFrm::DraggedMask() const
{
    const int row = PairsGrid->DragRow;
    return row >= 0 && row < PairCount() ? Lines[2 * static_cast<std::size_t>(row)] : std::string();
}

std::string TBatchFrm::DraggedReplace() const
{
    const int row = PairsGrid->DragRow;
    return row >= 0 && row < PairCount() ? Lines[2 * static_cast<std::size_t>(row) + 1] : std::string();
}

void TBatchFrm::MovePair(int row)
{
    const int from = PairsGrid->DragRow;
    if (from < 0 || from >= PairCount() || IsRunning)
        return;
    const std::string search = DraggedMask();
    const std::string replace = DraggedReplace();
    const auto at = Lines.begin() + 2 * from;
    Lines.erase(at, at + 2);
    PairsGrid->DragRow = -1;
    FillGrid(); // a pair with both masks empty is gone now
    InsertPair(std::min(row, PairCount()), search, replace);
}

bool TBatchFrm::PairsGridTakesDrop(TPairsGrid::TDrop kind, const QObject* source) const
{
    if (IsRunning)
        return false;
    return kind == TPairsGrid::TDrop::Move ||
        (kind == TPairsGrid::TDrop::Library && LibraryPair && IsLibraryGrid && IsLibraryGrid(source));
}

void TBatchFrm::PairsGridLibraryDrop(int row)
{
    if (IsRunning || !LibraryPair)
        return;
    const TDraggedPair pair = LibraryPair();
    InsertPair(std::clamp(row, 0, PairCount()), pair.Mask, pair.Replace);
}

// --- Files --------------------------------------------------------------------

bool TBatchFrm::LoadFile(const std::string& path)
{
    return ShowingErrors(Dialogs, this, [&] { SetPairLines(ReadScenarioFile(path)); });
}

namespace {
const QString ScenarioFilter = QStringLiteral("Сценарии Замен (*.QZB);;Все Файлы (*)");
}

void TBatchFrm::LoadBtnClick()
{
    if (IsRunning)
        return;
    const QStringList files = Dialogs.OpenFiles(
        this, QStringLiteral("Загрузить Сценарий"), Utf8ToQString(Settings.WorkDir), ScenarioFilter, false);
    if (files.isEmpty())
        return;
    const std::string path = QStringToUtf8(files.front());
    if (LoadFile(path))
        Settings.WorkDir = DirectoryPart(path);
}

void TBatchFrm::SaveBtnClick()
{
    const QString file = Dialogs.SaveFile(this, QStringLiteral("Сохранить Сценарий"), Utf8ToQString(Settings.WorkDir),
        ScenarioFilter, QStringLiteral("QZB"));
    if (file.isEmpty())
        return;
    const std::string path = QStringToUtf8(file);
    ShowingErrors(Dialogs, this, [&] {
        WriteScenarioFile(path, Lines);
        Settings.WorkDir = DirectoryPart(path);
    });
}

void TBatchFrm::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
    else
        event->ignore();
}

void TBatchFrm::dropEvent(QDropEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    event->acceptProposedAction();
    if (urls.size() != 1 || !urls.front().isLocalFile() || IsRunning)
        return; // only a single file is taken as a scenario
    LoadFile(QStringToUtf8(urls.front().toLocalFile()));
}

std::string TBatchFrm::LibraryServer()
{
    IniFile ini(ProgramDir + "QZ.Ini");
    std::string server = ini.ReadString("General", "LibraryServer", "http://tekstovar.example.org");
    while (!server.empty() && server.back() == '/')
        server.pop_back();
    return server;
}

void TBatchFrm::DownloadBtnClick() { Dialogs.OpenUrl(QUrl(WinToQString(LibraryServer() + "/QZ/Lib/"))); }

void TBatchFrm::HelpBtnClick()
{
    if (Help)
        Help->ShowTopic(QStringLiteral("Batch"));
}

void TBatchFrm::keyReleaseEvent(QKeyEvent* event)
{
    // One run per press, however long the key is held.
    if (event->key() == Qt::Key_F9 && !event->isAutoRepeat() && GoBtn->isEnabled()) {
        GoBtnClick();
        return;
    }
    TToolWindow::keyReleaseEvent(event);
}

} // namespace tekstovar
