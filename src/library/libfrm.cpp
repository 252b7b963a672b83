#include "library/libfrm.h"

#include "common/error.h"
#include "dialogs/helpfrm.h"
#include "library/editdialogs.h"
#include "library/lexemlist.h"
#include "library/libgrid.h"
#include "platform/dialogs.h"
#include "platform/qstrings.h"
#include "platform/toolbutton.h"
#include "platform/winunicode.h"
#include "windowlinks/maskpairboxes.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>

namespace tekstovar {

namespace {

const QString DownloadHint = QStringLiteral("Взять Из Интернета");
const QString CancelDownloadHint = QStringLiteral("Прервать Закачку");

constexpr int CountPanelWidth = 90;
constexpr int StatusPanelWidth = 50;

} // namespace

TLibFrm::TLibFrm(TMaskPairBoxes& maskPair, TDialogs& dialogs, std::string programDir, QWidget* parent)
    : TToolWindow(parent), MaskPair(maskPair), Dialogs(dialogs), ProgramDir(std::move(programDir))
{
    setObjectName(QStringLiteral("LibFrm"));
    setWindowTitle(QStringLiteral("Библиотека"));
    BuildControls();
    connect(&Download, &TLibraryDownload::Status, StatusLbl, &QLabel::setText);
    connect(&Download, &TLibraryDownload::Finished, this, &TLibFrm::DownloadFinished);
    RefreshBtnClick();
}

TLibFrm::~TLibFrm()
{
    // At exit the library is written back whatever the settings say.
    try {
        Library.WriteLibrary(IniPath());
    } catch (const std::exception& failure) {
        // The main window outlives this one, so the user still learns that
        // the library was not saved; nothing may leave a destructor.
        try {
            Dialogs.Error(parentWidget(), ErrorText(QString::fromUtf8(failure.what())));
        } catch (...) {
        }
    }
    // The grid reads the store, which goes before the child widgets do.
    delete LibGrid;
    LibGrid = nullptr;
}

void TLibFrm::SetEditDialogs(TPairEditFrm* pairEdit, TLexemEditFrm* lexemEdit)
{
    PairEdit = pairEdit;
    LexemEdit = lexemEdit;
}

void TLibFrm::SetHelp(THelpFrm* help) { Help = help; }

std::string TLibFrm::IniPath() const { return ProgramDir + "QZ.Ini"; }

// --- Layout -------------------------------------------------------------------

void TLibFrm::BuildControls()
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    BuildToolBar();
    layout->addWidget(LibTBr);
    layout->addWidget(SearchTBr);
    BuildPages();
    layout->addWidget(LibPgC, 1);
    layout->addWidget(TabSet1);

    auto* status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("StatusBar"));
    status->setSizeGripEnabled(false);
    CountLbl = new QLabel(status);
    CountLbl->setObjectName(QStringLiteral("CountLbl"));
    CountLbl->setFixedWidth(CountPanelWidth);
    status->addWidget(CountLbl);
    // The last panel reaches to the right edge: the download's texts are
    // longer than its own width.
    StatusLbl = new QLabel(status);
    StatusLbl->setObjectName(QStringLiteral("StatusLbl"));
    StatusLbl->setMinimumWidth(StatusPanelWidth);
    status->addWidget(StatusLbl, 1);
    layout->addWidget(status);

    BuildPopupMenu();
}

