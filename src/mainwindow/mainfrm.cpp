#include "mainwindow/mainfrm.h"

#include "common/error.h"
#include "dialogs/aboutfrm.h"
#include "dialogs/filemaskfrm.h"
#include "dialogs/helpfrm.h"
#include "dialogs/viewfrm.h"
#include "encodings/codepages.h"
#include "encodings/detect.h"
#include "engine/maskedreplacer.h"
#include "library/libfrm.h"
#include "mainwindow/filelistfile.h"
#include "mainwindow/listview.h"
#include "mainwindow/maskboxes.h"
#include "platform/dialogs.h"
#include "platform/directoryfiles.h"
#include "platform/fileio.h"
#include "platform/qtdispatcher.h"
#include "platform/toolbutton.h"
#include "platform/winunicode.h"
#include "scenario/batchfrm.h"
#include "settings/inifile.h"
#include "settings/setupfrm.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>

namespace tekstovar {

namespace {

constexpr int MinimumWidth = 427;
constexpr int MinimumHeight = 410;
// How much of a file detection looks at.
constexpr std::size_t DetectionLength = 512;

QString Q(const std::string& utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }
std::string S(const QString& text) { return text.toStdString(); }

std::string DirectoryPart(const std::string& path)
{
    auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string NamePart(const std::string& path) { return path.substr(path.rfind('/') + 1); }

QComboBox* EncodingBox(QWidget* parent)
{
    auto* box = new QComboBox(parent);
    for (auto name : EncodingNames)
        box->addItem(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
    return box;
}

QString EncodingName(int encoding)
{
    auto name = EncodingNames[static_cast<std::size_t>(encoding)];
    return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

} // namespace

TMainFrm::TMainFrm(TDialogs& dialogs, std::string programDir, QWidget* parent)
    : QMainWindow(parent), Dialogs(dialogs), ProgramDir(std::move(programDir))
{
    setObjectName(QStringLiteral("MainFrm"));
    setWindowTitle(QStringLiteral("Текстовар"));
    setMinimumSize(MinimumWidth, MinimumHeight);
    resize(MinimumWidth, MinimumHeight);
    BuildToolBar();
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(2, 2, 2, 2);
    setCentralWidget(central);
    BuildPages();
    layout->addWidget(TasksPgC, 1);
    BuildBottomPanel();
    BuildPopupMenu();
    Dispatcher = std::make_unique<TQtDispatcher>(this);
    connect(GoBtn, &QPushButton::clicked, this, &TMainFrm::GoBtnClick);
    connect(StopBtn, &QPushButton::clicked, this, &TMainFrm::StopBtnClick);
    connect(RestoreBtn, &QPushButton::clicked, this, &TMainFrm::RestoreBtnClick);
    connect(EraseBtn, &QPushButton::clicked, this, &TMainFrm::EraseBtnClick);
    connect(RefreshBtn, &QToolButton::clicked, this, &TMainFrm::RefreshBtnClick);
    connect(CopyBtn, &QToolButton::clicked, this, &TMainFrm::CopyBtnClick);
    LoadAtStart();
    // Connected after the settings chose the page: a page shown at start
    // fetches the clipboard as any visit does.
    connect(TasksPgC, &QTabWidget::currentChanged, this, &TMainFrm::TasksPgCChange);
    if (TasksPgC->currentIndex() == 1)
        RefreshBtnClick();
}

TMainFrm::~TMainFrm() = default;

void TMainFrm::SetPeers(const TMainFrmPeers& peers)
{
    Peers = peers;
    if (Peers.ViewFrm && !MaskBoxes) {
        MaskBoxes = std::make_unique<TMaskBoxes>(
            MaskCbx, ReplaceCbx, ViewMaskBtn, ViewReplaceBtn, Values, *Peers.ViewFrm, Dialogs);
        OnRunStart = [this] { MaskBoxes->PutPairOnTop(); };
    }
    // The toggles follow the windows, whoever shows or hides them.
    if (Peers.BatchFrm)
        connect(Peers.BatchFrm, &TToolWindow::VisibilityChanged, BatchBtn, &QToolButton::setChecked);
    if (Peers.LibFrm) {
        connect(Peers.LibFrm, &TToolWindow::VisibilityChanged, LibBtn, &QToolButton::setChecked);
        Peers.LibFrm->setEnabled(IdleValue);
    }
}

// --- Layout -----------------------------------------------------------------

void TMainFrm::BuildToolBar()
{
    auto* bar = addToolBar(QStringLiteral("MainTBr"));
    bar->setObjectName(QStringLiteral("MainTBr"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    auto button = [&](QToolButton*& slot, const char* name, const QString& hint, QStyle::StandardPixmap icon) {
        slot = AddToolButton(bar, name, hint, icon);
        slot->setAutoRaise(true);
        return slot;
    };
    button(AddBtn, "AddBtn", QStringLiteral("Добавить"), QStyle::SP_FileDialogNewFolder);
    AddPup = new QMenu(AddBtn);
    AddPup->setObjectName(QStringLiteral("AddPup"));
    AddPup->addAction(QStringLiteral("Добавить Файл"), this, &TMainFrm::AddBtnClick);
    AddPup->addAction(QStringLiteral("Добавить Директорию"), this, &TMainFrm::N9Click);
    AddBtn->setMenu(AddPup);
    AddBtn->setPopupMode(QToolButton::MenuButtonPopup);
    connect(AddBtn, &QToolButton::clicked, this, &TMainFrm::AddBtnClick);
    connect(button(DelBtn, "DelBtn", QStringLiteral("Удалить"), QStyle::SP_TrashIcon), &QToolButton::clicked, this,
        &TMainFrm::DelBtnClick);
    connect(button(ClearBtn, "ClearBtn", QStringLiteral("Очистить Список"), QStyle::SP_DialogResetButton),
        &QToolButton::clicked, this, &TMainFrm::ClearBtnClick);
    bar->addSeparator();
    connect(button(OpenBtn, "OpenBtn", QStringLiteral("Загрузить Список"), QStyle::SP_DialogOpenButton),
        &QToolButton::clicked, this, &TMainFrm::OpenBtnClick);
    connect(button(SaveBtn, "SaveBtn", QStringLiteral("Сохранить Список"), QStyle::SP_DialogSaveButton),
        &QToolButton::clicked, this, &TMainFrm::SaveBtnClick);
    bar->addSeparator();
    button(BatchBtn, "BatchBtn", QStringLiteral("Сценарии"), QStyle::SP_FileDialogListView)->setCheckable(true);
    button(LibBtn, "LibBtn", QStringLiteral("Библиотека"), QStyle::SP_FileDialogDetailedView)->setCheckable(true);
    connect(BatchBtn, &QToolButton::clicked, this, [this](bool down) {
        if (Peers.BatchFrm)
            Peers.BatchFrm->setVisible(down);
    });
    connect(LibBtn, &QToolButton::clicked, this, [this](bool down) {
        if (Peers.LibFrm)
            Peers.LibFrm->setVisible(down);
    });
    bar->addSeparator();
    connect(button(SetupBtn, "SetupBtn", QStringLiteral("Настройка"), QStyle::SP_FileDialogInfoView),
        &QToolButton::clicked, this, &TMainFrm::SetupBtnClick);
    bar->addSeparator();
    connect(button(HelpBtn, "HelpBtn", QStringLiteral("Подсказка"), QStyle::SP_DialogHelpButton), &QToolButton::clicked,
        this, &TMainFrm::HelpBtnClick);
    connect(button(AboutBtn, "AboutBtn", QStringLiteral("О Программе"), QStyle::SP_MessageBoxInformation),
        &QToolButton::clicked, this, &TMainFrm::AboutBtnClick);
    connect(button(CloseBtn, "CloseBtn", QStringLiteral("Выход"), QStyle::SP_DialogCloseButton), &QToolButton::clicked,
        this, &QWidget::close);
}

void TMainFrm::BuildPages()
{
    TasksPgC = new QTabWidget(this);
    TasksPgC->setObjectName(QStringLiteral("TasksPgC"));
    TasksPgC->setTabPosition(QTabWidget::West);
    // Both tabs stay whole at the smallest size, without scroll arrows.
    TasksPgC->setUsesScrollButtons(false);
    TasksPgC->setElideMode(Qt::ElideNone);

    auto* filesTab = new QWidget(TasksPgC);
    filesTab->setObjectName(QStringLiteral("FilesTab"));
    auto* filesLayout = new QVBoxLayout(filesTab);
    filesLayout->setContentsMargins(2, 2, 2, 2);
    FilesLvw = new TListView(filesTab);
    FilesLvw->setObjectName(QStringLiteral("FilesLvw"));
    FilesLvw->setColumnCount(4);
    FilesLvw->setHeaderLabels(
        {QStringLiteral("Файл"), QStringLiteral("Директория"), QStringLiteral("Кодировка"), QStringLiteral("Замены")});
    FilesLvw->setRootIsDecorated(false);
    FilesLvw->setSelectionMode(QAbstractItemView::ExtendedSelection);
    FilesLvw->setSelectionBehavior(QAbstractItemView::SelectRows);
    FilesLvw->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FilesLvw->setUniformRowHeights(true);
    FilesLvw->setContextMenuPolicy(Qt::CustomContextMenu);
    FilesLvw->header()->setSectionsClickable(true);
    FilesLvw->header()->setSortIndicatorShown(false);
    const int widths[] = {95, 150, 70, 55};
    for (int c = 0; c < 4; ++c)
        FilesLvw->setColumnWidth(c, widths[c]);
    connect(FilesLvw->header(), &QHeaderView::sectionClicked, this, &TMainFrm::FilesLvwColumnClick);
    connect(FilesLvw, &QTreeWidget::itemDoubleClicked, this, [this] { N14Click(); });
    connect(FilesLvw, &TListView::FilesDropped, this, &TMainFrm::FilesDropped);
    connect(FilesLvw, &QWidget::customContextMenuRequested, this,
        [this](const QPoint& at) { FilesPup->popup(FilesLvw->viewport()->mapToGlobal(at)); });
    filesLayout->addWidget(FilesLvw, 1);
    auto* strip = new QHBoxLayout;
    strip->addWidget(new QLabel(QStringLiteral("Замена"), filesTab));
    ReContentRbt = new QRadioButton(QStringLiteral("В Содержимом"), filesTab);
    ReContentRbt->setObjectName(QStringLiteral("ReContentRbt"));
    ReContentRbt->setChecked(true);
    ReNameRbt = new QRadioButton(QStringLiteral("В Именах"), filesTab);
    ReNameRbt->setObjectName(QStringLiteral("ReNameRbt"));
    strip->addWidget(ReContentRbt);
    strip->addWidget(ReNameRbt);
    strip->addStretch(1);
    auto* fileLbl = new QLabel(QStringLiteral("Файлов:"), filesTab);
    fileLbl->setObjectName(QStringLiteral("FileLbl"));
    strip->addWidget(fileLbl);
    FileCountLbl = new QLabel(QStringLiteral("0"), filesTab);
    FileCountLbl->setObjectName(QStringLiteral("FileCountLbl"));
    strip->addWidget(FileCountLbl);
    filesLayout->addLayout(strip);
    TasksPgC->addTab(filesTab, QStringLiteral("Файлы"));

    auto* clipboardTab = new QWidget(TasksPgC);
    clipboardTab->setObjectName(QStringLiteral("ClipboardTab"));
    auto* clipLayout = new QVBoxLayout(clipboardTab);
    clipLayout->setContentsMargins(2, 2, 2, 2);
    ClipboardMmo = new QPlainTextEdit(clipboardTab);
    ClipboardMmo->setObjectName(QStringLiteral("ClipboardMmo"));
    ClipboardMmo->setLineWrapMode(QPlainTextEdit::NoWrap);
    clipLayout->addWidget(ClipboardMmo, 1);
    auto* clipStrip = new QHBoxLayout;
    RefreshBtn = new QToolButton(clipboardTab);
    RefreshBtn->setObjectName(QStringLiteral("RefreshBtn"));
    RefreshBtn->setToolTip(QStringLiteral("Обновить"));
    RefreshBtn->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    CopyBtn = new QToolButton(clipboardTab);
    CopyBtn->setObjectName(QStringLiteral("CopyBtn"));
    CopyBtn->setToolTip(QStringLiteral("Копировать"));
    CopyBtn->setIcon(style()->standardIcon(QStyle::SP_DialogApplyButton));
    clipStrip->addWidget(RefreshBtn);
    clipStrip->addWidget(CopyBtn);
    clipStrip->addWidget(new QLabel(QStringLiteral("Кодировка"), clipboardTab));
    ClipEncodingCbx = EncodingBox(clipboardTab);
    ClipEncodingCbx->setObjectName(QStringLiteral("ClipEncodingCbx"));
    clipStrip->addWidget(ClipEncodingCbx);
    clipStrip->addStretch(1);
    clipStrip->addWidget(new QLabel(QStringLiteral("Замены"), clipboardTab));
    ReplaceCountEdt = new QLineEdit(QStringLiteral("0"), clipboardTab);
    ReplaceCountEdt->setObjectName(QStringLiteral("ReplaceCountEdt"));
    ReplaceCountEdt->setReadOnly(true);
    ReplaceCountEdt->setMaximumWidth(70);
    clipStrip->addWidget(ReplaceCountEdt);
    clipLayout->addLayout(clipStrip);
    TasksPgC->addTab(clipboardTab, QStringLiteral("Буфер"));
}

void TMainFrm::BuildBottomPanel()
{
    auto* panel = new QWidget(centralWidget());
    panel->setObjectName(QStringLiteral("BottomPnl"));
    panel->setFixedHeight(231);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* masks = new QGroupBox(QStringLiteral("Поиск И Замена"), panel);
    auto* grid = new QGridLayout(masks);
    auto maskBox = [&](QComboBox*& box, const char* name, QToolButton*& view, const char* viewName) {
        box = new QComboBox(masks);
        box->setObjectName(QString::fromLatin1(name));
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        box->setMaxVisibleItems(10);
        box->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        view = new QToolButton(masks);
        view->setObjectName(QString::fromLatin1(viewName));
        view->setToolTip(QStringLiteral("В Виде Текста"));
        view->setText(QStringLiteral("…"));
    };
    maskBox(MaskCbx, "MaskCbx", ViewMaskBtn, "ViewMaskBtn");
    maskBox(ReplaceCbx, "ReplaceCbx", ViewReplaceBtn, "ViewReplaceBtn");
    grid->addWidget(new QLabel(QStringLiteral("Маска Поиска"), masks), 0, 0);
    grid->addWidget(MaskCbx, 0, 1);
    grid->addWidget(ViewMaskBtn, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("Маска Замены"), masks), 1, 0);
    grid->addWidget(ReplaceCbx, 1, 1);
    grid->addWidget(ViewReplaceBtn, 1, 2);
    auto* runRow = new QHBoxLayout;
    ReCodeChk = new QCheckBox(QStringLiteral("Перекодировать"), masks);
    ReCodeChk->setObjectName(QStringLiteral("ReCodeChk"));
    connect(ReCodeChk, &QCheckBox::clicked, this, &TMainFrm::ReCodeChkClick);
    EncodingCbx = EncodingBox(masks);
    EncodingCbx->setObjectName(QStringLiteral("EncodingCbx"));
    EncodingCbx->setCurrentIndex(-1);
    EncodingCbx->setEnabled(false);
    GoBtn = new QPushButton(QStringLiteral("Заменить"), masks);
    GoBtn->setObjectName(QStringLiteral("GoBtn"));
    StopBtn = new QPushButton(QStringLiteral("Стоп"), masks);
    StopBtn->setObjectName(QStringLiteral("StopBtn"));
    StopBtn->setEnabled(false);
    runRow->addWidget(ReCodeChk);
    runRow->addWidget(EncodingCbx);
    runRow->addStretch(1);
    runRow->addWidget(GoBtn);
    runRow->addWidget(StopBtn);
    grid->addLayout(runRow, 2, 0, 1, 3);
    layout->addWidget(masks);

    auto* lower = new QHBoxLayout;
    auto* backups = new QGroupBox(QStringLiteral("Резервные Копии"), panel);
    auto* backupRow = new QHBoxLayout(backups);
    BackUpChk = new QCheckBox(QStringLiteral("Сохранять"), backups);
    BackUpChk->setObjectName(QStringLiteral("BackUpChk"));
    BackUpChk->setChecked(true);
    RestoreBtn = new QPushButton(QStringLiteral("Вернуть"), backups);
    RestoreBtn->setObjectName(QStringLiteral("RestoreBtn"));
    EraseBtn = new QPushButton(QStringLiteral("Удалить"), backups);
    EraseBtn->setObjectName(QStringLiteral("EraseBtn"));
    backupRow->addWidget(BackUpChk);
    backupRow->addStretch(1);
    backupRow->addWidget(RestoreBtn);
    backupRow->addWidget(EraseBtn);
    lower->addWidget(backups, 1);
    layout->addLayout(lower);

    auto* bars = new QGridLayout;
    bars->addWidget(new QLabel(QStringLiteral("Этот Файл"), panel), 0, 0);
    FilePBr = new QProgressBar(panel);
    FilePBr->setObjectName(QStringLiteral("FilePBr"));
    FilePBr->setTextVisible(false);
    bars->addWidget(FilePBr, 0, 1);
    bars->addWidget(new QLabel(QStringLiteral("Вся Работа"), panel), 1, 0);
    EntirePBr = new QProgressBar(panel);
    EntirePBr->setObjectName(QStringLiteral("EntirePBr"));
    EntirePBr->setTextVisible(false);
    bars->addWidget(EntirePBr, 1, 1);
    layout->addLayout(bars);
    static_cast<QVBoxLayout*>(centralWidget()->layout())->addWidget(panel);
}

void TMainFrm::BuildPopupMenu()
{
    FilesPup = new QMenu(FilesLvw);
    FilesPup->setObjectName(QStringLiteral("FilesPup"));
    auto item = [&](const char* name, const QString& caption, auto slot, QKeySequence keys = {}) {
        QAction* action = FilesPup->addAction(caption, this, slot);
        action->setObjectName(QString::fromLatin1(name));
        if (!keys.isEmpty()) {
            action->setShortcut(keys);
            action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            FilesLvw->addAction(action);
        }
        return action;
    };
    FilesPup->setDefaultAction(item("N14", QStringLiteral("Открыть"), &TMainFrm::N14Click));
    item("N6", QStringLiteral("Добавить"), &TMainFrm::AddBtnClick, QKeySequence(Qt::Key_Insert));
    item("N7", QStringLiteral("Добавить Директорию"), &TMainFrm::N9Click);
    item("N1", QStringLiteral("Удалить"), &TMainFrm::DelBtnClick, QKeySequence(Qt::Key_Delete));
    item("N5", QStringLiteral("Выделить Все"), &TMainFrm::N5Click, QKeySequence(Qt::CTRL | Qt::Key_A));
    item("N10", QStringLiteral("Очистить Список"), &TMainFrm::ClearBtnClick);
    FilesPup->addSeparator();
    item("N13", QStringLiteral("Загрузить Список"), &TMainFrm::OpenBtnClick);
    item("N11", QStringLiteral("Сохранить Список"), &TMainFrm::SaveBtnClick);
    FilesPup->addSeparator();
    for (int e = 0; e < EncodingCount; ++e) {
        QAction* action = FilesPup->addAction(EncodingName(e), this, [this, e] { WIN1Click(e); });
        action->setObjectName(EncodingName(e) + QStringLiteral("1"));
    }
    FilesPup->addSeparator();
    item("ExtMnu", QStringLiteral("Маски Файлов..."), &TMainFrm::ExtMnuClick);
}

// --- The file list ----------------------------------------------------------

int TMainFrm::EntryCount() const { return FilesLvw->topLevelItemCount(); }

QTreeWidgetItem* TMainFrm::Entry(int index) const { return FilesLvw->topLevelItem(index); }

void TMainFrm::UpdateFileCount() { FileCountLbl->setText(QString::number(EntryCount())); }

std::vector<std::string> TMainFrm::FileMasks() const
{
    if (Peers.FileMaskFrm) {
        std::vector<std::string> masks;
        for (const std::string& mask : Peers.FileMaskFrm->Masks())
            masks.push_back(WinToUtf8(mask));
        return masks;
    }
    return SplitFileMasks(DefaultFileMasks);
}

void TMainFrm::ShowError(const QString& text) { Dialogs.Error(this, ErrorText(text)); }

bool TMainFrm::ListLocked() { return !IdleValue; }

void TMainFrm::BeginAdding() { ++AddingDepth; }

void TMainFrm::EndAdding()
{
    if (--AddingDepth > 0 || DetectionFailures.empty())
        return;
    // One message for the whole command, listing every file concerned.
    QString text = QStringLiteral("Не удалось определить кодировку файлов (им дана кодировка по умолчанию):");
    for (const std::string& failure : DetectionFailures)
        text += u'\n' + Q(failure);
    DetectionFailures.clear();
    Dialogs.Error(this, text);
}

void TMainFrm::AddFile(const std::string& path, int encoding)
{
    BeginAdding();
    AddFileChecked(path, encoding);
    EndAdding();
}

void TMainFrm::AddFileChecked(const std::string& path, int encoding)
{
    // Linux file systems tell letter case apart: paths are compared exactly.
    if (Values.DetectDuplicates && std::find(Paths.begin(), Paths.end(), path) != Paths.end())
        return;
    int page = encoding;
    if (page < 0) {
        page = Values.DefaultEncoding;
        if (Values.DetectEncoding) {
            try {
                page = DetectEncoding(ReadFileHead(path, DetectionLength));
            } catch (const TError& e) {
                DetectionFailures.push_back(e.what());
            }
        }
    }
    auto* item = new QTreeWidgetItem({Q(NamePart(path)), Q(DirectoryPart(path)), EncodingName(page), QString()});
    Paths.push_back(path);
    FilesLvw->addTopLevelItem(item);
    UpdateFileCount();
}

void TMainFrm::AddDirectory(const std::string& directory)
{
    BeginAdding();
    try {
        std::vector<std::string> problems;
        for (const std::string& file : FilesOfDirectory(directory, FileMasks(), &problems))
            AddFileChecked(file, -1);
        for (const std::string& problem : problems)
            DetectionFailures.push_back(problem);
    } catch (const TError& e) {
        DetectionFailures.push_back(e.what());
    }
    EndAdding();
}

void TMainFrm::RemoveEntry(QTreeWidgetItem* item)
{
    Backups.Forget(item); // its backup files stay on disk
    const int index = FilesLvw->indexOfTopLevelItem(item);
    const std::string full = S(item->text(1)) + S(item->text(0));
    if (index < 0 || static_cast<std::size_t>(index) >= Paths.size() || Paths[static_cast<std::size_t>(index)] != full)
        throw TError("Рассинхронизация Внутренних Списков Файлов\nСообщите Разработчику");
    Paths.erase(Paths.begin() + index);
    delete FilesLvw->takeTopLevelItem(index);
    UpdateFileCount();
}

std::string TMainFrm::AutoListPath() const { return ProgramDir + "QZ.QZL"; }

bool TMainFrm::IsAutoList(const std::string& listPath) const
{
    std::error_code error;
    return listPath == AutoListPath() || std::filesystem::equivalent(listPath, AutoListPath(), error);
}

void TMainFrm::SaveFileList(const std::string& listPath)
{
    std::vector<TListEntry> entries;
    for (int i = 0; i < EntryCount(); ++i) {
        QTreeWidgetItem* item = Entry(i);
        entries.push_back({S(item->text(0)), S(item->text(1)), EncodingByName(S(item->text(2)))});
    }
    std::vector<std::size_t> refused;
    const std::string bytes = FormatFileList(entries, &refused);
    WriteFileReplacing(listPath, bytes);
    // What the file holds now is what the user has: nothing left to keep.
    if (IsAutoList(listPath))
        KeepAutoList = false;
    if (refused.empty())
        return;
    std::vector<TListEntry> left;
    for (std::size_t i : refused)
        left.push_back(entries[i]);
    ShowError(Q(RefusedEntriesMessage(listPath, left)));
}

void TMainFrm::LoadFileList(const std::string& listPath)
{
    // Until the automatic list has loaded whole, it is not written over.
    const bool automatic = IsAutoList(listPath);
    if (automatic)
        KeepAutoList = true;
    // Read before the list is emptied: a file that cannot be read leaves
    // the list as it was.
    const std::string bytes = ReadFileBytes(listPath);
    Values.WorkDir = DirectoryPart(listPath);
    while (EntryCount() > 0)
        RemoveEntry(Entry(0));
    BeginAdding();
    try {
        ParseFileList(bytes, listPath, [this](TListEntry e) { AddFileChecked(e.Directory + e.Name, e.Encoding); });
    } catch (...) {
        EndAdding();
        throw;
    }
    EndAdding();
    if (automatic)
        KeepAutoList = false;
}

// --- Commands ---------------------------------------------------------------

void TMainFrm::AddBtnClick()
{
    if (ListLocked())
        return;
    QString filter;
    for (const std::string& mask : FileMasks())
        filter += Q(mask) + QStringLiteral(" (") + Q(mask) + QStringLiteral(");;");
    filter += QStringLiteral("Все Файлы (*)");
    const QStringList files = Dialogs.OpenFiles(this, QStringLiteral("Добавить"), Q(Values.WorkDir), filter, true);
    if (files.isEmpty())
        return;
    BeginAdding();
    for (const QString& file : files)
        AddFileChecked(S(file), -1);
    EndAdding();
    Values.WorkDir = DirectoryPart(S(files.first()));
}

void TMainFrm::N9Click()
{
    if (ListLocked())
        return;
    const QString directory = Dialogs.Directory(this, QStringLiteral("Добавить Файлы Из Директории"), QString());
    if (!directory.isEmpty())
        AddDirectory(S(directory));
}

void TMainFrm::FilesDropped(const QStringList& paths)
{
    if (ListLocked())
        return;
    BeginAdding();
    for (auto it = paths.crbegin(); it != paths.crend(); ++it) {
        const std::string path = S(*it);
        std::error_code error;
        if (std::filesystem::is_directory(path, error))
            AddDirectory(path);
        else
            AddFileChecked(path, -1);
    }
    EndAdding();
}

void TMainFrm::DelBtnClick()
{
    if (ListLocked())
        return;
    try {
        while (!FilesLvw->selectedItems().isEmpty()) {
            // The first selected in list order.
            QTreeWidgetItem* first = nullptr;
            for (int i = 0; i < EntryCount() && !first; ++i)
                if (Entry(i)->isSelected())
                    first = Entry(i);
            RemoveEntry(first);
        }
    } catch (const TError& e) {
        ShowError(QString::fromUtf8(e.what()));
    }
}

void TMainFrm::ClearBtnClick()
{
    if (ListLocked())
        return;
    if (Values.ClearListPrompt && !Dialogs.Confirm(this, QStringLiteral("Confirm"), QStringLiteral("Очистить Список?")))
        return;
    try {
        while (EntryCount() > 0)
            RemoveEntry(Entry(0));
    } catch (const TError& e) {
        ShowError(QString::fromUtf8(e.what()));
    }
}

void TMainFrm::OpenBtnClick()
{
    if (ListLocked())
        return;
    const QStringList files = Dialogs.OpenFiles(this, QStringLiteral("Загрузить Список"), Q(Values.WorkDir),
        QStringLiteral("Списки Файлов (*.QZL);;Все Файлы (*)"), false);
    if (files.isEmpty())
        return;
    try {
        LoadFileList(S(files.first()));
    } catch (const TError& e) {
        ShowError(QString::fromUtf8(e.what()));
    }
}

void TMainFrm::SaveBtnClick()
{
    if (ListLocked())
        return;
    const QString file = Dialogs.SaveFile(this, QStringLiteral("Сохранить Список"), Q(Values.WorkDir),
        QStringLiteral("Списки Файлов (*.QZL);;Все Файлы (*)"), QStringLiteral("QZL"));
    if (file.isEmpty())
        return;
    try {
        SaveFileList(S(file));
        Values.WorkDir = DirectoryPart(S(file));
    } catch (const TError& e) {
        ShowError(QString::fromUtf8(e.what()));
    }
}

void TMainFrm::N14Click()
{
    for (int i = 0; i < EntryCount(); ++i)
        if (Entry(i)->isSelected()) {
            Dialogs.OpenUrl(QUrl::fromLocalFile(Q(Paths[static_cast<std::size_t>(i)])));
            return;
        }
}

void TMainFrm::N5Click() { FilesLvw->selectAll(); }

void TMainFrm::WIN1Click(int encoding)
{
    if (ListLocked())
        return;
    for (QTreeWidgetItem* item : FilesLvw->selectedItems())
        item->setText(2, EncodingName(encoding));
}

void TMainFrm::ExtMnuClick()
{
    if (Peers.FileMaskFrm)
        Peers.FileMaskFrm->exec();
}

void TMainFrm::FilesLvwColumnClick(int column)
{
    if (ListLocked())
        return;
    SortTag = SortTag == column + 1 ? -(column + 1) : column + 1;
    const int sign = SortTag > 0 ? 1 : -1;
    std::vector<std::pair<QTreeWidgetItem*, std::string>> rows;
    while (EntryCount() > 0) {
        rows.emplace_back(FilesLvw->takeTopLevelItem(0), Paths[rows.size()]);
    }
    std::stable_sort(rows.begin(), rows.end(), [&](const auto& a, const auto& b) {
        return sign * CompareListColumns(column, S(a.first->text(column)), S(b.first->text(column))) < 0;
    });
    Paths.clear();
    for (auto& [item, path] : rows) {
        FilesLvw->addTopLevelItem(item);
        Paths.push_back(path);
    }
}

void TMainFrm::SetupBtnClick()
{
    if (Peers.SetupFrm && Peers.SetupFrm->exec() == QDialog::Accepted)
        Peers.SetupFrm->Apply();
}

void TMainFrm::HelpBtnClick()
{
    if (Peers.HelpFrm)
        Peers.HelpFrm->ShowTopic(QStringLiteral("Contents"));
}

void TMainFrm::AboutBtnClick()
{
    if (Peers.AboutFrm)
        Peers.AboutFrm->exec();
}

void TMainFrm::ReCodeChkClick()
{
    // Recoding on offers the target page, WIN first; off leaves it empty.
    EncodingCbx->setEnabled(ReCodeChk->isChecked());
    EncodingCbx->setCurrentIndex(ReCodeChk->isChecked() ? EncodingWin : -1);
}

// --- Idle, closing ---------------------------------------------------------

void TMainFrm::SetIdle(bool idle)
{
    IdleValue = idle;
    for (QWidget* w : std::initializer_list<QWidget*>{GoBtn, RestoreBtn, EraseBtn, AddBtn, DelBtn, ClearBtn, OpenBtn,
             SaveBtn, BatchBtn, LibBtn, SetupBtn, AboutBtn, CloseBtn})
        w->setEnabled(idle);
    if (Peers.LibFrm)
        Peers.LibFrm->setEnabled(idle);
    StopBtn->setEnabled(!idle);
}

void TMainFrm::closeEvent(QCloseEvent* event)
{
    if (!IdleValue) {
        event->ignore(); // a run is in progress
        return;
    }
    try {
        if (Values.AutoSaveSettings && !SettingsUnread)
            SaveSettings();
        if (Values.AutoSaveFileList && !KeepAutoList)
            SaveFileList(AutoListPath());
    } catch (const TError& e) {
        ShowError(QString::fromUtf8(e.what()));
        event->ignore();
        return;
    }
    event->accept();
}

} // namespace tekstovar
