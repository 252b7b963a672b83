// Random file-list files (.QZL) through ParseFileList and FormatFileList.
//
// Input: the file's bytes. A file the reader takes must be written back
// (or refused by the writer with TError) and read again as the same entries,
// and a second write must give the same bytes. A file the reader refuses
// still hands over only whole entries, each with a code page 0..4.

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

// The entries handed over, and whether the whole file was taken.
bool Read(std::string_view input, std::string_view bytes, std::vector<TListEntry>& entries)
{
    try {
        ParseFileList(bytes, ListPath, [&](TListEntry e) {
            if (e.Encoding < 0 || e.Encoding >= EncodingCount)
                Fail(input, "an entry with code page " + std::to_string(e.Encoding), Entries(entries));
            entries.push_back(std::move(e));
        });
    } catch (const TError& e) {
        if (e.what() != NotAFileListMessage(ListPath))
            Fail(input, "the reader refused with another message", e.what());
        return false;
    }
    return true;
}

void Check(std::string_view input)
{
    std::vector<TListEntry> entries;
    const bool whole = Read(input, input, entries);
    // Three lines per entry, each at least its line end or the last line.
    if (entries.size() > input.size() / 3 + 1)
        Fail(input, "more entries than the bytes can hold", Entries(entries));
    if (!whole)
        return;

    std::string written;
    try {
        written = FormatFileList(entries);
    } catch (const TError&) {
        return; // a path WIN cannot hold: refused before anything is written
    }
    std::vector<TListEntry> again;
    if (!Read(input, written, again))
        Fail(input, "the reader refused what the writer wrote", "written = \"" + fuzz::Printable(written) + "\"");
    if (!Same(entries, again))
        Fail(input, "read, written and read again differs",
            "first:\n" + Entries(entries) + "again:\n" + Entries(again) + "written = \"" + fuzz::Printable(written) +
                "\"");
    if (FormatFileList(again) != written)
        Fail(input, "a second write differs from the first");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    try {
        Check(input);
    } catch (const std::exception& e) {
        Fail(input, "unexpected exception", e.what());
    }
    return 0;
}
