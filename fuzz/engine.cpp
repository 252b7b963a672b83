// Random search masks, replace masks and texts through TMaskedReplacer.
//
// Input: byte 0 picks the code pages (source = b % 5, target = (b / 5) % 6 - 1),
// byte 1 how many times the text is repeated (1 + b % 16), then
//     search mask \x01 replace mask \x01 text
// The text is everything after the second \x01 and may hold any byte; a
// missing part is empty.

#include "common/error.h"
#include "encodings/codepages.h"
#include "encodings/recode.h"
#include "engine/maskedreplacer.h"
#include "engine/position.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

using tekstovar::TMaskedReplacer;
using tekstovar::TPos;

namespace {

constexpr char Separator = '\x01';
constexpr TPos ProgressInterval = 500;
// Masks with runs can be polynomial in the text by design; keep such texts
// short. A mask without runs is linear, so its text may cross a progress
// boundary or two.
constexpr std::size_t MaxTextWithRuns = 200;
constexpr std::size_t MaxTextWithoutRuns = 1200;
// The plain matcher evaluates every run in full: exponential in the runs.
constexpr std::size_t MaxPlainText = 64;
constexpr int MaxPlainRuns = 3;

struct TCase {
    std::string Search;
    std::string Replace;
    std::string Text;
    int Source = 0;
    int Target = -1;
};

struct TOutcome {
    std::string Result;
    long long ReplaceCount = 0;
    long long MatchCount = 0;
    std::string ErrorText;
    std::vector<TPos> Notifications;
    bool HadWork = false;
};

std::string Printable(std::string_view s)
{
    std::string out;
    for (unsigned char c : s) {
        if (c == '\\' || c == '"') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7f)
            out += static_cast<char>(c);
        else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x\"\"", c); // "" ends the hex escape
            out += buf;
        }
    }
    return out;
}

std::string Positions(const std::vector<TPos>& positions)
{
    std::string out;
    for (TPos p : positions)
        out += (out.empty() ? "" : " ") + std::to_string(p);
    return out;
}

[[noreturn]] void Fail(const TCase& c, const char* what, const std::string& detail = {})
{
    std::fprintf(stderr,
        "\n=== engine invariant violated: %s\n%s%s"
        "search  = \"%s\"\nreplace = \"%s\"\ntext    = \"%s\"\nsource = %d, target = %d\n",
        what, detail.c_str(), detail.empty() ? "" : "\n", Printable(c.Search).c_str(), Printable(c.Replace).c_str(),
        Printable(c.Text).c_str(), c.Source, c.Target);
    std::abort();
}

// Runs in the mask as the parser sees them: \*, \( and anything written with
// the + prefix (prefixes !, +, - come in any order after the backslash).
// Repeated sets and groups contain one of these, so they are counted already.
int CountRuns(std::string_view mask)
{
    int runs = 0;
    for (std::size_t i = 0; i < mask.size(); ++i) {
        if (mask[i] != '\\')
            continue;
        if (i + 1 < mask.size() && mask[i + 1] == '\\') {
            ++i;
            continue;
        }
        bool repeated = false;
        std::size_t j = i + 1;
        for (; j < mask.size(); ++j) {
            if (mask[j] == '+')
                repeated = true;
            else if (mask[j] != '!' && mask[j] != '-')
                break;
        }
        const char command = j < mask.size() ? mask[j] : '\0';
        if (repeated || command == '*' || command == '(')
            ++runs;
        i = j;
    }
    return runs;
}

bool ParseInput(const std::uint8_t* data, std::size_t size, TCase& c, int& runs)
{
    if (size < 2)
        return false;
    c.Source = data[0] % tekstovar::EncodingCount;
    c.Target = (data[0] / tekstovar::EncodingCount) % (tekstovar::EncodingCount + 1) - 1;
    const int repeat = 1 + data[1] % 16;
    std::string_view rest(reinterpret_cast<const char*>(data + 2), size - 2);

    auto take = [&rest]() {
        const auto at = rest.find(Separator);
        std::string part(rest.substr(0, at));
        rest = at == std::string_view::npos ? std::string_view{} : rest.substr(at + 1);
        return part;
    };
    c.Search = take();
    c.Replace = take();
    runs = CountRuns(c.Search);
    const std::size_t limit = runs == 0 ? MaxTextWithoutRuns : MaxTextWithRuns;
    for (int k = 0; k < repeat && c.Text.size() < limit; ++k)
        c.Text.append(rest);
    if (c.Text.size() > limit)
        c.Text.resize(limit);
    return true;
}

std::unique_ptr<TMaskedReplacer> Make(const TCase& c, tekstovar::TSearchOptions options = {})
{
    return std::make_unique<TMaskedReplacer>(c.Text, c.Search, c.Replace, c.Source, c.Target, options);
}

TOutcome RunOnce(TMaskedReplacer& r)
{
    TOutcome out;
    r.OnProgress = [&out](TMaskedReplacer& x) { out.Notifications.push_back(x.GetPosition()); };
    const bool recode = r.TargetEncoding() != tekstovar::EncodingNone && r.TargetEncoding() != r.SourceEncoding();
    out.HadWork = r.SearchTree() != nullptr || recode;
    r.Run();
    out.Result = r.Result();
    out.ReplaceCount = r.ReplaceCount();
    out.MatchCount = r.MatchCount();
    out.ErrorText = r.ErrorText();
    r.OnProgress = nullptr;
    return out;
}

