#pragma once

#include <string>
#include <string_view>

namespace tekstovar {

// A text in any page, UTF-8 included, on its way through the engine, which
// works on byte pages. A byte-page text goes as it is. A UTF-8 text goes in
// the page it is recoded into, else in WIN, and comes back to UTF-8 with its
// byte-order mark, if it had one. A byte-page text recoded into UTF-8 goes
// in its own page and comes out in UTF-8.
struct TPagedText {
    std::string Bytes; // the text in EnginePage
    int EnginePage = -1; // the byte page the engine works in
    int EngineTarget = -1; // the byte page the engine recodes into, or -1
    int OutPage = -1; // the page of the result: -1 (EnginePage), or UTF
    bool Bom = false; // the result starts with the byte-order mark
};

// The text of page (0..5) for a run recoding into target (-1 or 0..5).
// A UTF-8 text that is malformed, or holds a character the engine's page
// lacks, throws TError saying which and where: nothing of it is converted.
TPagedText ToEngine(std::string text, int page, int target);

// The engine's result in the page the run asked for.
std::string FromEngine(std::string result, const TPagedText& paged);
// One piece of it, for a result given out piece by piece: the first piece
// carries the byte-order mark.
std::string FromEnginePiece(std::string_view piece, const TPagedText& paged, bool first);

} // namespace tekstovar
