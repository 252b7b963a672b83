// Random file-list files (.QZL) through ParseFileList and FormatFileList.
//
// Input: the file's bytes. The reader hands over whole entries, each with a
// code page 0..5, and says "not a file list" only when it found none. What it
// handed over, written (less what the writer refuses) and read again, is the
// same entries without a complaint, and a second write gives the same bytes.

#include "common/error.h"
#include "encodings/codepages.h"
#include "mainwindow/filelistfile.h"
#include "support.h"

#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

using namespace tekstovar;

namespace {

const std::string ListPath = "/fuzz/QZ.QZL";

std::string Entries(const std::vector<TListEntry>& entries)
{
    std::string out;
    for (const TListEntry& e : entries)
        out += "  \"" + fuzz::Printable(e.Name) + "\" \"" + fuzz::Printable(e.Directory) + "\" " +
            std::to_string(e.Encoding) + "\n";
    return out;
}

[[noreturn]] void Fail(std::string_view input, const std::string& what, const std::string& detail = {})
{
    fuzz::Fail("filelist", what, "input = \"" + fuzz::Printable(input) + "\"\n" + detail);
}

bool Same(const std::vector<TListEntry>& a, const std::vector<TListEntry>& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].Name != b[i].Name || a[i].Directory != b[i].Directory || a[i].Encoding != b[i].Encoding)
            return false;
    return true;
}

// The entries handed over; whether the reader complained.
bool Read(std::string_view input, std::string_view bytes, std::vector<TListEntry>& entries)
{
    try {
        ParseFileList(bytes, ListPath, [&](TListEntry e) {
            if (!IsPage(e.Encoding))
                Fail(input, "an entry with code page " + std::to_string(e.Encoding), Entries(entries));
            entries.push_back(std::move(e));
        });
    } catch (const TError& e) {
        if ((e.what() == NotAFileListMessage(ListPath)) != entries.empty())
            Fail(input, "\"not a file list\" said of a list with entries, or another complaint of one without",
                e.what() + std::string("\n") + Entries(entries));
        return false;
    }
    return true;
}

void Check(std::string_view input)
{
    std::vector<TListEntry> entries;
    Read(input, input, entries);
    // Three lines per entry, each at least its line end or the last line.
    if (entries.size() > input.size() / 3 + 1)
        Fail(input, "more entries than the bytes can hold", Entries(entries));

    std::vector<std::size_t> refused;
    const std::string written = FormatFileList(entries, &refused);
    std::vector<TListEntry> kept;
    for (std::size_t i = 0, r = 0; i < entries.size(); ++i) {
        if (r < refused.size() && refused[r] == i) {
            ++r;
            continue;
        }
        kept.push_back(entries[i]);
    }
    std::vector<TListEntry> again;
    if (!Read(input, written, again))
        Fail(input, "the reader complained about what the writer wrote",
            "written = \"" + fuzz::Printable(written) + "\"");
    if (!Same(kept, again))
        Fail(input, "read, written and read again differs",
            "first:\n" + Entries(entries) + "again:\n" + Entries(again) + "written = \"" + fuzz::Printable(written) +
                "\"");
    std::vector<std::size_t> refusedAgain;
    if (FormatFileList(again, &refusedAgain) != written || !refusedAgain.empty())
        Fail(input, "a second write differs from the first");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return tekstovar::fuzz::CheckInput(data, size, Check, Fail);
}
