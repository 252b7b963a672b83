#include "settings/setupfrm.h"

#include "settings/fontwidgets.h"

#include "common/error.h"
#include "dialogs/filemaskfrm.h"
#include "dialogs/helpfrm.h"
#include "dialogs/viewfrm.h" // the key combinations
#include "platform/dialogs.h"
#include "windowlinks/settingshost.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>

namespace tekstovar {

namespace {

constexpr std::uint16_t ShiftBit = 0x2000;
constexpr std::uint16_t CtrlBit = 0x4000;
constexpr std::uint16_t AltBit = 0x8000;

QString VirtualKeyName(int code)
{
    if ((code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9'))
        return QString(QChar(code));
    if (code >= 0x60 && code <= 0x69)
        return QStringLiteral("Num %1").arg(code - 0x60);
    if (code >= 0x70 && code <= 0x87)
        return QStringLiteral("F%1").arg(code - 0x70 + 1);
    switch (code) {
    case 0x08: return QStringLiteral("Backspace");
    case 0x09: return QStringLiteral("Tab");
    case 0x0D: return QStringLiteral("Enter");
    case 0x13: return QStringLiteral("Pause");
    case 0x1B: return QStringLiteral("Esc");
    case 0x20: return QStringLiteral("Space");
    case 0x21: return QStringLiteral("PgUp");
    case 0x22: return QStringLiteral("PgDn");
    case 0x23: return QStringLiteral("End");
    case 0x24: return QStringLiteral("Home");
    case 0x25: return QStringLiteral("Left");
    case 0x26: return QStringLiteral("Up");
    case 0x27: return QStringLiteral("Right");
    case 0x28: return QStringLiteral("Down");
    case 0x2C: return QStringLiteral("PrtSc");
    case 0x2D: return QStringLiteral("Ins");
    case 0x2E: return QStringLiteral("Del");
    case 0x6A: return QStringLiteral("Num *");
    case 0x6B: return QStringLiteral("Num +");
    case 0x6D: return QStringLiteral("Num -");
    case 0x6E: return QStringLiteral("Num Del");
    case 0x6F: return QStringLiteral("Num /");
    case 0xBA: return QStringLiteral(";");
    case 0xBB: return QStringLiteral("=");
    case 0xBC: return QStringLiteral(",");
    case 0xBD: return QStringLiteral("-");
    case 0xBE: return QStringLiteral(".");
    case 0xBF: return QStringLiteral("/");
    case 0xC0: return QStringLiteral("`");
    case 0xDB: return QStringLiteral("[");
    case 0xDC: return QStringLiteral("\\");
    case 0xDD: return QStringLiteral("]");
    case 0xDE: return QStringLiteral("'");
    default: return QStringLiteral("#%1").arg(code, 2, 16, QLatin1Char('0')).toUpper();
    }
}

QCheckBox* AddCheck(QLayout* layout, const QString& name, const QString& caption)
{
    auto* check = new QCheckBox(caption);
    check->setObjectName(name);
    layout->addWidget(check);
    return check;
}

} // namespace

QString HotKeyText(std::uint16_t value)
{
    if (value == 0)
        return QStringLiteral("Нет");
    QString text;
    if (value & CtrlBit)
        text += QStringLiteral("Ctrl+");
    if (value & ShiftBit)
        text += QStringLiteral("Shift+");
    if (value & AltBit)
        text += QStringLiteral("Alt+");
    return text + VirtualKeyName(value & 0xFF);
}

THotKeyEdit::THotKeyEdit(QWidget* parent) : QLineEdit(parent)
{
    setReadOnly(true);
    // Read-only edits do not take the focus by keyboard otherwise.
    setFocusPolicy(Qt::StrongFocus);
    SetValue(0);
}

void THotKeyEdit::SetValue(std::uint16_t value)
{
    Combination = value;
    setText(HotKeyText(value));
}

void THotKeyEdit::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers held = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
    // Enter and Esc alone still close the dialog.
    if (!held && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Escape)) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    event->accept();
    std::uint16_t combination = KeyCombination(*event);
    if (combination == 0)
        return; // a modifier on its own
    if (!held)
        combination = static_cast<std::uint16_t>((combination & 0xFF) | CtrlBit);
    SetValue(combination);
}

TSetupFrm::TSetupFrm(TSettingsHost& host, TDialogs& dialogs, TFileMaskFrm* fileMaskFrm, QWidget* parent)
    : QDialog(parent), Host(host), Dialogs(dialogs), FileMaskFrm(fileMaskFrm)
{
    setObjectName(QStringLiteral("SetupFrm"));
    setWindowTitle(QStringLiteral("Настройка"));

    PageCtl = new QTabWidget;
    PageCtl->setObjectName(QStringLiteral("PageCtl"));
    PageCtl->addTab(BuildGeneralPage(), QStringLiteral("Текстовар"));
    PageCtl->addTab(BuildFilesPage(), QStringLiteral("Файлы"));
    PageCtl->addTab(BuildViewPage(), QStringLiteral("Вид"));
    PageCtl->addTab(BuildAutoSavePage(), QStringLiteral("Автосохранение"));
    PageCtl->setCurrentIndex(0);

    OkBtn = new QPushButton(QStringLiteral("Угу"));
    OkBtn->setObjectName(QStringLiteral("OkBtn"));
    OkBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Отмена"));
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    HelpBtn = new QPushButton(QStringLiteral("Справка"));
    HelpBtn->setObjectName(QStringLiteral("HelpBtn"));
    connect(OkBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(HelpBtn, &QPushButton::clicked, this, &TSetupFrm::HelpBtnClick);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OkBtn);
    buttons->addWidget(CancelBtn);
    buttons->addWidget(HelpBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageCtl);
    layout->addLayout(buttons);

    // Fixed size; never smaller than the pages need in the desktop's font.
    setFixedSize(sizeHint().expandedTo(QSize(394, 233)));
}

QWidget* TSetupFrm::BuildGeneralPage()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);

    auto* encoding = new QGroupBox(QStringLiteral("Кодировка"));
    auto* encodingLayout = new QHBoxLayout(encoding);
    DetectEncodingChk = AddCheck(encodingLayout, QStringLiteral("DetectEncodingChk"), QStringLiteral("Определять"));
    encodingLayout->addStretch();
    encodingLayout->addWidget(new QLabel(QStringLiteral("По Умолчанию")));
    DefaultEncodingCbx = new QComboBox;
    DefaultEncodingCbx->setObjectName(QStringLiteral("DefaultEncodingCbx"));
    DefaultEncodingCbx->addItems({QStringLiteral("WIN"), QStringLiteral("KOI"), QStringLiteral("DOS"),
        QStringLiteral("ISO"), QStringLiteral("MAC"), QStringLiteral("UTF")});
    encodingLayout->addWidget(DefaultEncodingCbx);
    layout->addWidget(encoding);

    auto* log = new QGroupBox(QStringLiteral("Файл Отчета"));
    auto* logLayout = new QHBoxLayout(log);
    LoggingChk = AddCheck(logLayout, QStringLiteral("LoggingChk"), QStringLiteral("Вести"));
    logLayout->addWidget(new QLabel(QStringLiteral("Имя")));
    LoggingEdt = new QLineEdit;
    LoggingEdt->setObjectName(QStringLiteral("LoggingEdt"));
    logLayout->addWidget(LoggingEdt, 1);
    connect(LoggingChk, &QCheckBox::toggled, LoggingEdt, &QLineEdit::setEnabled);
    layout->addWidget(log);
    layout->addStretch();
    return page;
}

