#include "dialogs/viewfrm.h"

#include "common/error.h"
#include "dialogs/centre.h"
#include "engine/maskedreplacer.h"
#include "engine/masktext.h"
#include "platform/qstrings.h"
#include "platform/winunicode.h"

#include <QBoxLayout>
#include <QDrag>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>

#include <array>

namespace tekstovar {

namespace {

// Marks a drag of lexem references; the data names the widget it left.
QString LexemDragFormat() { return QStringLiteral("application/x-tekstovar-lexem-references"); }

QByteArray SourceTag(const QObject* source)
{
    return QByteArray::number(static_cast<qulonglong>(reinterpret_cast<quintptr>(source)));
}

// The keys of the Russian layout's letters, А to Я, by the virtual-key code
// of the key (the Latin letter or the punctuation key it shares).
constexpr std::array<std::uint8_t, 32> CyrillicKeys = {
    'F', 0xBC, 'D', 'U', 'L', 'T', 0xBA, 'P', 'B', 'Q', 'R', 'K', 'V', 'Y', 'J', 'G', // А..П
    'H', 'C', 'N', 'E', 'A', 0xDB, 'W', 'X', 'I', 'O', 0xDD, 'S', 'M', 0xDE, 0xBE, 'Z', // Р..Я
};

int VirtualKey(int key, bool keypad)
{
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return key;
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return keypad ? 0x60 + (key - Qt::Key_0) : key;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return 0x70 + (key - Qt::Key_F1);
    // Qt names a letter key by the upper-case letter of the current layout;
    // with Ctrl held it already gives the Latin one.
    if (key >= 0x0410 && key <= 0x044F)
        return CyrillicKeys[static_cast<std::size_t>((key - 0x0410) % 32)];
    if (key == 0x0401 || key == 0x0451) // Ё
        return 0xC0;
    if (keypad) {
        switch (key) {
        case Qt::Key_Asterisk: return 0x6A;
        case Qt::Key_Plus: return 0x6B;
        case Qt::Key_Minus: return 0x6D;
        case Qt::Key_Period: return 0x6E;
        case Qt::Key_Slash: return 0x6F;
        default: break;
        }
    }
    switch (key) {
    case Qt::Key_Backspace: return 0x08;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return 0x09;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 0x0D;
    case Qt::Key_Pause: return 0x13;
    case Qt::Key_Escape: return 0x1B;
    case Qt::Key_Space: return 0x20;
    case Qt::Key_PageUp: return 0x21;
    case Qt::Key_PageDown: return 0x22;
    case Qt::Key_End: return 0x23;
    case Qt::Key_Home: return 0x24;
    case Qt::Key_Left: return 0x25;
    case Qt::Key_Up: return 0x26;
    case Qt::Key_Right: return 0x27;
    case Qt::Key_Down: return 0x28;
    case Qt::Key_Print: return 0x2C;
    case Qt::Key_Insert: return 0x2D;
    case Qt::Key_Delete: return 0x2E;
    // Shift turns the top row into these; the code is that of the key.
    case Qt::Key_ParenRight: return '0';
    case Qt::Key_Exclam: return '1';
    case Qt::Key_At: return '2';
    case Qt::Key_NumberSign: return '3';
    case Qt::Key_Dollar: return '4';
    case Qt::Key_Percent: return '5';
    case Qt::Key_AsciiCircum: return '6';
    case Qt::Key_Ampersand: return '7';
    case Qt::Key_Asterisk: return '8';
    case Qt::Key_ParenLeft: return '9';
    case Qt::Key_Semicolon:
    case Qt::Key_Colon: return 0xBA;
    case Qt::Key_Equal:
    case Qt::Key_Plus: return 0xBB;
    case Qt::Key_Comma:
    case Qt::Key_Less: return 0xBC;
    case Qt::Key_Minus:
    case Qt::Key_Underscore: return 0xBD;
    case Qt::Key_Period:
    case Qt::Key_Greater: return 0xBE;
    case Qt::Key_Slash:
    case Qt::Key_Question: return 0xBF;
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde: return 0xC0;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft: return 0xDB;
    case Qt::Key_Backslash:
    case Qt::Key_Bar: return 0xDC;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight: return 0xDD;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl: return 0xDE;
    default: return 0;
    }
}

// The position in the WIN bytes of `text` of its UTF-16 position: a
// character outside the BMP is two units here and one byte there.
int WinPosition(const QString& text, int position)
{
    int result = 0;
    for (int i = 0; i < position && i < text.size(); ++i)
        if (!(text[i].isLowSurrogate() && i > 0 && text[i - 1].isHighSurrogate()))
            ++result;
    return result;
}

QString ReferencesOf(const std::string& winMask, int winStart, int winEnd)
{
    const TMaskedReplacer replacer(std::string(), winMask, std::string(), 0, -1);
    const std::string references = replacer.ReferencesForRange(winStart + 1, winEnd - winStart);
    return QString::fromLatin1(references.data(), static_cast<qsizetype>(references.size()));
}

// Qt text boxes hold LF alone; the masks' line breaks are CR LF.
QString WithCrLf(const QString& text)
{
    QString result = text;
    result.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return result;
}

int CrLfPosition(const QString& text, int position)
{
    return position + static_cast<int>(QStringView(text).left(position).count(QLatin1Char('\n')));
}

QLabel* CaptionStrip(const QString& caption, int height, QWidget* parent)
{
    auto* label = new QLabel(caption, parent);
    label->setFixedHeight(height);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Raised);
    return label;
}

QPlainTextEdit* Memo(const QString& name, QPlainTextEdit::LineWrapMode wrap, QWidget* parent)
{
    auto* memo = new QPlainTextEdit(parent);
    memo->setObjectName(name);
    memo->setLineWrapMode(wrap);
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Drags land on the viewport, where the memos check where they come from.
    memo->viewport()->setAcceptDrops(true);
    return memo;
}

} // namespace

