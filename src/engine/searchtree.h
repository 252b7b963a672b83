#pragma once

#include "engine/lexem.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace tekstovar {

// A node of the search tree built over a list of lexems.
class TSearchLexem : public TLexem {
public:
    TSearchLexem() : TLexem(0, true, false, 0) { }
    bool IsRepeated() const override { return false; }
};

// A run of Item (as short as lets Follower match after it, or as long as it
// goes when there is no follower), then Follower.
class TStrictPair : public TSearchLexem {
public:
    TStrictPair(TLexem* item, std::unique_ptr<TSearchLexem> follower, TSearchOptions options);
    ~TStrictPair() override;

    TLexem* Item;
    TPos SavedLength;
    std::unique_ptr<TSearchLexem> Follower;

    // Starts known to fail. Every position a failed run visited is one: a
    // run started there goes on the same way, and the follower failed at
    // each of them. While the failures form one evenly spaced series they
    // are CacheStart, CacheStart + CacheStep, ... up to CacheEnd (nothing is
    // known while CacheStep is 0); past that, one bit per text position.
    TPos CacheStart = 0;
    TPos CacheEnd = 0;
    TPos CacheStep = 0;

    bool Test(std::string_view text, TPos p) override;
    void ForgetText() override;
    // Whether p is known to fail as a start.
    bool Remembers(TPos p) const;

private:
    // Every run evaluated in full, nothing remembered.
    bool PlainTest(std::string_view text, TPos p);
    bool Succeed(TPos p, TPos a);
    // The failed run from p visited positions up to last, step apart (one
    // position: step 0; unevenly spaced: step < 0).
    void RememberFailure(std::string_view text, TPos p, TPos last, TPos step);
    void SpillSeries(std::string_view text);
    void Mark(TPos p);

    std::vector<std::uint64_t> FailedBits;

    // Evenly spaced runs that succeeded, the few used last: from each of
    // Start, Start + Step, ... below End the run ends at End, as from each
    // position it visited (an empty slot has Step 0). A star's run over a
    // long word, asked again from inside the word while runs elsewhere come
    // between.
    struct TSuccessRun {
        TPos Start = 0;
        TPos End = 0;
        TPos Step = 0;
        std::uint64_t Used = 0;
    };
    TSuccessRun* FindSuccess(TPos p);
    void AddSuccess(TPos start, TPos end, TPos step);
    bool SucceedAsRemembered(std::string_view text, TPos p, TPos end);
    std::array<TSuccessRun, 4> Successes;
    std::uint64_t SuccessClock = 0;
    TSearchOptions Options;
};

// A sequence of lexems matched one after another; owns only its last item
// when that is a pair.
class TStrictBlock : public TSearchLexem {
public:
    std::vector<TLexem*> Items;
    std::unique_ptr<TStrictPair> OwnedLast;

    bool Test(std::string_view text, TPos p) override;
    void ForgetText() override;
};

// The tree of a list of lexems: runs become pairs whose follower is the tree
// of everything after them; plain stretches become blocks. Empty list: none.
std::unique_ptr<TSearchLexem> BuildSearchTree(const std::vector<TLexem*>& lexems, TSearchOptions options = {});

} // namespace tekstovar
