#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tekstovar {

// One instruction of a replace mask, read once and then run for every match.
struct TReplaceOp {
    enum class TKind { Literal, Reference, Counter, Fail };
    TKind Kind = TKind::Literal;
    std::string Text; // the literal text, or the reference's modifier
    std::size_t Lexem = 0; // reference: 0-based index of the top-level lexem
};

// A replace mask read into instructions. A fault in the mask becomes a Fail
// instruction at the place where reading stops, so that everything before it
// is still inserted and counted as the mask is read.
struct TReplaceProgram {
    std::vector<TReplaceOp> Ops;
};

// lexemCount: the number of top-level lexems references may name;
// lineBreak: what \n inserts.
TReplaceProgram CompileReplaceMask(std::string_view mask, std::size_t lexemCount, std::string_view lineBreak);

} // namespace tekstovar