void TLibFrm::BuildToolBar()
{
    LibTBr = new QToolBar(this);
    LibTBr->setObjectName(QStringLiteral("LibTBr"));
    auto button = [&](QToolButton*& b, const char* name, const QString& hint, QStyle::StandardPixmap icon,
                      void (TLibFrm::*slot)()) {
        b = AddToolButton(LibTBr, name, hint, icon);
        connect(b, &QToolButton::clicked, this, slot);
    };
    button(AddBtn, "AddBtn", QStringLiteral("Добавить"), QStyle::SP_FileDialogNewFolder, &TLibFrm::AddBtnClick);
    button(DelBtn, "DelBtn", QStringLiteral("Удалить"), QStyle::SP_TrashIcon, &TLibFrm::DelBtnClick);
    LibTBr->addSeparator();
    button(RefreshBtn, "RefreshBtn", QStringLiteral("Перечитать С Диска"), QStyle::SP_BrowserReload,
        &TLibFrm::RefreshBtnClick);
    button(DownloadBtn, "DownloadBtn", DownloadHint, QStyle::SP_ArrowDown, &TLibFrm::DownloadBtnClick);
    LibTBr->addSeparator();
    button(
        SearchBtn, "SearchBtn", QStringLiteral("Поиск"), QStyle::SP_FileDialogContentsView, &TLibFrm::SearchBtnClick);
    SearchBtn->setCheckable(true);
    button(SortBtn, "SortBtn", QStringLiteral("Сортировка"), QStyle::SP_ToolBarVerticalExtensionButton,
        &TLibFrm::SortBtnClick);
    LibTBr->addSeparator();
    button(HelpBtn, "HelpBtn", QStringLiteral("Подсказка"), QStyle::SP_DialogHelpButton, &TLibFrm::HelpBtnClick);

    SearchTBr = new QToolBar(this);
    SearchTBr->setObjectName(QStringLiteral("SearchTBr"));
    SearchEdt = new QLineEdit(SearchTBr);
    SearchEdt->setObjectName(QStringLiteral("SearchEdt"));
    SearchEdt->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    SearchTBr->addWidget(SearchEdt);
    SearchTBr->hide();
    connect(SearchEdt, &QLineEdit::textChanged, this, &TLibFrm::SearchEdtChange);
}

void TLibFrm::BuildPages()
{
    LibPgC = new QStackedWidget(this);
    LibPgC->setObjectName(QStringLiteral("LibPgC"));

    PairTab = new QWidget(LibPgC);
    PairTab->setObjectName(QStringLiteral("PairTab"));
    auto* pairLayout = new QVBoxLayout(PairTab);
    pairLayout->setContentsMargins(0, 0, 0, 0);
    pairLayout->setSpacing(0);
    LibGrid = new TLibGrid(Library, PairTab);
    LibGrid->setObjectName(QStringLiteral("LibGrid"));
    pairLayout->addWidget(LibGrid, 1);
    HorScr = new QScrollBar(Qt::Horizontal, PairTab);
    HorScr->setObjectName(QStringLiteral("HorScr"));
    HorScr->setPageStep(0);
    HorScr->setMaximum(LibGrid->ScrollExtent());
    pairLayout->addWidget(HorScr);
    connect(HorScr, &QScrollBar::valueChanged, LibGrid, &TLibGrid::SetScrollPosition);
    connect(LibGrid, &TLibGrid::ScrollExtentChanged, HorScr, &QScrollBar::setMaximum);
    connect(LibGrid, &QAbstractItemView::doubleClicked, this, [this] { LibGridDblClick(); });
    connect(LibGrid, &TLibGrid::PairDropped, this, [this] { ScenarioPairDropped(PairPage); });
    LibGrid->AcceptsDrop = [this](const QMimeData* data, const QObject* source) {
        return AcceptsScenarioDrop(data, source);
    };
    LibPgC->addWidget(PairTab);

    LexemTab = new QWidget(LibPgC);
    LexemTab->setObjectName(QStringLiteral("LexemTab"));
    auto* lexemLayout = new QVBoxLayout(LexemTab);
    lexemLayout->setContentsMargins(0, 0, 0, 0);
    LexemLVw = new TLexemList(LexemTab);
    LexemLVw->setObjectName(QStringLiteral("LexemLVw"));
    lexemLayout->addWidget(LexemLVw);
    connect(LexemLVw, &QTreeWidget::itemDoubleClicked, this, [this] { LexemLVwDblClick(); });
    connect(LexemLVw, &TLexemList::PairDropped, this, [this] { ScenarioPairDropped(LexemPage); });
    LexemLVw->AcceptsDrop = [this](const QMimeData* data, const QObject* source) {
        return AcceptsScenarioDrop(data, source);
    };
    LibPgC->addWidget(LexemTab);

    TabSet1 = new QTabBar(this);
    TabSet1->setObjectName(QStringLiteral("TabSet1"));
    TabSet1->setShape(QTabBar::RoundedSouth);
    TabSet1->setExpanding(false);
    TabSet1->addTab(QStringLiteral("Пары"));
    TabSet1->addTab(QStringLiteral("Лексемы"));
    connect(TabSet1, &QTabBar::currentChanged, this, &TLibFrm::TabSet1Change);
}

