#include "scenario/batchfrm.h"

#include "common/error.h"
#include "dialogs/helpfrm.h"
#include "mainwindow/mainfrm.h"
#include "platform/dialogs.h"
#include "platform/winunicode.h"
#include "scenario/scenariofile.h"
#include "settings/inifile.h"

#include <QApplication>
#include <QComboBox>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QProgressBar>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidgetItem>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace tekstovar {

namespace {

constexpr int NumberColumnWidth = 20;
constexpr int RowHeight = 30;
constexpr int MaxDroppedNameLength = 1024;
// The file list's columns: name, directory, code page, count; the counts of
// scenario step k follow in column FirstStepColumn + k.
constexpr int CountColumn = 3;
constexpr int FirstStepColumn = 4;
constexpr int SearchRole = Qt::UserRole;
constexpr int ReplaceRole = Qt::UserRole + 1;

QString Q(const std::string& win) { return QString::fromStdString(WinToUtf8(win)); }
std::string Win(const QString& text) { return Utf8ToWin(text.toStdString()); }

std::string DirectoryOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Column 1 holds both masks of a pair, one above the other, shifted left by
// the scroll bar so that long masks can be read.
class TPairDelegate : public QStyledItemDelegate {
public:
    TPairDelegate(TPairsGrid* grid) : QStyledItemDelegate(grid), Grid(grid) { }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        if (index.column() != 1) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        const QRect r = option.rect;
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette& p = option.palette;
        painter->save();
        painter->fillRect(r, selected ? p.highlight() : p.base());
        painter->setClipRect(r);
        const int x = r.left() - Grid->ScrollPosition + 2;
        const int middle = (r.top() + r.bottom()) / 2;
        const QVariant search = index.data(SearchRole);
        if (!search.isValid()) {
            painter->setPen(p.color(QPalette::Disabled, QPalette::Text));
            painter->drawText(QRect(r.left() + 2, r.top() + 2, r.width() - 2, middle - r.top()), Qt::AlignLeft,
                QStringLiteral("Конец Списка"));
        } else {
            painter->setPen(selected ? p.highlightedText().color() : p.text().color());
            painter->drawText(QRect(x, r.top() + 2, 100000, middle - r.top()), Qt::AlignLeft, search.toString());
            painter->setClipRect(QRect(r.left(), middle, r.width(), r.bottom() - middle + 1));
            painter->drawText(
                QRect(x, middle + 2, 100000, r.bottom() - middle), Qt::AlignLeft, index.data(ReplaceRole).toString());
        }
        painter->restore();
    }

private:
    TPairsGrid* Grid;
};

} // namespace

// --- The grid -----------------------------------------------------------------

TPairsGrid::TPairsGrid(QWidget* parent) : QTableWidget(parent)
{
    setColumnCount(2);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(RowHeight);
    setColumnWidth(0, NumberColumnWidth);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setItemDelegate(new TPairDelegate(this));
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
}

QString TPairsGrid::MimeType() { return QStringLiteral("application/x-tekstovar-scenario-pair"); }

void TPairsGrid::mousePressEvent(QMouseEvent* event)
{
    QTableWidget::mousePressEvent(event);
    const QModelIndex index = indexAt(event->position().toPoint());
    Pressed = event->button() == Qt::LeftButton && index.column() == 1 && index.row() < rowCount() - 1;
    if (Pressed) {
        DragRow = index.row();
        PressPos = event->position().toPoint();
    }
}

void TPairsGrid::mouseMoveEvent(QMouseEvent* event)
{
    if (!Pressed || !(event->buttons() & Qt::LeftButton) ||
        (event->position().toPoint() - PressPos).manhattanLength() < QApplication::startDragDistance()) {
        QTableWidget::mouseMoveEvent(event);
        return;
    }
    Pressed = false;
    auto* drag = new QDrag(this);
    auto* data = new QMimeData;
    data->setData(MimeType(), QByteArray::number(DragRow));
    drag->setMimeData(data);
    drag->exec(Qt::MoveAction);
}

