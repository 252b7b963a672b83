#include "mainwindow/mainfrmui.h"

#include "mainwindow/filelistmodel.h"
#include "mainwindow/listview.h"
#include "platform/toolbutton.h"
#include "settings/settings.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace tekstovar {

namespace {

// The lower panel is laid out tightly so that the whole window fits its
// smallest size (427 x 410) with room left for the file list.
constexpr int CompactSpacing = 3;
constexpr int ToolBarIconSize = 20;
const QMargins GroupMargins(6, 3, 6, 4);

static_assert(DefaultColumnWidths.size() == ListColumnCount, "a width for each of the list's columns");

QString EncodingName(int encoding)
{
    auto name = EncodingNames[static_cast<std::size_t>(encoding)];
    return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

QComboBox* EncodingBox(QWidget* parent, const char* name)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    for (int e = 0; e < PageCount; ++e)
        box->addItem(EncodingName(e));
    return box;
}

void BuildToolBar(QMainWindow& window, TMainFrmUi& ui)
{
    auto* bar = window.addToolBar(QStringLiteral("MainTBr"));
    bar->setObjectName(QStringLiteral("MainTBr"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    // Every button in sight at the window's smallest width, none in the
    // overflow menu.
    bar->setIconSize(QSize(ToolBarIconSize, ToolBarIconSize));
    auto button = [&](QToolButton*& slot, const char* name, const QString& hint, QStyle::StandardPixmap icon) {
        slot = AddToolButton(bar, name, hint, icon);
        slot->setAutoRaise(true);
        return slot;
    };
    button(ui.AddBtn, "AddBtn", QStringLiteral("Добавить"), QStyle::SP_FileDialogNewFolder);
    ui.AddPup = new QMenu(ui.AddBtn);
    ui.AddPup->setObjectName(QStringLiteral("AddPup"));
    ui.AddFileMim = ui.AddPup->addAction(QStringLiteral("Добавить Файл"));
    ui.AddFileMim->setObjectName(QStringLiteral("AddFileMim"));
    ui.AddDirMim = ui.AddPup->addAction(QStringLiteral("Добавить Директорию"));
    ui.AddDirMim->setObjectName(QStringLiteral("AddDirMim"));
    ui.AddBtn->setMenu(ui.AddPup);
    ui.AddBtn->setPopupMode(QToolButton::MenuButtonPopup);
    button(ui.DelBtn, "DelBtn", QStringLiteral("Удалить"), QStyle::SP_TrashIcon);
    button(ui.ClearBtn, "ClearBtn", QStringLiteral("Очистить Список"), QStyle::SP_DialogResetButton);
    bar->addSeparator();
    button(ui.OpenBtn, "OpenBtn", QStringLiteral("Загрузить Список"), QStyle::SP_DialogOpenButton);
    button(ui.SaveBtn, "SaveBtn", QStringLiteral("Сохранить Список"), QStyle::SP_DialogSaveButton);
    bar->addSeparator();
    button(ui.PreviewBtn, "PreviewBtn", QStringLiteral("Просмотр"), QStyle::SP_FileDialogContentsView);
    button(ui.BatchBtn, "BatchBtn", QStringLiteral("Сценарии"), QStyle::SP_FileDialogListView)->setCheckable(true);
    button(ui.LibBtn, "LibBtn", QStringLiteral("Библиотека"), QStyle::SP_FileDialogDetailedView)->setCheckable(true);
    bar->addSeparator();
    button(ui.SetupBtn, "SetupBtn", QStringLiteral("Настройка"), QStyle::SP_FileDialogInfoView);
    bar->addSeparator();
    button(ui.HelpBtn, "HelpBtn", QStringLiteral("Подсказка"), QStyle::SP_DialogHelpButton);
    button(ui.AboutBtn, "AboutBtn", QStringLiteral("О Программе"), QStyle::SP_MessageBoxInformation);
    button(ui.CloseBtn, "CloseBtn", QStringLiteral("Выход"), QStyle::SP_DialogCloseButton);
}

QWidget* BuildFilesPage(QTabWidget* pages, TMainFrmUi& ui)
{
    auto* tab = new QWidget(pages);
    tab->setObjectName(QStringLiteral("FilesTab"));
    auto* layout = new QVBoxLayout(tab);
    layout->setContentsMargins(2, 2, 2, 2);
    auto* list = ui.FilesLvw = new TListView(tab);
    list->setObjectName(QStringLiteral("FilesLvw"));
    list->setAccessibleName(QStringLiteral("Файлы"));
    list->setColumnCount(ListColumnCount);
    list->setHeaderLabels(
        {QStringLiteral("Файл"), QStringLiteral("Директория"), QStringLiteral("Кодировка"), QStringLiteral("Замены")});
    list->setRootIsDecorated(false);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setUniformRowHeights(true);
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    list->header()->setSectionsClickable(true);
    list->header()->setSortIndicatorShown(false);
    for (int c = 0; c < ListColumnCount; ++c)
        list->setColumnWidth(c, DefaultColumnWidths[static_cast<std::size_t>(c)]);
    layout->addWidget(list, 1);
    auto* strip = new QHBoxLayout;
    strip->addWidget(new QLabel(QStringLiteral("Замена"), tab));
    ui.ReContentRbt = new QRadioButton(QStringLiteral("В Содержимом"), tab);
    ui.ReContentRbt->setObjectName(QStringLiteral("ReContentRbt"));
    ui.ReContentRbt->setChecked(true);
    ui.ReNameRbt = new QRadioButton(QStringLiteral("В Именах"), tab);
    ui.ReNameRbt->setObjectName(QStringLiteral("ReNameRbt"));
    strip->addWidget(ui.ReContentRbt);
    strip->addWidget(ui.ReNameRbt);
    strip->addStretch(1);
    auto* fileLbl = new QLabel(QStringLiteral("Файлов:"), tab);
    fileLbl->setObjectName(QStringLiteral("FileLbl"));
    strip->addWidget(fileLbl);
    ui.FileCountLbl = new QLabel(QStringLiteral("0"), tab);
    ui.FileCountLbl->setObjectName(QStringLiteral("FileCountLbl"));
    strip->addWidget(ui.FileCountLbl);
    layout->addLayout(strip);
    return tab;
}

QWidget* BuildClipboardPage(QTabWidget* pages, TMainFrmUi& ui)
{
    auto* tab = new QWidget(pages);
    tab->setObjectName(QStringLiteral("ClipboardTab"));
    auto* layout = new QVBoxLayout(tab);
    layout->setContentsMargins(2, 2, 2, 2);
    ui.ClipboardMmo = new QPlainTextEdit(tab);
    ui.ClipboardMmo->setObjectName(QStringLiteral("ClipboardMmo"));
    ui.ClipboardMmo->setLineWrapMode(QPlainTextEdit::NoWrap);
    layout->addWidget(ui.ClipboardMmo, 1);
    auto* strip = new QHBoxLayout;
    auto tool = [&](QToolButton*& slot, const char* name, const QString& hint, QStyle::StandardPixmap icon) {
        slot = new QToolButton(tab);
        slot->setObjectName(QString::fromLatin1(name));
        slot->setToolTip(hint);
        slot->setAccessibleName(hint);
        slot->setIcon(tab->style()->standardIcon(icon));
        strip->addWidget(slot);
    };
    tool(ui.RefreshBtn, "RefreshBtn", QStringLiteral("Обновить"), QStyle::SP_BrowserReload);
    tool(ui.CopyBtn, "CopyBtn", QStringLiteral("Копировать"), QStyle::SP_DialogApplyButton);
    strip->addWidget(new QLabel(QStringLiteral("Кодировка"), tab));
    ui.ClipEncodingCbx = EncodingBox(tab, "ClipEncodingCbx");
    strip->addWidget(ui.ClipEncodingCbx);
    strip->addStretch(1);
    strip->addWidget(new QLabel(QStringLiteral("Замены"), tab));
    ui.ReplaceCountEdt = new QLineEdit(QStringLiteral("0"), tab);
    ui.ReplaceCountEdt->setObjectName(QStringLiteral("ReplaceCountEdt"));
    ui.ReplaceCountEdt->setReadOnly(true);
    ui.ReplaceCountEdt->setMaximumWidth(70);
    strip->addWidget(ui.ReplaceCountEdt);
    layout->addLayout(strip);
    return tab;
}

void BuildPages(QMainWindow& window, TMainFrmUi& ui)
{
    auto* pages = ui.TasksPgC = new QTabWidget(&window);
    pages->setObjectName(QStringLiteral("TasksPgC"));
    pages->setTabPosition(QTabWidget::West);
    // Both tabs stay whole at the smallest size, without scroll arrows.
    pages->setUsesScrollButtons(false);
    pages->setElideMode(Qt::ElideNone);
    pages->insertTab(FilesPage, BuildFilesPage(pages, ui), QStringLiteral("Файлы"));
    pages->insertTab(ClipboardPage, BuildClipboardPage(pages, ui), QStringLiteral("Буфер"));
}

QWidget* BuildBottomPanel(QWidget* parent, TMainFrmUi& ui)
{
    auto* panel = new QWidget(parent);
    panel->setObjectName(QStringLiteral("BottomPnl"));
    panel->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(CompactSpacing);

    auto* masks = new QGroupBox(QStringLiteral("Поиск И Замена"), panel);
    auto* grid = new QGridLayout(masks);
    grid->setContentsMargins(GroupMargins);
    grid->setVerticalSpacing(CompactSpacing);
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
    maskBox(ui.MaskCbx, "MaskCbx", ui.ViewMaskBtn, "ViewMaskBtn");
    maskBox(ui.ReplaceCbx, "ReplaceCbx", ui.ViewReplaceBtn, "ViewReplaceBtn");
    // Each box is named by its label, for screen readers too.
    auto labelled = [&](const QString& caption, QWidget* control, int row) {
        auto* label = new QLabel(caption, masks);
        label->setBuddy(control);
        control->setAccessibleName(caption);
        grid->addWidget(label, row, 0);
    };
    labelled(QStringLiteral("Маска Поиска"), ui.MaskCbx, 0);
    grid->addWidget(ui.MaskCbx, 0, 1);
    grid->addWidget(ui.ViewMaskBtn, 0, 2);
    labelled(QStringLiteral("Маска Замены"), ui.ReplaceCbx, 1);
    grid->addWidget(ui.ReplaceCbx, 1, 1);
    grid->addWidget(ui.ViewReplaceBtn, 1, 2);
    auto* runRow = new QHBoxLayout;
    ui.ReCodeChk = new QCheckBox(QStringLiteral("Перекодировать"), masks);
    ui.ReCodeChk->setObjectName(QStringLiteral("ReCodeChk"));
    ui.EncodingCbx = EncodingBox(masks, "EncodingCbx");
    ui.EncodingCbx->setAccessibleName(QStringLiteral("Кодировка"));
    ui.EncodingCbx->setCurrentIndex(-1);
    ui.EncodingCbx->setEnabled(false);
    ui.GoBtn = new QPushButton(QStringLiteral("Заменить"), masks);
    ui.GoBtn->setObjectName(QStringLiteral("GoBtn"));
    ui.StopBtn = new QPushButton(QStringLiteral("Стоп"), masks);
    ui.StopBtn->setObjectName(QStringLiteral("StopBtn"));
    ui.StopBtn->setEnabled(false);
    runRow->addWidget(ui.ReCodeChk);
    runRow->addWidget(ui.EncodingCbx);
    runRow->addStretch(1);
    runRow->addWidget(ui.GoBtn);
    runRow->addWidget(ui.StopBtn);
    grid->addLayout(runRow, 2, 0, 1, 3);
    layout->addWidget(masks);

    auto* lower = new QHBoxLayout;
    auto* backups = new QGroupBox(QStringLiteral("Резервные Копии"), panel);
    auto* backupRow = new QHBoxLayout(backups);
    backupRow->setContentsMargins(GroupMargins);
    ui.BackUpChk = new QCheckBox(QStringLiteral("Сохранять"), backups);
    ui.BackUpChk->setObjectName(QStringLiteral("BackUpChk"));
    ui.BackUpChk->setChecked(true);
    ui.RestoreBtn = new QPushButton(QStringLiteral("Вернуть"), backups);
    ui.RestoreBtn->setObjectName(QStringLiteral("RestoreBtn"));
    ui.EraseBtn = new QPushButton(QStringLiteral("Удалить"), backups);
    ui.EraseBtn->setObjectName(QStringLiteral("EraseBtn"));
    backupRow->addWidget(ui.BackUpChk);
    backupRow->addStretch(1);
    backupRow->addWidget(ui.RestoreBtn);
    backupRow->addWidget(ui.EraseBtn);
    lower->addWidget(backups, 1);
    layout->addLayout(lower);

    // Both bars share one row: the window's smallest height has no room
    // for two.
    auto* bars = new QHBoxLayout;
    auto bar = [&](QProgressBar*& slot, const char* name, const QString& caption) {
        bars->addWidget(new QLabel(caption, panel));
        slot = new QProgressBar(panel);
        slot->setObjectName(QString::fromLatin1(name));
        slot->setTextVisible(false);
        slot->setMaximumHeight(slot->fontMetrics().height() + 4);
        bars->addWidget(slot, 1);
    };
    bar(ui.FilePBr, "FilePBr", QStringLiteral("Этот Файл"));
    bar(ui.EntirePBr, "EntirePBr", QStringLiteral("Вся Работа"));
    layout->addLayout(bars);
    return panel;
}

void BuildPopupMenu(TMainFrmUi& ui)
{
    auto* menu = ui.FilesPup = new QMenu(ui.FilesLvw);
    menu->setObjectName(QStringLiteral("FilesPup"));
    auto item = [&](QAction*& slot, const char* name, const QString& caption, QKeySequence keys = {}) {
        slot = menu->addAction(caption);
        slot->setObjectName(QString::fromLatin1(name));
        if (!keys.isEmpty()) {
            // The keys work in the list without opening the menu.
            slot->setShortcut(keys);
            slot->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            ui.FilesLvw->addAction(slot);
        }
    };
    item(ui.N14, "N14", QStringLiteral("Открыть"));
    menu->setDefaultAction(ui.N14);
    item(ui.N6, "N6", QStringLiteral("Добавить"), QKeySequence(Qt::Key_Insert));
    item(ui.N7, "N7", QStringLiteral("Добавить Директорию"));
    item(ui.N1, "N1", QStringLiteral("Удалить"), QKeySequence(Qt::Key_Delete));
    item(ui.N5, "N5", QStringLiteral("Выделить Все"), QKeySequence(Qt::CTRL | Qt::Key_A));
    item(ui.N10, "N10", QStringLiteral("Очистить Список"));
    menu->addSeparator();
    item(ui.N13, "N13", QStringLiteral("Загрузить Список"));
    item(ui.N11, "N11", QStringLiteral("Сохранить Список"));
    menu->addSeparator();
    item(ui.PreviewMim, "PreviewMim", QStringLiteral("Просмотр"));
    menu->addSeparator();
    for (int e = 0; e < PageCount; ++e) {
        QAction*& action = ui.EncodingMims[static_cast<std::size_t>(e)];
        action = menu->addAction(EncodingName(e));
        action->setObjectName(EncodingName(e) + QStringLiteral("1"));
    }
    menu->addSeparator();
    item(ui.ExtMnu, "ExtMnu", QStringLiteral("Маски Файлов..."));
}

void BuildStatusBar(QMainWindow& window, TMainFrmUi& ui)
{
    auto* bar = ui.MainSBr = new QStatusBar(&window);
    bar->setObjectName(QStringLiteral("MainSBr"));
    bar->setSizeGripEnabled(false);
    ui.SummaryLbl = new QLabel(bar);
    ui.SummaryLbl->setObjectName(QStringLiteral("SummaryLbl"));
    bar->addWidget(ui.SummaryLbl, 1);
    ui.FailuresBtn = new QToolButton(bar);
    ui.FailuresBtn->setObjectName(QStringLiteral("FailuresBtn"));
    ui.FailuresBtn->setText(QStringLiteral("Пропущенные..."));
    ui.FailuresBtn->setAutoRaise(true);
    ui.FailuresBtn->hide();
    bar->addPermanentWidget(ui.FailuresBtn);
    window.setStatusBar(bar);
}

} // namespace

void BuildMainFrmUi(QMainWindow& window, TMainFrmUi& ui)
{
    BuildToolBar(window, ui);
    auto* central = new QWidget(&window);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(2, 2, 2, 2);
    window.setCentralWidget(central);
    BuildPages(window, ui);
    layout->addWidget(ui.TasksPgC, 1);
    layout->addWidget(BuildBottomPanel(central, ui));
    BuildPopupMenu(ui);
    BuildStatusBar(window, ui);
}

} // namespace tekstovar
