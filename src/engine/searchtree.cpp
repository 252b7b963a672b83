#include "engine/searchtree.h"

#include <algorithm>

namespace tekstovar {

TStrictPair::TStrictPair(TLexem* item, std::unique_ptr<TSearchLexem> follower, TSearchOptions options)
    : Item(item), SavedLength(item->MatchLength), Follower(std::move(follower)), Options(options)
{
}

TStrictPair::~TStrictPair() { Item->MatchLength = SavedLength; }

bool TStrictPair::PlainTest(std::string_view text, TPos p)
{
    Item->MatchLength = SavedLength;
    if (!Item->Match(text, p))
        return false;

    const TPos size = TextSize(text);
    TPos a = p + Item->MatchLength; // a star's run may be empty
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
    }
    if (!Follower)
        ok = true;
    else if (!followerTried)
        ok = a <= size && Follower->Match(text, a);
    return ok && Succeed(p, a);
}

bool TStrictPair::Succeed(TPos p, TPos a)
{
    Item->MatchLength = a - p;
    Item->MatchStart = p;
    MatchLength = a - p + (Follower ? Follower->MatchLength : 0);
    return true;
}

bool TStrictPair::Test(std::string_view text, TPos p)
{
    if (Options.PlainMatching)
        return PlainTest(text, p);
    if (Remembers(p))
        return false;
    if (const TSuccessRun* known = FindSuccess(p))
        return SucceedAsRemembered(text, p, known->End);
    Item->MatchLength = SavedLength;
    if (!Item->Match(text, p))
        return false;

    const TPos size = TextSize(text);
    TPos a = p + Item->MatchLength; // a star's run may be empty
    if (!Follower) {
        while (a <= size && Item->Match(text, a))
            a += Item->MatchLength > 0 ? Item->MatchLength : 1;
        return Succeed(p, a);
    }

    // The positions visited: p, then every a. step stays 0 while there is
    // one, and turns -1 when they stop being evenly spaced.
    TPos last = p;
    TPos step = 0;
    auto visit = [&](TPos x) {
        if (x == last)
            return;
        if (step == 0)
            step = x - last;
        else if (step > 0 && x - last != step)
            step = -1;
        last = x;
    };
    visit(a);
    while (a <= size) {
        // The follower is tried wherever the run gets to, the item matching
        // there or not (then the run ends).
        const bool goesOn = Item->Match(text, a);
        if (Follower->Match(text, a)) {
            // Worth keeping when it passed over positions a later start may
            // be asked at.
            if (step > 0 && a - p > step)
                AddSuccess(p, a, step);
            return Succeed(p, a);
        }
        // A run started at a known failure tries the same follower positions
        // from here on as this one would (the follower at a itself has just
        // failed): it ends in failure too. Likewise at a known success.
        if (!goesOn || Remembers(a))
            break;
        if (TSuccessRun* known = FindSuccess(a)) {
            if (step == known->Step && p < known->Start)
                known->Start = p;
            return SucceedAsRemembered(text, p, known->End);
        }
        a += Item->MatchLength > 0 ? Item->MatchLength : 1;
        visit(a);
    }
    RememberFailure(text, p, last, step);
    return false;
}

TStrictPair::TSuccessRun* TStrictPair::FindSuccess(TPos p)
{
    for (TSuccessRun& run : Successes)
        if (run.Step > 0 && p >= run.Start && p < run.End && (p - run.Start) % run.Step == 0) {
            run.Used = ++SuccessClock;
            return &run;
        }
    return nullptr;
}

void TStrictPair::AddSuccess(TPos start, TPos end, TPos step)
{
    TSuccessRun* oldest = &Successes[0];
    for (TSuccessRun& run : Successes)
        if (run.Used < oldest->Used)
            oldest = &run;
    *oldest = {start, end, step, ++SuccessClock};
}

bool TStrictPair::SucceedAsRemembered(std::string_view text, TPos p, TPos end)
{
    // The follower's lexems show its match at the end again, as after the
    // run that found it.
    if (!Follower->Match(text, end))
        return false;
    return Succeed(p, end);
}

bool TStrictPair::Remembers(TPos p) const
{
    if (CacheStep > 0 && p >= CacheStart && p <= CacheEnd && (p - CacheStart) % CacheStep == 0)
        return true;
    const auto bit = static_cast<std::uint64_t>(p);
    return bit / 64 < FailedBits.size() && (FailedBits[bit / 64] >> (bit % 64) & 1) != 0;
}

void TStrictPair::Mark(TPos p)
{
    const auto bit = static_cast<std::uint64_t>(p);
    if (bit / 64 < FailedBits.size())
        FailedBits[bit / 64] |= std::uint64_t{1} << (bit % 64);
}

void TStrictPair::SpillSeries(std::string_view text)
{
    // Positions 0 to Size + 1: where runs and tests can begin.
    FailedBits.assign(static_cast<std::size_t>((TextSize(text) + 2 + 63) / 64), 0);
    if (CacheStep > 0)
        for (TPos x = CacheStart; x <= CacheEnd; x += CacheStep)
            Mark(x);
    CacheStart = CacheEnd = CacheStep = 0;
}

void TStrictPair::RememberFailure(std::string_view text, TPos p, TPos last, TPos step)
{
    if (FailedBits.empty() && step >= 0) {
        if (CacheStep == 0) {
            CacheStart = p;
            CacheEnd = last;
            CacheStep = step > 0 ? step : 1;
            return;
        }
        // One series still, if both lie on one lattice and touch or overlap;
        // a lone position takes the other's spacing.
        TPos s = CacheStart == CacheEnd && step > 0 ? step : CacheStep;
        if (CacheStart == CacheEnd && step == 0 && p != CacheStart)
            s = p > CacheStart ? p - CacheStart : CacheStart - p;
        if ((step == 0 || step == s) && (p - CacheStart) % s == 0 && p <= CacheEnd + s && last + s >= CacheStart) {
            CacheStart = std::min(CacheStart, p);
            CacheEnd = std::max(CacheEnd, last);
            CacheStep = s;
            return;
        }
    }
    if (FailedBits.empty())
        SpillSeries(text);
    if (step >= 0) {
        for (TPos x = p; x <= last; x += step > 0 ? step : 1)
            Mark(x);
        return;
    }
    // Uneven steps were not kept on the way (a failed run may be as long as
    // the text): walk the item's steps again, without the follower.
    Item->MatchLength = SavedLength;
    if (!Item->Match(text, p))
        return;
    Mark(p);
    TPos a = p + Item->MatchLength;
    Mark(a);
    while (a < last && Item->Match(text, a)) {
        a += Item->MatchLength > 0 ? Item->MatchLength : 1;
        Mark(a);
    }
}

void TStrictPair::ForgetText()
{
    CacheStart = CacheEnd = CacheStep = 0;
    std::vector<std::uint64_t>().swap(FailedBits);
    Successes = {};
    SuccessClock = 0;
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