QWidget* TSetupFrm::BuildFilesPage()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);

    auto* masks = new QHBoxLayout;
    masks->addWidget(new QLabel(QStringLiteral("Маски Файлов При Добавлении Поддиректорий")));
    masks->addStretch();
    MasksBtn = new QPushButton(QStringLiteral("Настроить"));
    MasksBtn->setObjectName(QStringLiteral("MasksBtn"));
    connect(MasksBtn, &QPushButton::clicked, this, &TSetupFrm::MasksBtnClick);
    masks->addWidget(MasksBtn);
    layout->addLayout(masks);

    ClearListPromptChk =
        AddCheck(layout, QStringLiteral("ClearListPromptChk"), QStringLiteral("Подтверждение Очистки Списка"));
    DetectDuplicatesChk = AddCheck(layout, QStringLiteral("DetectDuplicatesChk"),
        QStringLiteral("Исключать Дубликаты (Замедляет Добавление Огромных Списков)"));

    auto* backups = new QGroupBox(QStringLiteral("Резервные Копии"));
    auto* backupsLayout = new QVBoxLayout(backups);
    OverwriteBackupChk = AddCheck(
        backupsLayout, QStringLiteral("OverwriteBackupChk"), QStringLiteral("Перезаписывать При Каждой Замене"));
    auto* root = new QHBoxLayout;
    root->addWidget(new QLabel(QStringLiteral("Место Свалки")));
    BackupRootEdt = new QLineEdit;
    BackupRootEdt->setObjectName(QStringLiteral("BackupRootEdt"));
    root->addWidget(BackupRootEdt, 1);
    BrowseBtn = new QPushButton(QStringLiteral("..."));
    BrowseBtn->setObjectName(QStringLiteral("BrowseBtn"));
    BrowseBtn->setFixedWidth(BrowseBtn->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 16);
    connect(BrowseBtn, &QPushButton::clicked, this, &TSetupFrm::BrowseBtnClick);
    root->addWidget(BrowseBtn);
    backupsLayout->addLayout(root);
    layout->addWidget(backups);
    layout->addStretch();
    return page;
}

