#include "mainwindow/mainfrm.h"

#include "common/error.h"
#include "dialogs/aboutfrm.h"
#include "dialogs/filemaskfrm.h"
#include "dialogs/helpfrm.h"
#include "dialogs/viewfrm.h"
#include "encodings/codepages.h"
#include "encodings/detect.h"
#include "engine/maskedreplacer.h"
#include "mainwindow/filelistfile.h"
#include "mainwindow/listview.h"
#include "mainwindow/mainfrmui.h"
#include "mainwindow/maskboxes.h"
#include "mainwindow/previewfrm.h"
#include "platform/dialogs.h"
#include "platform/directoryfiles.h"
#include "platform/fileio.h"
#include "platform/pathparts.h"
#include "platform/qstrings.h"
#include "platform/qtdispatcher.h"
#include "platform/toolwindow.h"
#include "platform/winunicode.h"
#include "settings/inifile.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <QUrl>

#include <algorithm>
#include <filesystem>

namespace tekstovar {

namespace {

constexpr int MinimumWidth = 427;
constexpr int MinimumHeight = 410;

} // namespace

TMainFrm::TMainFrm(TDialogs& dialogs, std::string programDir, QWidget* parent)
    : QMainWindow(parent), Dialogs(dialogs), ProgramDir(std::move(programDir)), Ui(std::make_unique<TMainFrmUi>())
{
    setObjectName(QStringLiteral("MainFrm"));
    setWindowTitle(QStringLiteral("Текстовар"));
    setMinimumSize(MinimumWidth, MinimumHeight);
    resize(MinimumWidth, MinimumHeight);
    BuildMainFrmUi(*this, *Ui);
    Dispatcher = std::make_unique<TQtDispatcher>(this);
    ConnectControls();
    LoadAtStart();
    // Connected after the settings chose the page: a page shown at start
    // fetches the clipboard as any visit does.
    connect(Ui->TasksPgC, &QTabWidget::currentChanged, this, &TMainFrm::TasksPgCChange);
    if (Ui->TasksPgC->currentIndex() == ClipboardPage)
        RefreshBtnClick();
}

TMainFrm::~TMainFrm() = default;

void TMainFrm::ConnectControls()
{
    const TMainFrmUi& ui = *Ui;
    auto click = [this](QAbstractButton* button, void (TMainFrm::*command)()) {
        connect(button, &QAbstractButton::clicked, this, command);
    };
    auto trigger = [this](QAction* action, void (TMainFrm::*command)()) {
        connect(action, &QAction::triggered, this, command);
    };
    click(ui.AddBtn, &TMainFrm::AddBtnClick);
    trigger(ui.AddFileMim, &TMainFrm::AddBtnClick);
    trigger(ui.AddDirMim, &TMainFrm::N9Click);
    click(ui.DelBtn, &TMainFrm::DelBtnClick);
    click(ui.ClearBtn, &TMainFrm::ClearBtnClick);
    click(ui.OpenBtn, &TMainFrm::OpenBtnClick);
    click(ui.SaveBtn, &TMainFrm::SaveBtnClick);
    connect(ui.BatchBtn, &QToolButton::clicked, this, [this](bool down) {
        if (Peers.BatchFrm)
            Peers.BatchFrm->setVisible(down);
    });
    connect(ui.LibBtn, &QToolButton::clicked, this, [this](bool down) {
        if (Peers.LibFrm)
            Peers.LibFrm->setVisible(down);
    });
    click(ui.SetupBtn, &TMainFrm::SetupBtnClick);
    click(ui.HelpBtn, &TMainFrm::HelpBtnClick);
    click(ui.AboutBtn, &TMainFrm::AboutBtnClick);
    connect(ui.CloseBtn, &QToolButton::clicked, this, &QWidget::close);

    connect(ui.FilesLvw->header(), &QHeaderView::sectionClicked, this, &TMainFrm::FilesLvwColumnClick);
    connect(ui.FilesLvw, &QTreeWidget::itemDoubleClicked, this, [this] { N14Click(); });
    connect(ui.FilesLvw, &TListView::FilesDropped, this, &TMainFrm::FilesDropped);
    connect(ui.FilesLvw, &QWidget::customContextMenuRequested, this,
        [this](const QPoint& at) { Ui->FilesPup->popup(Ui->FilesLvw->viewport()->mapToGlobal(at)); });
    trigger(ui.N14, &TMainFrm::N14Click);
    trigger(ui.N6, &TMainFrm::AddBtnClick);
    trigger(ui.N7, &TMainFrm::N9Click);
    trigger(ui.N1, &TMainFrm::DelBtnClick);
    trigger(ui.N5, &TMainFrm::N5Click);
    trigger(ui.N10, &TMainFrm::ClearBtnClick);
    trigger(ui.N13, &TMainFrm::OpenBtnClick);
    trigger(ui.N11, &TMainFrm::SaveBtnClick);
    for (int e = 0; e < PageCount; ++e)
        connect(ui.EncodingMims[static_cast<std::size_t>(e)], &QAction::triggered, this, [this, e] { WIN1Click(e); });
    trigger(ui.ExtMnu, &TMainFrm::ExtMnuClick);

    connect(ui.ReCodeChk, &QCheckBox::clicked, this, &TMainFrm::ReCodeChkClick);
    click(ui.GoBtn, &TMainFrm::GoBtnClick);
    click(ui.PreviewBtn, &TMainFrm::PreviewBtnClick);
    trigger(ui.PreviewMim, &TMainFrm::PreviewBtnClick);
    click(ui.StopBtn, &TMainFrm::StopBtnClick);
    click(ui.RestoreBtn, &TMainFrm::RestoreBtnClick);
    click(ui.EraseBtn, &TMainFrm::EraseBtnClick);
    click(ui.RefreshBtn, &TMainFrm::RefreshBtnClick);
    click(ui.CopyBtn, &TMainFrm::CopyBtnClick);
    click(ui.FailuresBtn, &TMainFrm::FailuresBtnClick);
}

void TMainFrm::UseMaskEditor(TViewFrm& viewFrm)
{
    MaskBoxes = std::make_unique<TMaskBoxes>(
        Ui->MaskCbx, Ui->ReplaceCbx, Ui->ViewMaskBtn, Ui->ViewReplaceBtn, Values, viewFrm, Dialogs);
}

void TMainFrm::SetPeers(TMainFrmPeers peers)
{
    Peers = std::move(peers);
    // The toggles follow the windows, whoever shows or hides them.
    if (Peers.BatchFrm)
        connect(Peers.BatchFrm, &TToolWindow::VisibilityChanged, Ui->BatchBtn, &QToolButton::setChecked);
    if (Peers.LibFrm) {
        connect(Peers.LibFrm, &TToolWindow::VisibilityChanged, Ui->LibBtn, &QToolButton::setChecked);
        Peers.LibFrm->setEnabled(IdleValue);
    }
}

TMaskPairBoxes& TMainFrm::MaskPair() { return *MaskBoxes; }

void TMainFrm::Guarded(const std::function<void()>& command) { ShowingErrors(Dialogs, this, command); }

// --- The file list ----------------------------------------------------------

void TMainFrm::ShowEntry(std::size_t index)
{
    QTreeWidgetItem* row = Ui->FilesLvw->topLevelItem(static_cast<int>(index));
    const TFileEntry& entry = List[index];
    for (int c = NameColumn; c <= CountColumn; ++c)
        row->setText(c, Utf8ToQString(List.ColumnText(index, c)));
    // Why a file was left alone travels with its entry.
    row->setToolTip(CountColumn, Utf8ToQString(entry.Reason));
    // The step counts are kept in the row even while their columns are not
    // shown; a step the entry has no count for has no cell at all.
    const int steps = static_cast<int>(entry.StepCounts.size());
    for (int k = 0; k < steps; ++k)
        row->setText(FirstStepColumn + k, Utf8ToQString(entry.StepCounts[static_cast<std::size_t>(k)]));
    for (int c = FirstStepColumn + steps; c < row->columnCount(); ++c)
        row->setData(c, Qt::DisplayRole, QVariant());
}

void TMainFrm::AddRow(std::size_t index)
{
    Ui->FilesLvw->addTopLevelItem(new QTreeWidgetItem);
    ShowEntry(index);
}

void TMainFrm::ShowList()
{
    for (std::size_t i = 0; i < List.Size(); ++i)
        ShowEntry(i);
}

std::vector<std::size_t> TMainFrm::SelectedEntries() const
{
    std::vector<std::size_t> selected;
    for (int i = 0; i < Ui->FilesLvw->topLevelItemCount(); ++i)
        if (Ui->FilesLvw->topLevelItem(i)->isSelected())
            selected.push_back(static_cast<std::size_t>(i));
    return selected;
}

void TMainFrm::UpdateFileCount() { Ui->FileCountLbl->setText(QString::number(EntryCount())); }

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

void TMainFrm::ShowSummary(const QString& line, const QString& failures)
{
    Ui->SummaryLbl->setText(line);
    FailureList = failures;
    Ui->FailuresBtn->setVisible(!failures.isEmpty());
}

QString TMainFrm::FailureLine(const std::string& path, const std::string& reason)
{
    if (reason.find(path) != std::string::npos)
        return Utf8ToQString(reason);
    return Utf8ToQString(path + ": " + reason);
}

void TMainFrm::SayRefused(const QString& why) { Ui->SummaryLbl->setText(why); }

bool TMainFrm::ListLocked()
{
    if (IdleValue)
        return false;
    SayRefused(QStringLiteral("Идёт Замена: Список Не Меняется До Её Конца"));
    return true;
}

void TMainFrm::FailuresBtnClick()
{
    if (!FailureList.isEmpty())
        Dialogs.Message(this, FailureList);
}

void TMainFrm::BeginAdding() { ++AddingDepth; }

void TMainFrm::EndAdding()
{
    if (--AddingDepth > 0 || (DetectionFailures.empty() && DirectoryFailures.empty()))
        return;
    // One message for the whole command, listing every file and directory
    // concerned, each kind under its own heading.
    QString text;
    auto section = [&](const QString& heading, std::vector<std::string>& failures) {
        if (failures.empty())
            return;
        if (!text.isEmpty())
            text += QStringLiteral("\n\n");
        text += heading;
        for (const std::string& failure : failures)
            text += u'\n' + Utf8ToQString(failure);
        failures.clear();
    };
    section(QStringLiteral("Не удалось прочитать директории (их файлы не добавлены):"), DirectoryFailures);
    section(
        QStringLiteral("Не удалось определить кодировку файлов (им дана кодировка по умолчанию):"), DetectionFailures);
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
    if (Values.DetectDuplicates && List.Contains(path))
        return;
    int page = encoding;
    if (page == EncodingDetect) {
        page = Values.DefaultEncoding;
        if (Values.DetectEncoding) {
            try {
                page = DetectFileEncoding(path);
            } catch (const TError& e) {
                DetectionFailures.push_back(e.what());
            }
        }
    } else if (!IsPage(page))
        page = Values.DefaultEncoding;
    List.Add(path, page);
    AddRow(List.Size() - 1);
    UpdateFileCount();
}

void TMainFrm::AddDirectory(const std::string& directory)
{
    BeginAdding();
    AddDirectoryChecked(directory);
    EndAdding();
}

void TMainFrm::AddPaths(const std::vector<std::string>& paths)
{
    BeginAdding();
    for (const std::string& path : paths) {
        std::error_code error;
        if (std::filesystem::is_directory(path, error))
            AddDirectoryChecked(path);
        else
            AddFileChecked(path, EncodingDetect);
    }
    EndAdding();
}

void TMainFrm::AddDirectoryChecked(const std::string& directory)
{
    try {
        std::vector<std::string> problems;
        for (const std::string& file : FilesOfDirectory(directory, FileMasks(), &problems))
            AddFileChecked(file, EncodingDetect);
        for (const std::string& problem : problems)
            DirectoryFailures.push_back(problem);
    } catch (const TError& e) {
        DirectoryFailures.push_back(e.what());
    }
}

void TMainFrm::RemoveEntry(std::size_t index)
{
    Backups.Forget(List.Key(index)); // its backup files stay on disk
    List.Remove(index);
    delete Ui->FilesLvw->takeTopLevelItem(static_cast<int>(index));
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
    for (std::size_t i = 0; i < List.Size(); ++i)
        entries.push_back({NamePart(List[i].Path), DirectoryPart(List[i].Path), List[i].Encoding});
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
    ShowError(Utf8ToQString(RefusedEntriesMessage(listPath, left)));
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
    while (!List.Empty())
        RemoveEntry(0);
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
        filter += Utf8ToQString(mask) + QStringLiteral(" (") + Utf8ToQString(mask) + QStringLiteral(");;");
    filter += QStringLiteral("Все Файлы (*)");
    const QStringList files =
        Dialogs.OpenFiles(this, QStringLiteral("Добавить"), Utf8ToQString(Values.WorkDir), filter, true);
    if (files.isEmpty())
        return;
    BeginAdding();
    for (const QString& file : files)
        AddFileChecked(QStringToUtf8(file), EncodingDetect);
    EndAdding();
    Values.WorkDir = DirectoryPart(QStringToUtf8(files.first()));
}

void TMainFrm::N9Click()
{
    if (ListLocked())
        return;
    const QString directory = Dialogs.Directory(this, QStringLiteral("Добавить Файлы Из Директории"), QString());
    if (!directory.isEmpty())
        AddDirectory(QStringToUtf8(directory));
}

void TMainFrm::FilesDropped(const QStringList& paths)
{
    if (ListLocked())
        return;
    std::vector<std::string> added;
    for (auto it = paths.crbegin(); it != paths.crend(); ++it)
        added.push_back(QStringToUtf8(*it));
    AddPaths(added);
}

void TMainFrm::DelBtnClick()
{
    if (ListLocked())
        return;
    const std::vector<std::size_t> selected = SelectedEntries();
    for (auto it = selected.rbegin(); it != selected.rend(); ++it)
        RemoveEntry(*it);
}

void TMainFrm::ClearBtnClick()
{
    if (ListLocked())
        return;
    if (Values.ClearListPrompt && !Dialogs.Confirm(this, QStringLiteral("Confirm"), QStringLiteral("Очистить Список?")))
        return;
    while (!List.Empty())
        RemoveEntry(List.Size() - 1);
}

void TMainFrm::OpenBtnClick()
{
    if (ListLocked())
        return;
    const QStringList files = Dialogs.OpenFiles(this, QStringLiteral("Загрузить Список"), Utf8ToQString(Values.WorkDir),
        QStringLiteral("Списки Файлов (*.QZL);;Все Файлы (*)"), false);
    if (!files.isEmpty())
        Guarded([&] { LoadFileList(QStringToUtf8(files.first())); });
}

void TMainFrm::SaveBtnClick()
{
    if (ListLocked())
        return;
    const QString file = Dialogs.SaveFile(this, QStringLiteral("Сохранить Список"), Utf8ToQString(Values.WorkDir),
        QStringLiteral("Списки Файлов (*.QZL);;Все Файлы (*)"), QStringLiteral("QZL"));
    if (file.isEmpty())
        return;
    Guarded([&] {
        SaveFileList(QStringToUtf8(file));
        Values.WorkDir = DirectoryPart(QStringToUtf8(file));
    });
}

void TMainFrm::N14Click()
{
    const std::vector<std::size_t> selected = SelectedEntries();
    if (!selected.empty())
        Dialogs.OpenUrl(QUrl::fromLocalFile(Utf8ToQString(List[selected.front()].Path)));
}

void TMainFrm::N5Click() { Ui->FilesLvw->selectAll(); }

void TMainFrm::WIN1Click(int encoding)
{
    if (ListLocked())
        return;
    for (std::size_t i : SelectedEntries()) {
        List[i].Encoding = encoding;
        ShowEntry(i);
    }
}

void TMainFrm::ExtMnuClick()
{
    if (Peers.FileMaskFrm)
        Dialogs.Exec(*Peers.FileMaskFrm);
}

void TMainFrm::FilesLvwColumnClick(int column)
{
    if (ListLocked())
        return;
    SortTag = SortTag == column + 1 ? -(column + 1) : column + 1;
    // The selection follows its entries to their new rows.
    std::vector<const void*> selected;
    for (std::size_t i : SelectedEntries())
        selected.push_back(List.Key(i));
    List.Sort(column, SortTag < 0);
    ShowList();
    for (std::size_t i = 0; i < List.Size(); ++i)
        Ui->FilesLvw->topLevelItem(static_cast<int>(i))
            ->setSelected(std::find(selected.begin(), selected.end(), List.Key(i)) != selected.end());
}

void TMainFrm::SetupBtnClick()
{
    if (Peers.OpenSetup)
        Peers.OpenSetup();
}

void TMainFrm::HelpBtnClick()
{
    if (Peers.HelpFrm)
        Peers.HelpFrm->ShowTopic(QStringLiteral("Contents"));
}

void TMainFrm::AboutBtnClick()
{
    if (Peers.AboutFrm)
        Dialogs.Exec(*Peers.AboutFrm);
}

void TMainFrm::ReCodeChkClick()
{
    // Recoding on offers the target page, WIN first; off leaves it empty.
    Ui->EncodingCbx->setEnabled(Ui->ReCodeChk->isChecked());
    Ui->EncodingCbx->setCurrentIndex(Ui->ReCodeChk->isChecked() ? EncodingWin : -1);
}

// --- Idle, closing ---------------------------------------------------------

void TMainFrm::SetIdle(bool idle)
{
    IdleValue = idle;
    const TMainFrmUi& ui = *Ui;
    for (QWidget* w : std::initializer_list<QWidget*>{ui.GoBtn, ui.PreviewBtn, ui.RestoreBtn, ui.EraseBtn, ui.AddBtn,
             ui.DelBtn, ui.ClearBtn, ui.OpenBtn, ui.SaveBtn, ui.BatchBtn, ui.LibBtn, ui.SetupBtn, ui.AboutBtn,
             ui.CloseBtn, ui.RefreshBtn})
        w->setEnabled(idle);
    // The run's page stays in front: the other one is no way to change the
    // text or the list under it.
    for (int page = 0; page < ui.TasksPgC->count(); ++page)
        if (page != ui.TasksPgC->currentIndex())
            ui.TasksPgC->setTabEnabled(page, idle);
    if (Peers.LibFrm)
        Peers.LibFrm->setEnabled(idle);
    ui.StopBtn->setEnabled(!idle);
    ui.PreviewMim->setEnabled(idle);
}

void TMainFrm::LockForSteps(bool lock)
{
    // The window's own widgets, not the tool windows it parents: the
    // scenario window among them must stay usable for its stop button.
    if (lock) {
        LockedBySteps.clear();
        for (QWidget* w : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (!w->isWindow() && w->isEnabled()) {
                w->setEnabled(false);
                LockedBySteps.emplace_back(w);
            }
        return;
    }
    for (const QPointer<QWidget>& w : LockedBySteps)
        if (w)
            w->setEnabled(true);
    LockedBySteps.clear();
}

void TMainFrm::closeEvent(QCloseEvent* event)
{
    if (!IdleValue) {
        SayRefused(QStringLiteral("Идёт Замена: Остановите Её, Чтобы Закрыть Окно"));
        event->ignore();
        return;
    }
    // The window can always be closed: what could not be written is named,
    // and the user decides whether to close without it.
    auto saved = [this](const QString& what, const std::function<void()>& save) {
        try {
            save();
            return true;
        } catch (const TError& e) {
            return Dialogs.Confirm(this, QStringLiteral("Confirm"),
                what + u'\n' + ErrorText(QString::fromUtf8(e.what())) + QStringLiteral("\nЗакрыть Окно Без Записи?"));
        }
    };
    const bool closing = (!Values.AutoSaveSettings || SettingsUnread ||
                             saved(QStringLiteral("Не Удалось Записать Настройки:"), [this] { SaveSettings(); })) &&
        (!Values.AutoSaveFileList || KeepAutoList ||
            saved(QStringLiteral("Не Удалось Записать Список Файлов:"), [this] { SaveFileList(AutoListPath()); }));
    event->setAccepted(closing);
}

} // namespace tekstovar
