#pragma once

#include "encodings/codepages.h"
#include "encodings/recode.h"
#include "engine/maskedreplacer.h"
#include "platform/winunicode.h"

#include <string>
#include <vector>

namespace tekstovar::test {

// WIN bytes of a UTF-8 literal, so tests can be written in Russian.
inline std::string W(const std::string& utf8) { return Utf8ToWin(utf8); }

// Everything a run shows its owner.
struct TRunResult {
    std::string Result;
    long long Count = 0;
    long long Matches = 0;
    std::string Error;
    std::vector<TPos> Progress;

    bool operator==(const TRunResult&) const = default;
};

inline TRunResult RunReplacer(TMaskedReplacer& r)
{
    TRunResult run;
    r.OnProgress = [&run](TMaskedReplacer& x) { run.Progress.push_back(x.GetPosition()); };
    r.Run();
    run.Result = r.Result();
    run.Count = r.ReplaceCount();
    run.Matches = r.MatchCount();
    run.Error = r.ErrorText();
    return run;
}

// Masks and text in WIN unless the source page says otherwise.
inline TRunResult Replace(const std::string& text, const std::string& search, const std::string& replace,
    int source = 0, int target = -1, bool plain = false)
{
    TMaskedReplacer r(text, search, replace, source, target, {.PlainMatching = plain});
    return RunReplacer(r);
}

} // namespace tekstovar::test