std::uint16_t KeyCombination(int key, Qt::KeyboardModifiers modifiers)
{
    const int code = VirtualKey(key, modifiers.testFlag(Qt::KeypadModifier));
    if (code == 0)
        return 0;
    int combination = code;
    if (modifiers.testFlag(Qt::ShiftModifier))
        combination += 0x2000;
    if (modifiers.testFlag(Qt::ControlModifier))
        combination += 0x4000;
    if (modifiers.testFlag(Qt::AltModifier))
        combination += 0x8000;
    return static_cast<std::uint16_t>(combination);
}

std::uint16_t KeyCombination(const QKeyEvent& event) { return KeyCombination(event.key(), event.modifiers()); }

QString LexemReferences(const QString& mask, int start, int length)
{
    return ReferencesOf(QStringToWin(mask), WinPosition(mask, start), WinPosition(mask, start + length));
}

QString MultiLineLexemReferences(const QString& text, int start, int length)
{
    const QString crLf = WithCrLf(text);
    // LineBreaksToEscapes keeps the length, so CR LF positions are mask
    // positions.
    const std::string mask = LineBreaksToEscapes(QStringToWin(crLf));
    return ReferencesOf(
        mask, WinPosition(crLf, CrLfPosition(text, start)), WinPosition(crLf, CrLfPosition(text, start + length)));
}

// The conversions work on UTF-8: backslash, n, CR and LF are single bytes
// there that no other character contains, and the masks keep characters that
// WIN cannot hold until they go to the engine.
QString MaskToMultiLine(const QString& mask)
{
    const std::string lines = EscapesToLineBreaks(mask.toUtf8().toStdString());
    QString result = QString::fromUtf8(lines.data(), static_cast<qsizetype>(lines.size()));
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return result;
}

QString MultiLineToMask(const QString& text)
{
    const std::string mask = LineBreaksToEscapes(WithCrLf(text).toUtf8().toStdString());
    return QString::fromUtf8(mask.data(), static_cast<qsizetype>(mask.size()));
}

void StartLexemDrag(QWidget* source, const QString& references, const std::function<void(QDrag&)>& run)
{
    auto* mime = new QMimeData;
    mime->setText(references);
    mime->setData(LexemDragFormat(), SourceTag(source));
    // Qt deletes a drag it has run; one that a test ran is ours to delete.
    auto* drag = new QDrag(source);
    drag->setMimeData(mime);
    if (run) {
        run(*drag);
        drag->deleteLater();
    } else
        drag->exec(Qt::CopyAction);
}

bool IsLexemDragFrom(const QMimeData* mime, const QObject* source)
{
    return mime && mime->hasFormat(LexemDragFormat()) && mime->data(LexemDragFormat()) == SourceTag(source);
}

TViewFrm::TViewFrm(QWidget* parent) : QDialog(parent), Dialogs(DesktopDialogs) { Build(); }

TViewFrm::TViewFrm(TDialogs& dialogs, QWidget* parent) : QDialog(parent), Dialogs(dialogs) { Build(); }

TViewFrm::~TViewFrm() = default;

