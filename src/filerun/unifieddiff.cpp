#include "filerun/unifieddiff.h"

#include "encodings/codepages.h"
#include "encodings/unicodepages.h"

#include <algorithm>
#include <vector>

namespace tekstovar {

namespace {

constexpr std::size_t Context = 3;
// How far apart (in lines, on both sides together) two equal lines may be
// found again after a change.
constexpr std::size_t Reach = 16;

std::string InUtf8(std::string_view text, int page)
{
    return page == EncodingUtf ? std::string(text) : PageToUtf8(text, IsEncoding(page) ? page : EncodingWin);
}

// The lines with their line breaks; a last line without one too.
std::vector<std::string_view> Lines(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::size_t length = end == std::string_view::npos ? text.size() : end + 1;
        lines.push_back(text.substr(0, length));
        text.remove_prefix(length);
    }
    return lines;
}

enum class TOp { Same, Removed, Added };

struct TLine {
    TOp Op;
    std::string_view Text;
};

// Both texts as one sequence of kept, removed and added lines.
std::vector<TLine> Script(const std::vector<std::string_view>& a, const std::vector<std::string_view>& b)
{
    std::vector<TLine> script;
    std::size_t i = 0, j = 0;
    while (i < a.size() || j < b.size()) {
        if (i < a.size() && j < b.size() && a[i] == b[j]) {
            script.push_back({TOp::Same, a[i++]});
            ++j;
            continue;
        }
        // The nearest pair of equal lines ahead: fewest lines skipped.
        std::size_t skipA = 1, skipB = 1;
        bool found = false;
        for (std::size_t s = 1; s <= Reach && !found; ++s)
            for (std::size_t p = 0; p <= s && !found; ++p) {
                const std::size_t q = s - p;
                if (i + p < a.size() && j + q < b.size() && a[i + p] == b[j + q]) {
                    skipA = p;
                    skipB = q;
                    found = true;
                }
            }
        if (!found) { // nothing within reach: the rest differs, or a line does
            skipA = i < a.size() ? 1 : 0;
            skipB = j < b.size() ? 1 : 0;
        }
        for (std::size_t k = 0; k < skipA; ++k)
            script.push_back({TOp::Removed, a[i++]});
        for (std::size_t k = 0; k < skipB; ++k)
            script.push_back({TOp::Added, b[j++]});
    }
    return script;
}

void PutLine(std::string& out, char mark, std::string_view line)
{
    out += mark;
    out += line;
    if (line.empty() || line.back() != '\n')
        out += "\n\\ No newline at end of file\n";
}

} // namespace

std::string UnifiedDiff(
    const std::string& path, std::string_view before, int beforePage, std::string_view after, int afterPage)
{
    const std::string a = InUtf8(before, beforePage);
    const std::string b = InUtf8(after, afterPage);
    if (a == b)
        return {};
    const std::vector<TLine> script = Script(Lines(a), Lines(b));
    auto pageName = [](int page) {
        return std::string(IsPage(page) ? EncodingNames[static_cast<std::size_t>(page)] : "WIN");
    };
    std::string out =
        "--- " + path + "\t(" + pageName(beforePage) + ")\n+++ " + path + "\t(" + pageName(afterPage) + ")\n";

    // Hunks: the changed lines with their context, changes closer than twice
    // the context joined.
    std::size_t k = 0;
    std::size_t lineA = 1, lineB = 1; // of script[k]
    while (k < script.size()) {
        const auto changed = std::find_if(script.begin() + static_cast<std::ptrdiff_t>(k), script.end(),
            [](const TLine& l) { return l.Op != TOp::Same; });
        if (changed == script.end())
            break;
        const std::size_t first = static_cast<std::size_t>(changed - script.begin());
        for (; k < first; ++k)
            ++lineA, ++lineB;
        const std::size_t start = first - std::min(first, Context);
        std::size_t end = first; // one past the hunk's last change
        for (std::size_t same = 0, at = first; at < script.size(); ++at) {
            if (script[at].Op != TOp::Same) {
                end = at + 1;
                same = 0;
            } else if (++same > 2 * Context)
                break;
        }
        const std::size_t stop = std::min(script.size(), end + Context);
        std::size_t countA = 0, countB = 0;
        for (std::size_t at = start; at < stop; ++at) {
            countA += script[at].Op != TOp::Added;
            countB += script[at].Op != TOp::Removed;
        }
        const std::size_t startA = lineA - (first - start), startB = lineB - (first - start);
        out += "@@ -" + std::to_string(countA ? startA : startA - 1) + "," + std::to_string(countA) + " +" +
            std::to_string(countB ? startB : startB - 1) + "," + std::to_string(countB) + " @@\n";
        for (std::size_t at = start; at < stop; ++at) {
            const TLine& l = script[at];
            PutLine(out, l.Op == TOp::Same ? ' ' : l.Op == TOp::Removed ? '-' : '+', l.Text);
            if (at >= first) {
                lineA += l.Op != TOp::Added;
                lineB += l.Op != TOp::Removed;
            }
        }
        k = stop;
    }
    return out;
}

} // namespace tekstovar
