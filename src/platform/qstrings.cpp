#include "platform/qstrings.h"

#include "platform/winunicode.h"

#include <QList>

namespace tekstovar {

QString WinToQString(std::string_view win) { return Utf8ToQString(WinToUtf8(win)); }

std::string QStringToWin(const QString& text) { return Utf8ToWin(QStringToUtf8(text)); }

QString Utf8ToQString(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string QStringToUtf8(const QString& text) { return text.toStdString(); }

QString CharsWinLacks(const QString& text)
{
    QString lacking;
    for (char32_t c : text.toUcs4()) {
        const QString one = QString::fromUcs4(&c, 1);
        if (c != U'?' && WinFromUnicode(c) == '?' && !lacking.contains(one))
            lacking += one;
    }
    return lacking;
}

} // namespace tekstovar
