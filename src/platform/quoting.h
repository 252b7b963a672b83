#pragma once

#include <string>
#include <string_view>

namespace tekstovar {

// File names in lines that others read back: a name may hold any byte but
// "/" and NUL, and a line break or tab in it must not split the line.
//
// A name that needs nothing stays as it is. One that holds a control
// character (C0, DEL, C1), a backslash, a double quote or bytes that are not
// UTF-8 is written in double quotes, C style: \n \t \r \\ \" and \ooo (three
// octal digits) for every other control byte and every byte that is not part
// of a UTF-8 character. `always` quotes a name that needs nothing too.
std::string QuoteName(std::string_view name, bool always = false);

// A message that may hold names, kept to one line: control bytes and bytes
// that are not UTF-8 escaped as above, no quotes added, backslashes and
// quotes left as they are (names in it are quoted already where needed).
std::string OneLine(std::string_view text);

// The same two in WIN for the log, readable whatever the name holds: a
// character WIN has is its WIN byte, one WIN lacks is \uXXXX (\UXXXXXXXX
// above U+FFFF) and makes QuoteNameWin quote the name; a C1 control
// character is \u0080 to \u009F; \ooo is a byte of the name that is not
// UTF-8. Nothing is dropped and nothing fails.
std::string QuoteNameWin(std::string_view utf8Name);
std::string OneLineWin(std::string_view utf8Text);

} // namespace tekstovar
