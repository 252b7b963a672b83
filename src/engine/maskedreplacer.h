#pragma once

#include "engine/lexem.h"
#include "engine/replacemask.h"
#include "engine/searchtree.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tekstovar {

class TContext;
class TLeadingScan;
class TMaskedReplacerThread;

// Applies a search mask and a replace mask to one text in memory, in small
// steps that a worker can drive and stop between, and reports progress:
// Position 0 when the text starts, multiples of 500 on the way, Size + 1 at
// the end.
class TMaskedReplacer {
public:
    using TProgressEvent = std::function<void(TMaskedReplacer&)>;
    // Takes the result piece by piece, in the target page, as it is built.
    using TResultSink = std::function<void(std::string_view piece)>;
    // Takes it as runs of pieces in order, which point into the text and the
    // replacer's own buffer and hold only during the call.
    using TResultGather = std::function<void(const std::vector<std::string_view>& pieces)>;
    // Roughly how much of the result is gathered before it goes to the sink.
    static constexpr std::size_t ResultPieceSize = std::size_t{1} << 20;

    // Parses searchMask (WIN) for a text in sourceEncoding; the replace mask
    // is taken into that code page. An unclosed bracket throws TError. The
    // options hold for every tree of the mask, as long as the replacer lives.
    TMaskedReplacer(std::string text, std::string searchMask, std::string replaceMask, int sourceEncoding,
        int targetEncoding, TSearchOptions options = {});
    // Over lexems that someone else owns (a context's children), without code
    // pages; the replace mask is used as it is. \n writes lineBreak, the
    // break of the text the owner replaces in, whatever this text holds.
    TMaskedReplacer(std::string text, std::vector<TLexem*> lexems, std::string replaceMask, std::string lineBreak,
        TSearchOptions options = {});
    TMaskedReplacer(const TMaskedReplacer&) = delete;
    TMaskedReplacer& operator=(const TMaskedReplacer&) = delete;
    virtual ~TMaskedReplacer();

    static std::unique_ptr<TMaskedReplacer> Create(std::string text, std::string searchMask, std::string replaceMask,
        int sourceEncoding, int targetEncoding, TSearchOptions options = {});
    // The same over someone else's text, which must outlive the replacer.
    static std::unique_ptr<TMaskedReplacer> CreateBorrowing(std::string_view text, std::string searchMask,
        std::string replaceMask, int sourceEncoding, int targetEncoding, TSearchOptions options = {});
    static std::unique_ptr<TMaskedReplacer> CreateForLexems(std::string text, std::vector<TLexem*> lexems,
        std::string replaceMask, std::string lineBreak, TSearchOptions options = {});

    // The run, step by step.
    virtual bool Start();
    virtual void Step();
    virtual void FinishText();
    virtual void EndRun();
    virtual bool Finished() const { return Position > SizeValue; }
    // Start, Step until Finished, FinishText; EndRun in any case.
    void Run();

    void ParseSearchMask();
    // The replacement for the match the tree has just made; counts it.
    std::string BuildReplacement();
    std::string ReferencesForRange(int start, int length) const;

    void SetText(std::string text);
    // Works on someone else's text, which must outlive the run: a nested
    // replacement over part of its owner's text needs no copy of it.
    void BorrowText(std::string_view text);
    void SetPosition(TPos p);
    TPos GetPosition() const { return Position; }
    void SetSourceEncoding(int encoding);
    TLexem* LexemAt(std::size_t index) const;

    const std::vector<TLexem*>& Lexems() const { return LexemList; }
    TSearchLexem* SearchTree() const { return Tree.get(); }
    const std::string& SearchMask() const { return SearchMaskValue; }
    const std::string& ReplaceMask() const { return ReplaceMaskValue; }
    std::string_view Text() const { return TextValue; }
    // The whole result, unless a sink took it (then what is still to go).
    const std::string& Result() const { return ResultValue; }
    std::string TakeResult() { return std::move(ResultValue); }
    TPos Size() const { return SizeValue; }
    int SourceEncoding() const { return SourceEncodingValue; }
    int TargetEncoding() const { return TargetEncodingValue; }
    long long Counter() const { return CounterValue; }
    const std::string& LineBreak() const { return LineBreakValue; }
    const std::string& ErrorText() const { return ErrorTextValue; }
    long long ReplaceCount() const { return ReplaceCountValue; }
    void SetReplaceCount(long long count) { ReplaceCountValue = count; }
    // Matches of the search mask in the current text (each counts once,
    // whatever its replacement counts).
    long long MatchCount() const { return MatchCountValue; }
    bool OwnsLexems() const { return OwnsLexemsValue; }

