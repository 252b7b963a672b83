// Random scenario files (.QZB) through the line reader and writer.
//
// Input: the file's bytes. What is read, written and read again must be the
// same lines, also through a file, and a second write the same bytes; the
// pairs are the lines two by two.

#include "common/error.h"
#include "scenario/scenariofile.h"
#include "support.h"

#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

using namespace tekstovar;

namespace {

std::string Lines(const std::vector<std::string>& lines)
{
    std::string out;
    for (const std::string& line : lines)
        out += "  \"" + fuzz::Printable(line) + "\"\n";
    return out;
}

[[noreturn]] void Fail(std::string_view input, const std::string& what, const std::string& detail = {})
{
    fuzz::Fail("scenario", what, "input = \"" + fuzz::Printable(input) + "\"\n" + detail);
}

void Check(std::string_view input)
{
    const std::vector<std::string> lines = ParseScenarioLines(input);
    // Every byte before the first NUL is a line's or a line end's.
    std::size_t bytes = 0;
    for (const std::string& line : lines) {
        if (line.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos)
            Fail(input, "a line holds a line end or NUL", Lines(lines));
        bytes += line.size();
    }
    const std::size_t text = input.substr(0, input.find('\0')).size();
    if (bytes > text || lines.size() > text)
        Fail(input, "more was read than the text holds", Lines(lines));

    std::string written;
    try {
        written = FormatScenarioLines(lines);
    } catch (const TError&) {
        Fail(input, "the writer refused lines the reader gave", Lines(lines));
    }
    const std::vector<std::string> again = ParseScenarioLines(written);
    if (again != lines)
        Fail(input, "read, written and read again differs",
            "first:\n" + Lines(lines) + "again:\n" + Lines(again) + "written = \"" + fuzz::Printable(written) + "\"");
    if (FormatScenarioLines(again) != written)
        Fail(input, "a second write differs from the first");
    // The same through a file, as the window and tekstovar-cli store it.
    static fuzz::TScratch scratch;
    const std::string path = scratch.Path("QZ.QZB");
    WriteScenarioFile(path, lines);
    if (ReadScenarioFile(path) != lines)
        Fail(input, "the lines written to a file read back differently");

    const std::vector<TMaskPair> pairs = ScenarioPairs(lines);
    if (pairs.size() != lines.size() / 2)
        Fail(input, "pairs are not the lines two by two");
    for (std::size_t i = 0; i < pairs.size(); ++i)
        if (pairs[i].Search != lines[2 * i] || pairs[i].Replace != lines[2 * i + 1])
            Fail(input,
                "pair " + std::to_string(i) + " is not lines " + std::to_string(2 * i) + " and " +
                    std::to_string(2 * i + 1));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return tekstovar::fuzz::CheckInput(data, size, Check, Fail);
}
