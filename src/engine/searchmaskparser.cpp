#include "engine/searchmaskparser.h"

#include "common/error.h"
#include "engine/containers.h"
#include "engine/messages.h"
#include "engine/simplelexems.h"

namespace tekstovar {

namespace {

class TSearchMaskParser {
public:
    TSearchMaskParser(std::string_view mask, int encoding, std::string& errorText, TSearchOptions options)
        : Mask(mask), Encoding(encoding), ErrorText(errorText), Options(options)
    {
    }

    std::vector<std::unique_ptr<TLexem>> Parse()
    {
        const auto length = static_cast<int>(Mask.size());
        int i = 1;
        for (; i <= length; ++i) {
            const char c = At(i);
            if (c != '\\') {
                Run += c;
                continue;
            }
            if (At(i + 1) == '\\') {
                Run += '\\';
                ++i;
                continue;
            }
            EndRun(i);
            int j = i + 1;
            for (;; ++j) {
                const char prefix = At(j);
                if (prefix == '!')
                    IgnoreCase = true;
                else if (prefix == '+')
                    Repeated = true;
                else if (prefix == '-')
                    Positive = false;
                else
                    break;
            }
            Command(At(j), i, j);
            i = j;
        }
        EndRun(i);
        if (!Stack.empty())
            throw TError(messages::UnclosedBracket);
        return std::move(Lexems);
    }

private:
    // The mask character at 1-based i; past the end, the terminator.
    char At(int i) const { return i >= 1 && i <= static_cast<int>(Mask.size()) ? Mask[i - 1] : '\0'; }

    void Command(char command, int i, int j)
    {
        switch (command) {
        case '*': Place(std::make_unique<TStarLexem>(i, Positive, Repeated, Encoding)); break;
        case '?': Place(std::make_unique<TSymbolLexem>(i, Positive, Repeated, Encoding)); break;
        case 'A': Place(std::make_unique<TLetterLexem>(i, Positive, Repeated, Encoding)); break;
        case '9': Place(std::make_unique<TDigitLexem>(i, Positive, Repeated, Encoding)); break;
        case '.': Place(std::make_unique<TSignLexem>(i, Positive, Repeated, Encoding)); break;
        case '_': Place(std::make_unique<TBlankLexem>(i, Positive, Repeated, Encoding)); break;
        case 'n': Place(std::make_unique<TCRLFLexem>(i, Positive, Repeated, Encoding)); break;
        case '[': Place(std::make_unique<TSetLexem>(i, Positive, Repeated, Encoding)); break;
        case '{': Place(std::make_unique<TBlockLexem>(i, Positive, Repeated, Encoding, Options)); break;
        case '(': Place(std::make_unique<TContext>(i, Positive, Repeated, Encoding, Options)); break;
        case ']': Close<TSetLexem>(messages::NoOpeningSet, j); break;
        case '}': Close<TBlockLexem>(messages::NoOpeningBlock, j); break;
        case ')': Close<TContext>(messages::NoOpeningContext, j); break;
        case 'T': break;
        default: Run.assign(1, command); break;
        }
    }

    void EndRun(int i)
    {
        if (Run.empty())
            return;
        const int maskPos = i - static_cast<int>(Run.size());
        Place(std::make_unique<TTextLexem>(std::move(Run), maskPos, Positive, Repeated, IgnoreCase, Encoding));
        Run.clear();
    }

    void Place(std::unique_ptr<TLexem> lexem)
    {
        auto* container = dynamic_cast<TContainerLexem*>(lexem.get());
        if (container || lexem->IsRepeated())
            if (++Structural > MaxRunsAndBrackets)
                throw TError(messages::MaskTooComplex);
        if (Stack.empty())
            Lexems.push_back(std::move(lexem));
        else
            Stack.back()->Add(std::move(lexem));
        if (container) {
            if (static_cast<int>(Stack.size()) >= MaxBracketNesting)
                throw TError(messages::NestingTooDeep);
            Stack.push_back(container);
        }
        ResetFlags();
    }

    template <class TContainer> void Close(const char* message, int j)
    {
        if (Stack.empty() || !dynamic_cast<TContainer*>(Stack.back())) {
            ErrorText = message + std::to_string(j - 1) + ")";
            return;
        }
        TContainerLexem* closed = Stack.back();
        Stack.pop_back();
        // A group that turned out to repeat makes its enclosing set or group
        // a run as well, as if it had been repeated when it was added.
        if (closed->IsRepeated() && !Stack.empty())
            Stack.back()->ChildBecameRepeated();
        ResetFlags();
    }

    void ResetFlags()
    {
        Positive = true;
        Repeated = false;
        IgnoreCase = false;
    }

    std::string_view Mask;
    int Encoding;
    std::string& ErrorText;
    TSearchOptions Options;
    std::string Run;
    bool Positive = true;
    bool Repeated = false;
    bool IgnoreCase = false;
    int Structural = 0;
    std::vector<TContainerLexem*> Stack;
    std::vector<std::unique_ptr<TLexem>> Lexems;
};

} // namespace

std::vector<std::unique_ptr<TLexem>> ParseSearchMaskText(
    std::string_view mask, int encoding, std::string& errorText, TSearchOptions options)
{
    return TSearchMaskParser(mask, encoding, errorText, options).Parse();
}

} // namespace tekstovar