void TLibFrm::BuildPopupMenu()
{
    LibPUp = new QMenu(this);
    LibPUp->setObjectName(QStringLiteral("LibPUp"));
    AddMim = LibPUp->addAction(QStringLiteral("Добавить"), this, &TLibFrm::AddBtnClick);
    AddMim->setObjectName(QStringLiteral("AddMim"));
    DelMim = LibPUp->addAction(QStringLiteral("Удалить"), this, &TLibFrm::DelBtnClick);
    DelMim->setObjectName(QStringLiteral("DelMim"));
    EditMim = LibPUp->addAction(QStringLiteral("Править"), this, &TLibFrm::EditMimClick);
    EditMim->setObjectName(QStringLiteral("EditMim"));
    // F2 edits from anywhere in the window, not only from the menu.
    EditMim->setShortcut(QKeySequence(Qt::Key_F2));
    EditMim->setShortcutContext(Qt::WindowShortcut);
    addAction(EditMim);
    for (QAbstractItemView* view : std::initializer_list<QAbstractItemView*>{LibGrid, LexemLVw}) {
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(view, &QWidget::customContextMenuRequested, this,
            [this, view](const QPoint& pos) { LibPUp->popup(view->viewport()->mapToGlobal(pos)); });
    }
}

// --- Showing the store --------------------------------------------------------

void TLibFrm::ReloadPairs()
{
    LibGrid->Reload();
    CountLbl->setText(QStringLiteral("Всего: ") + QString::number(LibGrid->PairCount()));
}

void TLibFrm::ReloadLexems(std::optional<int> selected) { LexemLVw->Fill(Library.Lexems(), selected); }

TLibFrm::TPage TLibFrm::CurrentPage() const { return LibPgC->currentIndex() == LexemPage ? LexemPage : PairPage; }

void TLibFrm::TabSet1Change(int index) { LibPgC->setCurrentIndex(index); }

std::string TLibFrm::SelectedMask() const
{
    return Library.SelectedMask(static_cast<std::size_t>(LibGrid->SelectedRow()));
}

std::string TLibFrm::SelectedReplace() const
{
    return Library.SelectedReplace(static_cast<std::size_t>(LibGrid->SelectedRow()));
}

// --- Adding, deleting, editing --------------------------------------------------

bool TLibFrm::InsertItem(TPage page, const std::string& mask, const std::string& replace)
{
    if (page == PairPage) {
        const std::optional<std::size_t> at =
            Library.AddPair(static_cast<std::size_t>(LibGrid->SelectedRow()), mask, replace);
        if (!at)
            return false;
        ReloadPairs();
        LibGrid->SelectCell(static_cast<int>(*at));
        return true;
    }
    std::optional<std::size_t> selected;
    if (const std::optional<int> index = LexemLVw->SelectedIndex())
        selected = static_cast<std::size_t>(*index);
    const std::optional<std::size_t> at = Library.AddLexem(selected, mask, replace);
    if (!at)
        return false;
    ReloadLexems(static_cast<int>(*at));
    return true;
}

