#include "engine/maskedreplacer.h"

#include "common/error.h"
#include "encodings/codepages.h"
#include "encodings/recode.h"
#include "engine/containers.h"
#include "engine/leadingscan.h"
#include "engine/masktext.h"
#include "engine/messages.h"
#include "engine/searchmaskparser.h"

#include <string_view>

namespace tekstovar {

namespace {

constexpr TPos ProgressInterval = 500;

// The first break in the text: CR LF, LF CR, LF or CR; LF, the break of
// text files here, when there is none.
std::string LineBreakOf(std::string_view text)
{
    const auto at = text.find_first_of("\r\n");
    if (at == std::string_view::npos)
        return "\n";
    const char c = text[at];
    const char next = at + 1 < text.size() ? text[at + 1] : '\0';
    std::string lineBreak(1, c);
    if (c == '\n' && next == '\r')
        lineBreak += '\r';
    else if (c == '\r' && next == '\n')
        lineBreak += '\n';
    return lineBreak;
}

} // namespace

TMaskedReplacer::TMaskedReplacer(std::string text, std::string searchMask, std::string replaceMask, int sourceEncoding,
    int targetEncoding, TSearchOptions options)
    : Options(options)
{
    SetText(std::move(text));
    LineBreakValue = LineBreakOf(TextValue); // the lexems get it once parsed
    ReplaceMaskValue = std::move(replaceMask);
    RecodeString(ReplaceMaskValue, EncodingWin, sourceEncoding);
    SourceEncodingValue = sourceEncoding;
    TargetEncodingValue = targetEncoding;
    SearchMaskValue = std::move(searchMask);
    ParseSearchMask();
}

TMaskedReplacer::TMaskedReplacer(std::string text, std::vector<TLexem*> lexems, std::string replaceMask,
    std::string lineBreak, TSearchOptions options)
    : Options(options)
{
    SetText(std::move(text));
    ReplaceMaskValue = std::move(replaceMask);
    LexemList = std::move(lexems);
    OwnsLexemsValue = false;
    Tree = BuildSearchTree(LexemList, Options);
    UseLineBreak(std::move(lineBreak));
}

TMaskedReplacer::~TMaskedReplacer()
{
    Tree.reset(); // the tree refers to the lexems: free it first
}

std::unique_ptr<TMaskedReplacer> TMaskedReplacer::Create(std::string text, std::string searchMask,
    std::string replaceMask, int sourceEncoding, int targetEncoding, TSearchOptions options)
{
    return std::make_unique<TMaskedReplacer>(
        std::move(text), std::move(searchMask), std::move(replaceMask), sourceEncoding, targetEncoding, options);
}

std::unique_ptr<TMaskedReplacer> TMaskedReplacer::CreateBorrowing(std::string_view text, std::string searchMask,
    std::string replaceMask, int sourceEncoding, int targetEncoding, TSearchOptions options)
{
    auto replacer =
        Create(std::string(), std::move(searchMask), std::move(replaceMask), sourceEncoding, targetEncoding, options);
    replacer->BorrowText(text);
    replacer->TakeLineBreakFromText();
    return replacer;
}

std::unique_ptr<TMaskedReplacer> TMaskedReplacer::CreateForLexems(std::string text, std::vector<TLexem*> lexems,
    std::string replaceMask, std::string lineBreak, TSearchOptions options)
{
    return std::make_unique<TMaskedReplacer>(
        std::move(text), std::move(lexems), std::move(replaceMask), std::move(lineBreak), options);
}

void TMaskedReplacer::TakeLineBreakFromText() { UseLineBreak(LineBreakOf(TextValue)); }

void TMaskedReplacer::UseLineBreak(std::string lineBreak)
{
    LineBreakValue = std::move(lineBreak);
    CompiledMaskValid = false; // the program holds the break written by \n
    HandLineBreakToLexems();
}

void TMaskedReplacer::HandLineBreakToLexems()
{
    for (TLexem* lexem : LexemList)
        lexem->SetLineBreak(LineBreakValue);
}

void TMaskedReplacer::ParseSearchMask()
{
    if (SearchMaskValue.empty())
        return;
    Tree.reset();
    LexemList.clear();
    OwnedLexems.clear();
    CompiledMaskValid = false;
    Scan.reset();
    OwnedLexems = ParseSearchMaskText(SearchMaskValue, SourceEncodingValue, ErrorTextValue, Options);
    for (auto& lexem : OwnedLexems)
        LexemList.push_back(lexem.get());
    HandLineBreakToLexems(); // new contexts know nothing of the text yet
    Tree = BuildSearchTree(LexemList, Options);
}

void TMaskedReplacer::SetText(std::string text)
{
    OwnedText = std::move(text);
    BorrowText(OwnedText);
}

void TMaskedReplacer::BorrowText(std::string_view text)
{
    if (text.data() != OwnedText.data())
        OwnedText = std::string(); // its memory goes now, not with the replacer
    TextValue = text;
    SizeValue = static_cast<TPos>(TextValue.size());
    CandidateFrom = 1;
    Candidate = 0;
}

void TMaskedReplacer::SetPosition(TPos p)
{
    Position = p;
    // A position never rests on the LF of a CR LF pair.
    if (p > 1 && p <= SizeValue && TextValue[p - 1] == '\n' && TextValue[p - 2] == '\r')
        Position = p + 1;
}

void TMaskedReplacer::SetSourceEncoding(int encoding)
{
    if (encoding == SourceEncodingValue)
        return;
    std::string mask = ReplaceMaskValue;
    RecodeString(mask, SourceEncodingValue, encoding);
    SetReplaceMask(std::move(mask));
    SourceEncodingValue = encoding;
    ParseSearchMask();
}

void TMaskedReplacer::SetReplaceMask(std::string mask)
{
    ReplaceMaskValue = std::move(mask);
    CompiledMaskValid = false;
}

TLexem* TMaskedReplacer::LexemAt(std::size_t index) const
{
    if (index >= LexemList.size())
        throw TError(messages::NoSuchLexem);
    return LexemList[index];
}

std::string TMaskedReplacer::ReferencesForRange(int start, int length) const
{
    return tekstovar::ReferencesForRange(LexemList, start, length);
}

void TMaskedReplacer::Notify()
{
    if (OnProgress)
        OnProgress(*this);
}

bool TMaskedReplacer::Recodes() const
{
    return TargetEncodingValue != EncodingNone && TargetEncodingValue != SourceEncodingValue;
}

bool TMaskedReplacer::Start()
{
    Runs.clear();
    BufferMark = Gathered = 0;
    if (!Tree && !Recodes()) {
        if (Streams()) {
            ResultValue.clear();
            AppendText(0, TextValue.size());
            PassResult(true);
        } else
            ResultValue = TextValue;
        return false;
    }
    ResultValue.clear();
    if (Tree) {
        // Room for the text and some growth: one allocation for most runs.
        // A result that goes out in pieces grows to a piece by itself, and a
        // context's nested replacement takes what it needs: reserving a
        // text's size at each of many nested levels would add up.
        if (!Streams() && OwnsLexemsValue)
            ResultValue.reserve(static_cast<std::size_t>(SizeValue + SizeValue / 8 + 64));
        Tree->ForgetText(); // what the tree remembers belongs to another text
        Scan = std::make_unique<TLeadingScan>(LexemList.front()->LeadingChars());
    }
    CandidateFrom = 1;
    Candidate = 0;
    CounterValue = 0;
    ReplaceCountValue = 0;
    MatchCountValue = 0;
    CopiedUpTo = 1;
    SetPosition(0);
    Notify();
    SetPosition(1);
    return true;
}

bool TMaskedReplacer::SkipToCandidate()
{
    if (!Scan || !Scan->Useful())
        return false;
    if (!(CandidateFrom <= Position && Position <= Candidate)) {
        Candidate = Scan->Next(TextValue, Position);
        CandidateFrom = Position;
    }
    if (Candidate <= Position)
        return false;
    // Go no further than the next multiple of the progress interval, so that
    // notifications come where a position-by-position scan makes them.
    const TPos boundary = (Position / ProgressInterval + 1) * ProgressInterval;
    SetPosition(std::min(Candidate, boundary));
    if (Position % ProgressInterval == 0)
        Notify();
    return true;
}

void TMaskedReplacer::Step()
{
    if (!Tree) {
        SetPosition(SizeValue + 1);
        return;
    }
    if (!Options.PlainMatching && Position <= SizeValue && SkipToCandidate())
        return;
    if (Tree->Match(TextValue, Position)) {
        const TPos length = Tree->MatchLength;
        ++MatchCountValue;
        if (Position > CopiedUpTo)
            AppendText(static_cast<std::size_t>(CopiedUpTo - 1), static_cast<std::size_t>(Position - CopiedUpTo));
        AppendReplacement(ResultValue, true);
        PassResult(false);
        if (length == 0 && Position <= SizeValue) {
            // An empty match inside the text: the replacement goes in and the
            // scan moves on, the character here stays as unmatched text.
            CopiedUpTo = Position;
            SetPosition(Position + 1);
        } else {
            SetPosition(Position + length);
            CopiedUpTo = Position;
        }
    } else
        SetPosition(Position + 1);
    if (Position % ProgressInterval == 0)
        Notify();
}

void TMaskedReplacer::FinishText()
{
    if (CopiedUpTo <= SizeValue)
        AppendText(static_cast<std::size_t>(CopiedUpTo - 1), static_cast<std::size_t>(SizeValue - CopiedUpTo + 1));
    if (Streams())
        PassResult(true);
    else if (Recodes())
        RecodeString(ResultValue, SourceEncodingValue, TargetEncodingValue);
}

void TMaskedReplacer::AppendText(std::size_t from, std::size_t length)
{
    if (!Streams()) {
        ResultValue.append(TextValue, from, length);
        return;
    }
    if (Gathers()) {
        CloseBufferRun();
        Runs.push_back({true, from, length});
        Gathered += length;
        PassResult(false);
        return;
    }
    // A long stretch goes piece by piece; one that needs no recoding goes
    // straight from the text, without a copy. A nested replacement hands on
    // at once whatever it has: its owner gathers the pieces.
    while (length > 0) {
        if (!Recodes() && (length >= ResultPieceSize || !OwnsLexemsValue)) {
            PassResult(true);
            const std::size_t part = OwnsLexemsValue ? length - length % ResultPieceSize : length;
            for (std::size_t at = from; at < from + part; at += ResultPieceSize)
                Emit(TextValue.substr(at, std::min(ResultPieceSize, from + part - at)));
            from += part;
            length -= part;
            continue;
        }
        const std::size_t room = ResultPieceSize - std::min(ResultValue.size(), ResultPieceSize);
        const std::size_t part = std::min(length, std::max<std::size_t>(room, 1));
        ResultValue.append(TextValue, from, part);
        from += part;
        length -= part;
        PassResult(false);
    }
}

void TMaskedReplacer::Emit(std::string_view piece)
{
    if (ResultSink)
        ResultSink(piece);
    else {
        RunViews.assign(1, piece);
        ResultGather(RunViews);
    }
}

void TMaskedReplacer::CloseBufferRun()
{
    if (ResultValue.size() > BufferMark) {
        Runs.push_back({false, BufferMark, ResultValue.size() - BufferMark});
        Gathered += ResultValue.size() - BufferMark;
        BufferMark = ResultValue.size();
    }
}

void TMaskedReplacer::PassResult(bool all)
{
    if (Gathers()) {
        CloseBufferRun();
        if (Runs.empty() || (!all && Gathered < ResultPieceSize))
            return;
        RunViews.clear();
        for (const TRun& run : Runs)
            RunViews.push_back((run.InText ? TextValue : std::string_view(ResultValue)).substr(run.From, run.Length));
        ResultGather(RunViews);
        Runs.clear();
        ResultValue.clear();
        BufferMark = Gathered = 0;
        return;
    }
    const std::size_t gather = OwnsLexemsValue ? ResultPieceSize : 0;
    if (!Streams() || ResultValue.empty() || (!all && ResultValue.size() < gather))
        return;
    if (Recodes())
        RecodeString(ResultValue, SourceEncodingValue, TargetEncodingValue);
    Emit(ResultValue);
    ResultValue.clear();
}

void TMaskedReplacer::EndRun()
{
    SetPosition(SizeValue + 1);
    Notify();
}

void TMaskedReplacer::Run()
{
    if (Start()) {
        while (!Finished())
            Step();
        FinishText();
    }
    EndRun();
}

const TReplaceProgram& TMaskedReplacer::Program()
{
    if (!CompiledMaskValid) {
        CompiledMask = CompileReplaceMask(ReplaceMaskValue, LexemList.size(), LineBreakValue);
        OpContexts.clear();
        for (const TReplaceOp& op : CompiledMask.Ops)
            OpContexts.push_back(
                op.Kind == TReplaceOp::TKind::Reference ? dynamic_cast<TContext*>(LexemList[op.Lexem]) : nullptr);
        CompiledMaskValid = true;
    }
    return CompiledMask;
}

std::string TMaskedReplacer::BuildReplacement()
{
    std::string replacement;
    AppendReplacement(replacement, false);
    return replacement;
}

void TMaskedReplacer::AppendReplacement(std::string& out, bool streamed)
{
    bool contextUsed = false;
    bool modified = false;
    const TReplaceProgram& program = Program();
    for (std::size_t k = 0; k < program.Ops.size(); ++k) {
        const TReplaceOp& op = program.Ops[k];
        if (op.Kind == TReplaceOp::TKind::Fail) {
            ErrorTextValue = messages::BadReplaceMask; // what was built so far stays
            break;
        }
        switch (op.Kind) {
        case TReplaceOp::TKind::Literal: out += op.Text; break;
        case TReplaceOp::TKind::Counter: out += std::to_string(++CounterValue); break;
        case TReplaceOp::TKind::Reference: {
            TLexem* lexem = LexemList[op.Lexem];
            TContext* context = OpContexts[k];
            if (context)
                contextUsed = true;
            else if (!op.Text.empty())
                modified = true;
            if (!context && op.Text.empty()) {
                // The matched text as it stands: straight from the text, in
                // pieces when it is long, never copied whole first.
                const TPos start = lexem->MatchStart;
                const TPos end = std::min(start + lexem->MatchLength, SizeValue + 1);
                if (start >= 1 && end > start) {
                    const auto from = static_cast<std::size_t>(start - 1);
                    const auto length = static_cast<std::size_t>(end - start);
                    if (streamed)
                        AppendText(from, length);
                    else
                        out.append(TextValue, from, length);
                }
            } else if (context && streamed) {
                // Nested contexts hand their pieces up as they make them.
                context->PassModified(TextValue, op.Text, [this](std::string_view piece) {
                    if (!OwnsLexemsValue && Streams() && ResultValue.empty() && !Recodes()) {
                        Emit(piece); // through, without a copy at each level
                        return;
                    }
                    ResultValue += piece;
                    PassResult(false);
                });
            } else {
                std::string matched = lexem->MatchedText(TextValue, op.Text);
                // A context's result may be as long as the text: taken, not
                // copied, when nothing stands before it.
                if (out.empty() && matched.size() > out.capacity())
                    out = std::move(matched);
                else
                    out += matched;
            }
            if (context) {
                ReplaceCountValue += context->InnerCount;
                // A fault in the nested replace mask is reported like one in
                // the outer mask, not lost with the nested replacer.
                if (!context->InnerErrorText.empty())
                    ErrorTextValue = context->InnerErrorText;
            }
            break;
        }
        case TReplaceOp::TKind::Fail: break;
        }
    }
    if (modified || !contextUsed)
        ++ReplaceCountValue;
}

} // namespace tekstovar
