#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace tekstovar {

// The windows' texts and the program's bytes: one conversion each way per
// code page. Masks, scenarios and the library are WIN; paths and messages
// are UTF-8.
QString WinToQString(std::string_view win);
std::string QStringToWin(const QString& text);
QString Utf8ToQString(std::string_view utf8);
std::string QStringToUtf8(const QString& text);

// The characters of a text that WIN has no byte for, each once, in the order
// they first come; QStringToWin turns each into '?'.
QString CharsWinLacks(const QString& text);

} // namespace tekstovar
