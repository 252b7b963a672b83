#include "engine/replacemask.h"

#include <cstdint>
#include <limits>

namespace tekstovar {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsCommand(char c) { return IsDigit(c) || c == 'c' || c == 'l' || c == 'n' || c == 'r' || c == 't'; }

class TReplaceMaskCompiler {
public:
    TReplaceMaskCompiler(std::string_view mask, std::size_t lexemCount, std::string_view lineBreak)
        : Mask(mask), LexemCount(lexemCount), LineBreak(lineBreak)
    {
    }

    TReplaceProgram Compile()
    {
        std::size_t i = 0;
        while (i < Mask.size()) {
            if (Mask[i] != '\\') {
                Literal += Mask[i++];
                continue;
            }
            if (At(i + 1) == '\\') {
                Literal += '\\';
                i += 2;
                continue;
            }
            if (!Escape(i))
                return Fail();
        }
        FlushLiteral();
        return std::move(Program);
    }

private:
    char At(std::size_t i) const { return i < Mask.size() ? Mask[i] : '\0'; }

    // Reads the escape whose backslash is at i; false on a fault.
    bool Escape(std::size_t& i)
    {
        std::string modifier;
        std::size_t k = i + 1;
        if (At(k) == '"') {
            if (!ReadModifier(++k, modifier, true))
                return false;
        } else if (!IsCommand(At(k))) {
            if (!ReadModifier(k, modifier, false))
                return false;
        }
        if (k >= Mask.size())
            return false; // the mask ends where a command should stand
        const char command = Mask[k++];
        if (IsDigit(command))
            return Reference(--k, modifier, i);
        switch (command) {
        case 'c':
            FlushLiteral();
            Program.Ops.push_back({TReplaceOp::TKind::Counter, {}, 0});
            break;
        case 'l': Literal += '\n'; break;
        case 'n': Literal += LineBreak; break;
        case 'r': Literal += '\r'; break;
        case 't': Literal += '\t'; break;
        default: break; // any other character after a quoted modifier is dropped
        }
        i = k;
        return true;
    }

    // Reads a modifier from k; a quoted one ends at its closing quote, an
    // unquoted one before the first command character. \" stands for ".
    bool ReadModifier(std::size_t& k, std::string& modifier, bool quoted)
    {
        while (k < Mask.size()) {
            const char c = Mask[k];
            if (c == '\\' && At(k + 1) == '"') {
                modifier += '"';
                k += 2;
                continue;
            }
            if (quoted && c == '"') {
                ++k;
                return true;
            }
            if (!quoted && IsCommand(c))
                return true;
            modifier += c;
            ++k;
        }
        return false;
    }

    bool Reference(std::size_t k, std::string& modifier, std::size_t& i)
    {
        std::int64_t number = 0;
        while (IsDigit(At(k))) {
            number = number * 10 + (Mask[k++] - '0');
            if (number > std::numeric_limits<std::int32_t>::max())
                return false;
        }
        if (At(k) == ';')
            ++k;
        if (number < 1 || static_cast<std::uint64_t>(number) > LexemCount)
            return false;
        FlushLiteral();
        Program.Ops.push_back(
            {TReplaceOp::TKind::Reference, std::move(modifier), static_cast<std::size_t>(number - 1)});
        i = k;
        return true;
    }

    void FlushLiteral()
    {
        if (Literal.empty())
            return;
        Program.Ops.push_back({TReplaceOp::TKind::Literal, std::move(Literal), 0});
        Literal.clear();
    }

    TReplaceProgram Fail()
    {
        FlushLiteral();
        Program.Ops.push_back({TReplaceOp::TKind::Fail, {}, 0});
        return std::move(Program);
    }

    std::string_view Mask;
    std::size_t LexemCount;
    std::string_view LineBreak;
    std::string Literal;
    TReplaceProgram Program;
};

} // namespace

TReplaceProgram CompileReplaceMask(std::string_view mask, std::size_t lexemCount, std::string_view lineBreak)
{
    return TReplaceMaskCompiler(mask, lexemCount, lineBreak).Compile();
}

} // namespace tekstovar