QWidget* TSetupFrm::BuildViewPage()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);

    auto* groups = new QHBoxLayout;
    auto* keys = new QGroupBox(QStringLiteral("Клавиша Автолексемы"));
    auto* keysLayout = new QGridLayout(keys);
    AutoLexemHKy = new THotKeyEdit;
    AutoLexemHKy->setObjectName(QStringLiteral("AutoLexemHKy"));
    ImmedAutoLexemHky = new THotKeyEdit;
    ImmedAutoLexemHky->setObjectName(QStringLiteral("ImmedAutoLexemHky"));
    keysLayout->addWidget(new QLabel(QStringLiteral("С Указателем")), 0, 0);
    keysLayout->addWidget(AutoLexemHKy, 0, 1);
    keysLayout->addWidget(new QLabel(QStringLiteral("Безусловная")), 1, 0);
    keysLayout->addWidget(ImmedAutoLexemHky, 1, 1);
    groups->addWidget(keys);

    auto* histories = new QGroupBox(QStringLiteral("Списки Историй"));
    auto* historiesLayout = new QGridLayout(histories);
    LinkedPairsChk = new QCheckBox(QStringLiteral("Связанные Строки"));
    LinkedPairsChk->setObjectName(QStringLiteral("LinkedPairsChk"));
    historiesLayout->addWidget(LinkedPairsChk, 0, 0, 1, 2);
    historiesLayout->addWidget(new QLabel(QStringLiteral("Количество Строк")), 1, 0);
    HistoryLengthEdt = new QLineEdit;
    HistoryLengthEdt->setObjectName(QStringLiteral("HistoryLengthEdt"));
    HistoryLengthEdt->setMaximumWidth(HistoryLengthEdt->fontMetrics().horizontalAdvance(QStringLiteral("000000")));
    historiesLayout->addWidget(HistoryLengthEdt, 1, 1);
    groups->addWidget(histories);
    layout->addLayout(groups);

    const auto addSample = [&](const QString& name, const QString& text, QLineEdit*& sample, QPushButton*& button,
                               const QString& buttonName) {
        auto* row = new QHBoxLayout;
        sample = new QLineEdit(text);
        sample->setObjectName(name);
        sample->setReadOnly(true);
        row->addWidget(sample, 1);
        button = new QPushButton(QStringLiteral("Настроить"));
        button->setObjectName(buttonName);
        QLineEdit* target = sample;
        connect(button, &QPushButton::clicked, this, [this, target] { FontBtnClick(target); });
        row->addWidget(button);
        layout->addLayout(row);
    };
    addSample(QStringLiteral("MaskEdt"), QStringLiteral("Шрифт Маски Поиска"), MaskEdt, MaskFontBtn,
        QStringLiteral("MaskFontBtn"));
    addSample(QStringLiteral("ReplaceEdt"), QStringLiteral("Шрифт Маски Замены"), ReplaceEdt, ReplaceFontBtn,
        QStringLiteral("ReplaceFontBtn"));

    BatchReplacesChk = AddCheck(layout, QStringLiteral("BatchReplacesChk"),
        QStringLiteral("Показывать Количество Замен В Пакете В Списке Файлов"));
    layout->addStretch();
    return page;
}

QWidget* TSetupFrm::BuildAutoSavePage()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel(QStringLiteral("При Выходе Автоматически Сохранять:")));
    auto* first = new QHBoxLayout;
    AutoSaveSettingsChk = new QCheckBox(QStringLiteral("Настройки"));
    AutoSaveSettingsChk->setObjectName(QStringLiteral("AutoSaveSettingsChk"));
    first->addWidget(AutoSaveSettingsChk);
    first->addStretch();
    SaveBtn = new QPushButton(QStringLiteral("Сохранить"));
    SaveBtn->setObjectName(QStringLiteral("SaveBtn"));
    SaveBtn->setToolTip(QStringLiteral("Прямо Сейчас"));
    // Enter in the dialog means OK, not this.
    SaveBtn->setAutoDefault(false);
    connect(SaveBtn, &QPushButton::clicked, this, &TSetupFrm::SaveBtnClick);
    first->addWidget(SaveBtn);
    layout->addLayout(first);
    AutoSaveFileListChk = AddCheck(layout, QStringLiteral("AutoSaveFileListChk"), QStringLiteral("Список Файлов"));
    AutoSaveBatchChk = AddCheck(layout, QStringLiteral("AutoSaveBatchChk"), QStringLiteral("Сценарий"));
    layout->addStretch();
    return page;
}