void TLibFrm::AddBtnClick()
{
    if (InsertItem(
            CurrentPage(), LibraryText(WinToQString(MaskPair.Mask())), LibraryText(WinToQString(MaskPair.Replace()))))
        EditMimClick();
}

void TLibFrm::DelBtnClick()
{
    if (CurrentPage() == PairPage) {
        if (Library.DeletePair(static_cast<std::size_t>(LibGrid->SelectedRow())))
            ReloadPairs();
        return;
    }
    const std::optional<int> index = LexemLVw->SelectedIndex();
    if (index && Library.DeleteLexem(static_cast<std::size_t>(*index)))
        ReloadLexems(std::nullopt);
}

void TLibFrm::EditMimClick()
{
    if (CurrentPage() == PairPage) {
        const int row = LibGrid->SelectedRow();
        if (row >= LibGrid->PairCount() || !PairEdit)
            return;
        const auto at = static_cast<std::size_t>(row);
        PairEdit->CommentEdt->setText(WinToQString(Library.Comments()[at]));
        PairEdit->MaskEdt->setText(WinToQString(Library.Masks()[at]));
        PairEdit->ReplaceEdt->setText(WinToQString(Library.Replaces()[at]));
        if (Dialogs.Exec(*PairEdit) != QDialog::Accepted)
            return;
        Library.SetPair(at, LibraryText(PairEdit->MaskEdt->text()), LibraryText(PairEdit->ReplaceEdt->text()),
            LibraryText(PairEdit->CommentEdt->text()));
        ReloadPairs();
        return;
    }
    const std::optional<int> index = LexemLVw->SelectedIndex();
    if (!index || !LexemEdit)
        return;
    const auto at = static_cast<std::size_t>(*index);
    LexemEdit->CommentEdt->setText(WinToQString(Library.Lexems()[at].Description));
    LexemEdit->LexemEdt->setText(WinToQString(Library.Lexems()[at].Lexem));
    if (Dialogs.Exec(*LexemEdit) != QDialog::Accepted)
        return;
    Library.SetLexem(
        at, TLibLexem{LibraryText(LexemEdit->CommentEdt->text()), LibraryText(LexemEdit->LexemEdt->text())});
    ReloadLexems(*index);
}

// --- Using --------------------------------------------------------------------

void TLibFrm::LibGridDblClick()
{
    const int row = LibGrid->SelectedRow();
    if (row >= LibGrid->PairCount())
        return;
    MaskPair.ShowPair(SelectedMask(), SelectedReplace());
}

void TLibFrm::LexemLVwDblClick()
{
    const std::optional<int> index = LexemLVw->SelectedIndex();
    if (!index)
        return;
    MaskPair.AppendToMask(Library.Lexems()[static_cast<std::size_t>(*index)].Lexem);
}

// --- Drag and drop ------------------------------------------------------------

bool TLibFrm::AcceptsScenarioDrop(const QMimeData* data, const QObject* source) const
{
    return ScenarioPair && IsScenarioPairDrag(data, source);
}

void TLibFrm::ScenarioPairDropped(TPage page)
{
    if (!ScenarioPair)
        return;
    const TDraggedPair pair = ScenarioPair();
    if (!InsertItem(page, pair.Mask, pair.Replace))
        return;
    // The dialog opens once the drop has ended, so that the source's drag
    // does not wait on a modal dialog.
    QTimer::singleShot(0, this, &TLibFrm::EditMimClick);
}

// --- Refresh, search, sort, help ----------------------------------------------

void TLibFrm::RefreshBtnClick()
{
    std::string refused;
    ShowingErrors(Dialogs, this, [&] { refused = Library.Refresh(IniPath()).RefusedMessage; });
    ReloadPairs();
    ReloadLexems(LexemLVw->SelectedIndex());
    // A hand-edited file may hold texts the next save would cut: they were
    // left out, and the user learns which.
    if (!refused.empty())
        Dialogs.Message(this, QString::fromStdString(refused));
}