void CheckNotifications(const TCase& c, const TOutcome& o)
{
    const auto& n = o.Notifications;
    const TPos end = static_cast<TPos>(c.Text.size()) + 1;
    auto fail = [&](const char* what) { Fail(c, what, "notifications: " + Positions(n)); };
    if (n.empty() || n.back() != end)
        fail("the last notification is not at Size + 1");
    if (!o.HadWork) {
        if (n.size() != 1)
            fail("a run without work notified more than its end");
        return;
    }
    if (n.size() < 2 || n.front() != 0)
        fail("the first notification is not at 0");
    TPos previous = 0;
    for (std::size_t i = 1; i + 1 < n.size(); ++i) {
        if (n[i] % ProgressInterval != 0 || n[i] <= previous || n[i] > end)
            fail("a notification on the way is not a new multiple of the interval within the text");
        previous = n[i];
    }
    // The step that reaches Size + 1 notifies when that is a multiple of the
    // interval, and the end notifies again: the one repeat allowed.
    if (n.size() > 2 && n[n.size() - 2] == end && end % ProgressInterval != 0)
        fail("the end was notified twice");
}

void CheckOutcome(const TCase& c, const TOutcome& o)
{
    if (o.ReplaceCount < 0 || o.MatchCount < 0)
        Fail(c, "negative count",
            "replaces " + std::to_string(o.ReplaceCount) + ", matches " + std::to_string(o.MatchCount));
    if (o.MatchCount == 0) {
        std::string expected = c.Text;
        if (c.Target != tekstovar::EncodingNone && c.Target != c.Source)
            tekstovar::RecodeString(expected, c.Source, c.Target);
        if (o.Result != expected)
            Fail(c, "no match, yet the result is not the (recoded) text", "result = \"" + Printable(o.Result) + "\"");
    }
    // An empty replacement only removes text, and recoding keeps the length.
    if (c.Replace.empty() && o.Result.size() > c.Text.size())
        Fail(c, "an empty replace mask made the text longer", "result = \"" + Printable(o.Result) + "\"");
    CheckNotifications(c, o);
}

void CheckSame(const TCase& c, const TOutcome& fast, const TOutcome& other, const char* what, bool withError,
    bool withNotifications)
{
    std::string detail;
    if (fast.Result != other.Result)
        detail += "results:  \"" + Printable(fast.Result) + "\" vs \"" + Printable(other.Result) + "\"\n";
    if (fast.ReplaceCount != other.ReplaceCount)
        detail += "replaces: " + std::to_string(fast.ReplaceCount) + " vs " + std::to_string(other.ReplaceCount) + "\n";
    if (fast.MatchCount != other.MatchCount)
        detail += "matches:  " + std::to_string(fast.MatchCount) + " vs " + std::to_string(other.MatchCount) + "\n";
    if (withError && fast.ErrorText != other.ErrorText)
        detail += "errors:   \"" + fast.ErrorText + "\" vs \"" + other.ErrorText + "\"\n";
    if (withNotifications && fast.Notifications != other.Notifications)
        detail += "notifications: " + Positions(fast.Notifications) + " vs " + Positions(other.Notifications) + "\n";
    if (!detail.empty())
        Fail(c, what, detail);
}

void Check(const TCase& c, int runs)
{
    std::unique_ptr<TMaskedReplacer> fast;
    try {
        fast = Make(c);
    } catch (const tekstovar::TError&) {
        return; // an unclosed bracket or a mask past the limits: refused as it should be
    }
    const TOutcome first = RunOnce(*fast);
    CheckOutcome(c, first);

    // What the trees remember about a text must not leak into the next one:
    // run the same replacer over another text, then over this one again.
    std::string other(c.Text.rbegin(), c.Text.rend());
    other += "\r\n0 9 ab\xe0\xff";
    fast->SetText(other);
    RunOnce(*fast);
    fast->SetText(c.Text);
    const TOutcome again = RunOnce(*fast);
    // The error text is kept from run to run, so the other text may have set it.
    CheckSame(c, first, again, "a reused replacer differs from a fresh one", false, true);

    // The result handed out in pieces, over a borrowed text, is the same.
    auto streamed = TMaskedReplacer::CreateBorrowing(c.Text, c.Search, c.Replace, c.Source, c.Target);
    std::string pieces;
    streamed->ResultSink = [&pieces](std::string_view piece) { pieces += piece; };
    TOutcome handedOut = RunOnce(*streamed);
    if (!handedOut.Result.empty())
        Fail(c, "a run with a sink kept a result of its own");
    handedOut.Result = pieces;
    CheckSame(c, first, handedOut, "the result in pieces differs from the whole one", true, true);
    auto gatherer = TMaskedReplacer::CreateBorrowing(c.Text, c.Search, c.Replace, c.Source, c.Target);
    std::string joined;
    gatherer->ResultGather = [&joined](const std::vector<std::string_view>& pieces) {
        for (std::string_view piece : pieces)
            joined += piece;
    };
    TOutcome gathered = RunOnce(*gatherer);
    if (!gathered.Result.empty())
        Fail(c, "a run that gathers kept a result of its own");
    gathered.Result = joined;
    CheckSame(c, first, gathered, "the gathered result differs from the whole one", true, true);

    const bool plainAffordable = runs == 0 || (c.Text.size() <= MaxPlainText && runs <= MaxPlainRuns);
    if (!plainAffordable)
        return;
    auto plain = Make(c, {.PlainMatching = true});
    const TOutcome reference = RunOnce(*plain);
    CheckSame(c, first, reference, "the fast matcher differs from the plain one", true, true);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TCase c;
    int runs = 0;
    if (!ParseInput(data, size, c, runs))
        return 0;
    try {
        Check(c, runs);
    } catch (const std::exception& e) {
        Fail(c, "unexpected exception", e.what());
    }
    return 0;
}