    TProgressEvent OnProgress;
    TMaskedReplacerThread* Thread = nullptr;
    // Set: the result goes here in pieces during the run, so that a large
    // text is never held twice; Result() stays empty. What the sink throws
    // ends the step it was called from.
    TResultSink ResultSink;
    // In place of ResultSink, for an owner that writes many pieces at once
    // (a vectored write): the stretches of text between matches are then
    // handed over where they lie, not copied. Not for nested replacements.
    TResultGather ResultGather;

protected:
    void Notify();
    void SetReplaceMask(std::string mask);
    // For a new text, after SetText: \n then writes its first line break
    // (LF when it has none), here and in the contexts' nested replacements.
    void TakeLineBreakFromText();
    // Sets the code page without converting the replace mask or parsing.
    void AssignSourceEncoding(int encoding) { SourceEncodingValue = encoding; }
    void AssignTargetEncoding(int encoding) { TargetEncodingValue = encoding; }
    void SetResult(std::string result) { ResultValue = std::move(result); }

private:
    void UseLineBreak(std::string lineBreak);
    void HandLineBreakToLexems();
    // into the result itself (`streamed`) or into a string of its own.
    void AppendReplacement(std::string& out, bool streamed);
    // The text's bytes [from, from + length) (0-based) into the result.
    void AppendText(std::size_t from, std::size_t length);
    // Hands the gathered result to the sink once there is a piece's worth
    // (or all of it, when `all`).
    void PassResult(bool all);
    bool Recodes() const;
    // The result goes out as it is made (to a sink or a gatherer).
    bool Streams() const { return ResultSink || ResultGather; }
    void Emit(std::string_view piece);
    // Stretches of text are handed over where they lie.
    bool Gathers() const { return ResultGather && !ResultSink && !Recodes() && OwnsLexemsValue; }
    // What the buffer holds past the last gathered run becomes a run.
    void CloseBufferRun();
    const TReplaceProgram& Program();
    bool SkipToCandidate();
    void ResetScan();

    std::vector<std::unique_ptr<TLexem>> OwnedLexems;
    std::vector<TLexem*> LexemList;
    std::unique_ptr<TSearchLexem> Tree;
    std::string SearchMaskValue;
    std::string OwnedText; // the text, unless it is borrowed
    std::string_view TextValue;
    std::string ResultValue;
    std::string ReplaceMaskValue;
    TPos Position = 0;
    int SourceEncodingValue = -1;
    int TargetEncodingValue = -1;
    long long CounterValue = 0;
    std::string LineBreakValue;
    std::string ErrorTextValue;
    TPos SizeValue = 0;
    TPos CopiedUpTo = 1;
    bool OwnsLexemsValue = true;
    long long ReplaceCountValue = 0;
    long long MatchCountValue = 0;

    TSearchOptions Options;
    TReplaceProgram CompiledMask;
    // Per instruction: the context it refers to, if any (asked once, not
    // at every match).
    std::vector<TContext*> OpContexts;
    bool CompiledMaskValid = false;
    std::unique_ptr<TLeadingScan> Scan;
    // No match can begin in [CandidateFrom, Candidate).
    TPos CandidateFrom = 1;
    TPos Candidate = 0;

    // The result gathered for the next hand-over: runs of the text or of
    // the buffer, by offset (the buffer may move as it grows).
    struct TRun {
        bool InText;
        std::size_t From;
        std::size_t Length;
    };
    std::vector<TRun> Runs;
    std::vector<std::string_view> RunViews;
    std::size_t BufferMark = 0; // buffer bytes already in Runs
    std::size_t Gathered = 0; // bytes in Runs
};

} // namespace tekstovar