void TLibFrm::SearchBtnClick()
{
    const bool show = SearchTBr->isHidden();
    SearchTBr->setVisible(show);
    SearchBtn->setChecked(show);
    if (show)
        SearchEdt->setFocus();
}

void TLibFrm::SearchEdtChange(const QString& text)
{
    if (text.isEmpty())
        return;
    const std::string prefix = LibraryText(text);
    if (CurrentPage() == PairPage) {
        if (const std::optional<std::size_t> row = Library.FindPairByComment(prefix))
            LibGrid->SelectCell(static_cast<int>(*row));
        return;
    }
    if (const std::optional<std::size_t> index = Library.FindLexemByDescription(prefix))
        LexemLVw->SelectIndex(static_cast<int>(*index));
}

void TLibFrm::SortBtnClick()
{
    if (CurrentPage() == PairPage) {
        Library.SortPairs();
        ReloadPairs();
        return;
    }
    // The selection follows its lexem to the new place.
    std::optional<TLibLexem> selected;
    if (const std::optional<int> index = LexemLVw->SelectedIndex())
        selected = Library.Lexems()[static_cast<std::size_t>(*index)];
    Library.SortLexems();
    std::optional<int> index;
    if (selected) {
        const auto& lexems = Library.Lexems();
        index = static_cast<int>(std::find(lexems.begin(), lexems.end(), *selected) - lexems.begin());
    }
    ReloadLexems(index);
}

void TLibFrm::HelpBtnClick()
{
    if (Help)
        Help->ShowTopic(QStringLiteral("Library"));
}

// --- Download -----------------------------------------------------------------

void TLibFrm::DownloadBtnClick()
{
    if (DownloadRunning) {
        Download.Cancel();
        return;
    }
    DownloadRunning = true;
    PairsBeforeDownload = Library.PairCount();
    LexemsBeforeDownload = Library.Lexems().size();
    SetDownloadBusy(true);
    StatusLbl->setText(TLibraryDownload::ConnectingText());
    const QString ini = QFile::decodeName(QByteArray::fromStdString(IniPath()));
    // Returns at once; Finished ends the download, perhaps before Start
    // returns when the temporary file cannot be made.
    Download.Start(TLibraryDownload::BaseUrl(ini), Library, DownloadTimeoutMs, DownloadDeadlineMs);
}

void TLibFrm::SetDownloadBusy(bool busy)
{
    for (QWidget* control :
        std::initializer_list<QWidget*>{AddBtn, DelBtn, RefreshBtn, SearchBtn, SortBtn, SearchTBr, LibPgC, TabSet1})
        control->setEnabled(!busy);
    for (QAction* action : {AddMim, DelMim, EditMim})
        action->setEnabled(!busy);
    DownloadBtn->setIcon(style()->standardIcon(busy ? QStyle::SP_BrowserStop : QStyle::SP_ArrowDown));
    DownloadBtn->setToolTip(busy ? CancelDownloadHint : DownloadHint);
}

void TLibFrm::DownloadFinished(bool ok, const QString& message)
{
    DownloadRunning = false;
    SetDownloadBusy(false);
    // The merge only appends, and showing a large library again costs time:
    // only what grew is shown again.
    if (Library.PairCount() != PairsBeforeDownload)
        ReloadPairs();
    if (Library.Lexems().size() != LexemsBeforeDownload)
        ReloadLexems(LexemLVw->SelectedIndex());
    if (ok || Download.Failure() == TLibraryDownload::TFailure::Cancelled) {
        StatusLbl->setText(message);
        if (!Download.Refused().isEmpty())
            Dialogs.Message(this, Download.Refused());
        return;
    }
    StatusLbl->clear();
    // A window disabled by a run of the main window would disable its
    // message box too.
    Dialogs.Message(isEnabled() ? static_cast<QWidget*>(this) : parentWidget(), TLibraryDownload::FailureText());
}

} // namespace tekstovar
