#include "dialogs/filemaskfrm.h"

#include "platform/directoryfiles.h"
#include "platform/qstrings.h"

#include "dialogs/centre.h"
#include "platform/dialogs.h"
#include "platform/winunicode.h"
#include "settings/inifile.h"

#include <QBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <exception>

namespace tekstovar {

namespace {

QPushButton* PlainButton(const QString& caption, const QString& name, QWidget* parent)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    // The dialog has no default button: Enter belongs to the mask edit.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

} // namespace

TFileMaskFrm::TFileMaskFrm(TDialogs& dialogs, std::string iniPath, QWidget* parent)
    : QDialog(parent), Dialogs(dialogs), IniPath(std::move(iniPath))
{
    setObjectName(QStringLiteral("FileMaskFrm"));
    setWindowTitle(QStringLiteral("Маски Файлов"));
    setModal(true);

    auto* label = new QLabel(QStringLiteral("При Добавлении  В Список Файлов Целых Директорий, Из Них Будут "
                                            "Добавляться Только Файлы, Подходящие Под Данные Маски:"),
        this);
    label->setWordWrap(true);
    MaskEdt = new QLineEdit(this);
    MaskEdt->setObjectName(QStringLiteral("MaskEdt"));
    MaskLst = new QListWidget(this);
    MaskLst->setObjectName(QStringLiteral("MaskLst"));
    MaskLst->setSelectionMode(QAbstractItemView::SingleSelection);
    AddBtn = PlainButton(QStringLiteral("Добавить"), QStringLiteral("AddBtn"), this);
    DelBtn = PlainButton(QStringLiteral("Удалить"), QStringLiteral("DelBtn"), this);
    OkBtn = PlainButton(QStringLiteral("Угу"), QStringLiteral("OkBtn"), this);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(AddBtn);
    buttons->addWidget(DelBtn);
    buttons->addStretch();
    buttons->addWidget(OkBtn);
    auto* lower = new QHBoxLayout;
    lower->addWidget(MaskLst, 1);
    lower->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(6);
    layout->addWidget(label);
    layout->addWidget(MaskEdt);
    layout->addLayout(lower, 1);

    setFixedSize(265, 191);
    CentreOnScreen(this);

    connect(AddBtn, &QPushButton::clicked, this, &TFileMaskFrm::AddBtnClick);
    connect(DelBtn, &QPushButton::clicked, this, &TFileMaskFrm::DelBtnClick);
    connect(OkBtn, &QPushButton::clicked, this, &QDialog::accept);
    MaskEdt->installEventFilter(this);
    MaskLst->installEventFilter(this);

    Load();
}

std::vector<std::string> TFileMaskFrm::Masks() const
{
    std::vector<std::string> masks;
    masks.reserve(MaskLst->count());
    for (int i = 0; i < MaskLst->count(); ++i)
        masks.push_back(QStringToWin(MaskLst->item(i)->text()));
    return masks;
}

void TFileMaskFrm::done(int result)
{
    // OK, Escape and the title bar's close box all end here.
    Save();
    QDialog::done(result);
}

bool TFileMaskFrm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == MaskEdt && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            AddBtnClick();
            return true; // nothing else sees this Enter
        }
    }
    if (watched == MaskLst && event->type() == QEvent::KeyRelease &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        DelBtnClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TFileMaskFrm::AddBtnClick()
{
    const QString mask = MaskEdt->text();
    if (mask.isEmpty())
        return;
    const QString lacking = CharsWinLacks(mask);
    if (!lacking.isEmpty()) {
        Dialogs.Error(this,
            ErrorText(QStringLiteral("Маска ") + mask + QStringLiteral(" Не Добавлена: В Кодировке WIN Нет Знаков ") +
                lacking));
        return;
    }
    MaskLst->addItem(mask);
}

void TFileMaskFrm::DelBtnClick()
{
    QList<QListWidgetItem*> selected = MaskLst->selectedItems();
    int i = selected.isEmpty() ? -1 : MaskLst->row(selected.first());
    if (i >= 0)
        delete MaskLst->takeItem(i);
    if (i >= MaskLst->count())
        i = MaskLst->count() - 1;
    if (i >= 0) {
        MaskLst->setCurrentRow(i, QItemSelectionModel::ClearAndSelect);
    } else {
        MaskLst->clearSelection();
        MaskLst->setCurrentRow(-1);
    }
}

void TFileMaskFrm::Load()
{
    IniFile ini(IniPath);
    for (const std::string& mask : SplitFileMasks(ini.ReadString("General", "Extensions", DefaultFileMasks)))
        MaskLst->addItem(WinToQString(mask));
}

void TFileMaskFrm::Save()
{
    try {
        IniFile ini(IniPath);
        ini.WriteString("General", "Extensions", JoinFileMasks(Masks()));
    } catch (const std::exception& e) {
        Dialogs.Error(this, ErrorText(QString::fromUtf8(e.what())));
    }
}

} // namespace tekstovar