int TPairsGrid::TargetRow(const QPoint& pos) const
{
    const int row = rowAt(pos.y());
    return row < 0 ? 0 : row; // outside every row counts as row 0
}

void TPairsGrid::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->source() == this && event->mimeData()->hasFormat(MimeType()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TPairsGrid::dragMoveEvent(QDragMoveEvent* event)
{
    if (event->source() != this || !event->mimeData()->hasFormat(MimeType())) {
        event->ignore();
        return;
    }
    selectRow(TargetRow(event->position().toPoint()));
    event->acceptProposedAction();
}

void TPairsGrid::dropEvent(QDropEvent* event)
{
    if (event->source() != this || !event->mimeData()->hasFormat(MimeType())) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    emit PairDropped(TargetRow(event->position().toPoint()));
}

// --- The window ---------------------------------------------------------------

TBatchFrm::TBatchFrm(TMainFrm& main, TDialogs& dialogs, std::string programDir, QWidget* parent)
    : TToolWindow(parent), Main(main), Dialogs(dialogs), ProgramDir(std::move(programDir))
{
    setObjectName(QStringLiteral("BatchFrm"));
    setWindowTitle(QStringLiteral("Сценарий"));
    setAcceptDrops(true);
    BuildControls();
    if (Main.Settings().AutoSaveBatch) {
        try {
            Lines = ReadScenarioFile(ProgramDir + "QZ.QZB");
        } catch (const TError&) {
            Lines.clear(); // a missing or broken automatic file starts empty
        }
    }
    FillGrid();
    Main.StepIndexSource = [this] { return Step; };
    Main.OnRunEnded = [this] {
        if (IsRunning)
            RunNextStep();
    };
}

TBatchFrm::~TBatchFrm()
{
    Main.StepIndexSource = nullptr;
    Main.OnRunEnded = nullptr;
    if (Main.Settings().AutoSaveBatch) {
        try {
            WriteScenarioFile(ProgramDir + "QZ.QZB", Lines);
        } catch (const TError&) {
            // Nobody is left to tell at exit.
        }
    }
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
        b = new QToolButton(bar);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(hint);
        b->setIcon(style()->standardIcon(icon));
        bar->addWidget(b);
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

    connect(PairsGrid, &TPairsGrid::PairDropped, this, &TBatchFrm::MovePair);
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

void TPairsGrid::resizeEvent(QResizeEvent* event)
{
    QTableWidget::resizeEvent(event);
    setColumnWidth(1, std::max(0, viewport()->width() - NumberColumnWidth));
}

void TBatchFrm::resizeEvent(QResizeEvent* event)
{
    TToolWindow::resizeEvent(event);
    PairsGrid->setColumnWidth(1, std::max(0, PairsGrid->viewport()->width() - NumberColumnWidth));
    FillGrid();
}

void TBatchFrm::SetPairLines(std::vector<std::string> lines)
{
    Lines = std::move(lines);
    FillGrid();
}

void TBatchFrm::FillGrid()
{
    const int selected = SelectedRow();
    const int rows = PairCount() + 1;
    PairsGrid->setRowCount(rows);
    const QFontMetrics metrics(PairsGrid->font());
    const int width = PairsGrid->columnWidth(1);
    int extent = 0;
    for (int row = 0; row < rows; ++row) {
        auto* number = new QTableWidgetItem(row + 1 < rows ? QString::number(row + 1) : QString());
        number->setBackground(palette().button());
        PairsGrid->setItem(row, 0, number);
        auto* pair = new QTableWidgetItem;
        if (row + 1 < rows) {
            const QString search = Q(Lines[2 * static_cast<std::size_t>(row)]);
            const QString replace = Q(Lines[2 * static_cast<std::size_t>(row) + 1]);
            pair->setData(SearchRole, search);
            pair->setData(ReplaceRole, replace);
            pair->setToolTip(search + QStringLiteral("\n") + replace);
            extent = std::max({extent, metrics.horizontalAdvance(search) - width + 20,
                metrics.horizontalAdvance(replace) - width + 20});
        }
        PairsGrid->setItem(row, 1, pair);
    }
    HorScr->setMaximum(extent);
    CountLbl->setText(QStringLiteral("Всего Пар: ") + QString::number(rows - 1));
    SelectRow(std::clamp(selected, 0, rows - 1));
}

void TBatchFrm::SelectRow(int row)
{
    PairsGrid->clearSelection();
    PairsGrid->setCurrentCell(row, 1);
    PairsGrid->selectRow(row);
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
    SelectRow(row + 1); // the selection stays on the pair it was on
}

void TBatchFrm::AddBtnClick()
{
    InsertPair(SelectedRow(), Win(Main.MaskCbx->currentText()), Win(Main.ReplaceCbx->currentText()));
}

void TBatchFrm::DelBtnClick()
{
    const int row = SelectedRow();
    if (row >= PairCount())
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
    Main.MaskCbx->setEditText(Q(Lines[2 * static_cast<std::size_t>(row)]));
    Main.ReplaceCbx->setEditText(Q(Lines[2 * static_cast<std::size_t>(row) + 1]));
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

// --- Files --------------------------------------------------------------------

void TBatchFrm::ShowError(const QString& text) { Dialogs.Error(this, ErrorText(text)); }

bool TBatchFrm::LoadFile(const std::string& path)
{
    try {
        SetPairLines(ReadScenarioFile(path));
        return true;
    } catch (const TError& e) {
        ShowError(QString::fromUtf8(e.what()));
        return false;
    }
}

namespace {
const QString ScenarioFilter = QStringLiteral("Сценарии Замен (*.QZB);;Все Файлы (*)");
}

void TBatchFrm::LoadBtnClick()
{
    const QStringList files = Dialogs.OpenFiles(this, QStringLiteral("Загрузить Сценарий"),
        QString::fromStdString(Main.Settings().WorkDir), ScenarioFilter, false);
    if (files.isEmpty())
        return;
    const std::string path = files.front().toStdString();
    if (LoadFile(path))
        Main.Settings().WorkDir = DirectoryOf(path);
}

void TBatchFrm::SaveBtnClick()
{
    const QString file = Dialogs.SaveFile(this, QStringLiteral("Сохранить Сценарий"),
        QString::fromStdString(Main.Settings().WorkDir), ScenarioFilter, QStringLiteral("QZB"));
    if (file.isEmpty())
        return;
    const std::string path = file.toStdString();
    try {
        WriteScenarioFile(path, Lines);
        Main.Settings().WorkDir = DirectoryOf(path);
    } catch (const TError& e) {
        ShowError(QString::fromUtf8(e.what()));
    }
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
    const QString path = urls.front().toLocalFile().left(MaxDroppedNameLength);
    LoadFile(path.toStdString());
}

std::string TBatchFrm::LibraryServer()
{
    IniFile ini(ProgramDir + "QZ.Ini");
    std::string server = ini.ReadString("General", "LibraryServer", "http://tekstovar.example.org");
    while (!server.empty() && server.back() == '/')
        server.pop_back();
    return server;
}

void TBatchFrm::DownloadBtnClick()
{
    Dialogs.OpenUrl(QUrl(QString::fromStdString(WinToUtf8(LibraryServer()) + "/QZ/Lib/")));
}

void TBatchFrm::HelpBtnClick()
{
    if (Help)
        Help->ShowTopic(QStringLiteral("Batch"));
}

void TBatchFrm::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F9 && GoBtn->isEnabled()) {
        GoBtnClick();
        return;
    }
    TToolWindow::keyReleaseEvent(event);
}

// --- The run ------------------------------------------------------------------

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
    SelectRow(Step);
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
    Step = PairCount() + 1; // nothing of the stopped step is recorded
    if (Main.ActiveReplacer())
        Main.StopBtnClick(); // waits for the worker, whose end handler ends the run
    else
        EndRun();
    Main.FilePBr->setValue(0);
    Main.EntirePBr->setValue(0);
}

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
