#pragma once

#include "engine/lexem.h"

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

    // Starts known to fail: CacheStart, CacheStart + CacheStep, ... up to
    // CacheEnd; nothing is known while CacheStep is 0. Every position a failed
    // run visited is such a start, since a run from there goes on the same
    // way; the positions are kept while they stay evenly spaced.
    TPos CacheStart = 0;
    TPos CacheEnd = 0;
    TPos CacheStep = 0;

    bool Test(std::string_view text, TPos p) override;
    void ForgetText() override;

private:
    bool Remembers(TPos p) const
    {
        return CacheStep > 0 && p >= CacheStart && p <= CacheEnd && (p - CacheStart) % CacheStep == 0;
    }
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
