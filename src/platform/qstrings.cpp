#include "platform/qstrings.h"

#include "platform/winunicode.h"

namespace tekstovar {

QString WinToQString(std::string_view win) { return Utf8ToQString(WinToUtf8(win)); }

std::string QStringToWin(const QString& text) { return Utf8ToWin(QStringToUtf8(text)); }

QString Utf8ToQString(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string QStringToUtf8(const QString& text) { return text.toStdString(); }

} // namespace tekstovar
