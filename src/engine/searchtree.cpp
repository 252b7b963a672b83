#include "engine/searchtree.h"

namespace tekstovar {

TStrictPair::TStrictPair(TLexem* item, std::unique_ptr<TSearchLexem> follower, TSearchOptions options)
    : Item(item), SavedLength(item->MatchLength), Follower(std::move(follower)), Options(options)
{
}

TStrictPair::~TStrictPair() { Item->MatchLength = SavedLength; }

bool TStrictPair::Test(std::string_view text, TPos p)
{
    if (!Options.PlainMatching && Remembers(p))
        return false;
    Item->MatchLength = SavedLength;
    if (!Item->Match(text, p))
        return false;

    const TPos size = TextSize(text);
    TPos a = p + Item->MatchLength; // a star's run may be empty
    // Visited starts p, then every a, kept while evenly spaced.
    TPos last = p;
    TPos step = 0;
    bool even = true;
    auto visit = [&](TPos x) {
        if (!even || x == last)
            return;
        if (step == 0)
            step = x - last;
        else if (x - last != step) {
            even = false;
            return;
        }
        last = x;
    };
    visit(a);

    bool ok = false;
    bool followerTried = false;
    while (a <= size) {
        if (!Item->Match(text, a))
            break;
        if (Follower && Follower->Match(text, a)) {
            ok = followerTried = true;
            break;
        }
        a += Item->MatchLength > 0 ? Item->MatchLength : 1;
        visit(a);
    }
    if (!Follower)
        ok = true;
    else if (!followerTried)
        ok = a <= size && Follower->Match(text, a);

    if (ok) {
        Item->MatchLength = a - p;
        Item->MatchStart = p;
        MatchLength = a - p + (Follower ? Follower->MatchLength : 0);
        return true;
    }
    if (!Options.PlainMatching) {
        CacheStart = p;
        CacheEnd = last;
        CacheStep = step > 0 ? step : 1;
    }
    return false;
}

void TStrictPair::ForgetText()
{
    CacheStart = CacheEnd = CacheStep = 0;
    Item->ForgetText();
    if (Follower)
        Follower->ForgetText();
}

bool TStrictBlock::Test(std::string_view text, TPos p)
{
    MatchLength = 0;
    TPos q = p;
    for (TLexem* item : Items) {
        if (!item->Match(text, q))
            return false;
        MatchLength += item->MatchLength;
        q += item->MatchLength;
    }
    return true;
}

void TStrictBlock::ForgetText()
{
    for (TLexem* item : Items)
        item->ForgetText();
}

std::unique_ptr<TSearchLexem> BuildSearchTree(const std::vector<TLexem*>& lexems, TSearchOptions options)
{
    std::unique_ptr<TSearchLexem> current;
    auto i = static_cast<std::ptrdiff_t>(lexems.size()) - 1;
    while (i >= 0) {
        if (lexems[i]->IsRepeated()) {
            current = std::make_unique<TStrictPair>(lexems[i], std::move(current), options);
            --i;
            continue;
        }
        auto first = i;
        while (first > 0 && !lexems[first - 1]->IsRepeated())
            --first;
        auto block = std::make_unique<TStrictBlock>();
        for (auto k = first; k <= i; ++k)
            block->Items.push_back(lexems[k]);
        if (current) {
            // Whatever follows a plain stretch is a run, hence a pair.
            block->OwnedLast.reset(static_cast<TStrictPair*>(current.release()));
            block->Items.push_back(block->OwnedLast.get());
        }
        current = std::move(block);
        i = first - 1;
    }
    return current;
}

} // namespace tekstovar