void TViewFrm::Build()
{
    setObjectName(QStringLiteral("ViewFrm"));
    setWindowTitle(QStringLiteral("Маски"));
    setSizeGripEnabled(true);

    MasksSpl = new QSplitter(Qt::Vertical, this);
    MasksSpl->setObjectName(QStringLiteral("MasksSpl"));
    MasksSpl->setHandleWidth(3);
    MasksSpl->setChildrenCollapsible(false);

    // One pane per mask: its caption strip over its memo.
    auto pane = [this](const QString& caption, int stripHeight, const QString& name, QPlainTextEdit::LineWrapMode wrap,
                    QPlainTextEdit*& memo) {
        auto* widget = new QWidget(MasksSpl);
        auto* layout = new QVBoxLayout(widget);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        layout->addWidget(CaptionStrip(caption, stripHeight, widget));
        memo = Memo(name, wrap, widget);
        layout->addWidget(memo);
        return widget;
    };
    QWidget* maskPane =
        pane(QStringLiteral("Маска Поиска"), 17, QStringLiteral("MaskMmo"), QPlainTextEdit::NoWrap, MaskMmo);
    QWidget* replacePane =
        pane(QStringLiteral("Маска Замены"), 18, QStringLiteral("ReplaceMmo"), QPlainTextEdit::WidgetWidth, ReplaceMmo);

    MasksSpl->addWidget(maskPane);
    MasksSpl->addWidget(replacePane);
    // The replace mask takes what the search mask leaves.
    MasksSpl->setStretchFactor(0, 0);
    MasksSpl->setStretchFactor(1, 1);

    OkBtn = new QPushButton(QStringLiteral("Угу"), this);
    OkBtn->setObjectName(QStringLiteral("OkBtn"));
    OkBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Отмена"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setAutoDefault(false);
    connect(OkBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    auto* bottom = new QWidget(this);
    bottom->setFixedHeight(36);
    auto* buttons = new QHBoxLayout(bottom);
    buttons->addStretch();
    buttons->addWidget(OkBtn);
    buttons->addWidget(CancelBtn);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(MasksSpl, 1);
    layout->addWidget(bottom);

    resize(414, 377);
    MasksSpl->setSizes({17 + 138, 377 - 36 - 17 - 138 - 3});

    for (QPlainTextEdit* memo : {MaskMmo, ReplaceMmo}) {
        memo->installEventFilter(this);
        memo->viewport()->installEventFilter(this);
    }
}

bool TViewFrm::Edit(QString& searchMask, QString& replaceMask, std::uint16_t autoLexemKey, std::uint16_t immediateKey)
{
    AutoLexemKey = autoLexemKey;
    ImmediateKey = immediateKey;
    MaskMmo->setPlainText(MaskToMultiLine(searchMask));
    ReplaceMmo->setPlainText(MaskToMultiLine(replaceMask));
    if (!Placed) {
        // Later openings keep wherever the user moved the window.
        CentreOnScreen(this);
        Placed = true;
    }
    if (Dialogs.Exec(*this) != QDialog::Accepted)
        return false;
    searchMask = MultiLineToMask(MaskMmo->toPlainText());
    replaceMask = MultiLineToMask(ReplaceMmo->toPlainText());
    return true;
}

bool TViewFrm::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        MaskMmo->setFocus();
    return QDialog::event(event);
}

bool TViewFrm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && (watched == MaskMmo || watched == ReplaceMmo)) {
        const auto& key = static_cast<const QKeyEvent&>(*event);
        if (key.key() == Qt::Key_Escape) {
            reject();
            return true;
        }
        if (watched == MaskMmo)
            MaskMmoKeyDown(key);
        return false;
    }
    if (watched == MaskMmo->viewport() || watched == ReplaceMmo->viewport())
        return ReplaceMmoDragOver(watched, event);
    return QDialog::eventFilter(watched, event);
}

void TViewFrm::MaskMmoKeyDown(const QKeyEvent& event)
{
    const std::uint16_t combination = KeyCombination(event);
    if (combination == 0)
        return;
    // Both checks: the two settings may hold the same combination.
    if (combination == AutoLexemKey) {
        QString references;
        if (!SelectionReferences(references))
            return;
        PendingReferences = references;
        StartLexemDrag(MaskMmo, references, RunDrag);
    }
    if (combination == ImmediateKey) {
        QString references;
        if (!SelectionReferences(references))
            return;
        QTextCursor end = ReplaceMmo->textCursor();
        end.movePosition(QTextCursor::End);
        end.insertText(references);
    }
}

bool TViewFrm::SelectionReferences(QString& references)
{
    const QTextCursor cursor = MaskMmo->textCursor();
    return ShowingErrors(Dialogs, this, [&] {
        references = MultiLineLexemReferences(
            MaskMmo->toPlainText(), cursor.selectionStart(), cursor.selectionEnd() - cursor.selectionStart());
    });
}

bool TViewFrm::ReplaceMmoDragOver(QObject* watched, QEvent* event)
{
    return FilterLexemDrop(
        watched, event, MaskMmo, ReplaceMmo->viewport(), [this](QDropEvent& drop) { ReplaceMmoDragDrop(drop); });
}

void TViewFrm::ReplaceMmoDragDrop(QDropEvent& event)
{
    ReplaceMmo->setFocus();
    // Where a click at the drop point would put the caret; no selection.
    ReplaceMmo->setTextCursor(ReplaceMmo->cursorForPosition(event.position().toPoint()));
    ReplaceMmo->insertPlainText(PendingReferences);
    event.acceptProposedAction();
}

bool FilterLexemDrop(QObject* watched, QEvent* event, const QObject* source, const QObject* target,
    const std::function<void(QDropEvent&)>& drop)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (IsLexemDragFrom(drag->mimeData(), source))
            drag->acceptProposedAction();
        else
            drag->ignore();
        return true;
    }
    case QEvent::Drop: {
        auto* dropped = static_cast<QDropEvent*>(event);
        if (watched == target && IsLexemDragFrom(dropped->mimeData(), source))
            drop(*dropped);
        else
            dropped->ignore();
        return true;
    }
    default: return false;
    }
}

} // namespace tekstovar