void TSetupFrm::showEvent(QShowEvent* event)
{
    if (!event->spontaneous()) {
        FormActivate();
        if (!Centred) {
            Centred = true;
            if (const QScreen* s = screen())
                move(s->availableGeometry().center() - rect().center());
        }
    }
    QDialog::showEvent(event);
}

void TSetupFrm::FormActivate()
{
    const TSettings& s = Host.Settings();
    DetectEncodingChk->setChecked(s.DetectEncoding);
    DefaultEncodingCbx->setCurrentIndex(s.DefaultEncoding);
    LoggingChk->setChecked(s.Logging);
    LoggingEdt->setText(QString::fromStdString(s.LogFileName));
    LoggingEdt->setEnabled(s.Logging);
    ClearListPromptChk->setChecked(s.ClearListPrompt);
    DetectDuplicatesChk->setChecked(s.DetectDuplicates);
    OverwriteBackupChk->setChecked(s.OverwriteBackup);
    BackupRootEdt->setText(QString::fromStdString(Host.GetBackupRoot()));
    AutoLexemHKy->SetValue(s.AutoLexemKey);
    ImmedAutoLexemHky->SetValue(s.ImmedAutoLexemKey);
    LinkedPairsChk->setChecked(s.LinkedPairs);
    HistoryLengthEdt->setText(QString::number(s.HistoryLength));
    ShowFontSettings(MaskEdt, s.MaskFont);
    ShowFontSettings(ReplaceEdt, s.ReplaceFont);
    BatchReplacesChk->setChecked(s.BatchReplacesTable);
    AutoSaveSettingsChk->setChecked(s.AutoSaveSettings);
    AutoSaveFileListChk->setChecked(s.AutoSaveFileList);
    AutoSaveBatchChk->setChecked(s.AutoSaveBatch);
    OkBtn->setFocus();
}

TSettings TSetupFrm::DialogValues() const
{
    TSettings s = Host.Settings();
    s.DetectEncoding = DetectEncodingChk->isChecked();
    s.DefaultEncoding = DefaultEncodingCbx->currentIndex();
    s.Logging = LoggingChk->isChecked();
    s.LogFileName = LoggingEdt->text().toStdString();
    s.ClearListPrompt = ClearListPromptChk->isChecked();
    s.DetectDuplicates = DetectDuplicatesChk->isChecked();
    s.OverwriteBackup = OverwriteBackupChk->isChecked();
    s.BackupRoot = BackupRootEdt->text().toStdString();
    s.AutoLexemKey = AutoLexemHKy->Value();
    s.ImmedAutoLexemKey = ImmedAutoLexemHky->Value();
    s.LinkedPairs = LinkedPairsChk->isChecked();
    s.MaskFont = FontSettingsOf(MaskEdt);
    s.ReplaceFont = FontSettingsOf(ReplaceEdt);
    s.BatchReplacesTable = BatchReplacesChk->isChecked();
    s.AutoSaveSettings = AutoSaveSettingsChk->isChecked();
    s.AutoSaveFileList = AutoSaveFileListChk->isChecked();
    s.AutoSaveBatch = AutoSaveBatchChk->isChecked();
    return s;
}

void TSetupFrm::Apply() { Host.ApplySettings(DialogValues(), HistoryLengthEdt->text().toStdString()); }

void TSetupFrm::Open()
{
    if (Dialogs.Exec(*this) == QDialog::Accepted)
        Apply();
}

void TSetupFrm::MasksBtnClick()
{
    if (FileMaskFrm)
        Dialogs.Exec(*FileMaskFrm);
}

void TSetupFrm::BrowseBtnClick()
{
    const QString folder = Dialogs.Directory(this, QString(), QString());
    if (!folder.isEmpty())
        BackupRootEdt->setText(folder);
}

void TSetupFrm::FontBtnClick(QLineEdit* sample)
{
    QFont font = sample->font();
    QColor colour = sample->palette().color(QPalette::Text);
    if (!Dialogs.ChooseFont(this, font, colour))
        return;
    sample->setFont(font);
    QPalette palette = sample->palette();
    palette.setColor(QPalette::Text, colour);
    sample->setPalette(palette);
}

void TSetupFrm::SaveBtnClick()
{
    Apply();
    ShowingErrors(Dialogs, this, [this] { Host.SaveSettings(); });
}

void TSetupFrm::HelpBtnClick()
{
    if (Help)
        Help->ShowTopic(QStringLiteral("Setup"));
}

} // namespace tekstovar
