#include "cli/textmode.h"

#include "cli/io.h"
#include "cli/masks.h"
#include "cli/signals.h"
#include "common/error.h"
#include "encodings/codepages.h"
#include "encodings/detect.h"
#include "encodings/pagedtext.h"
#include "engine/maskedreplacer.h"
#include "platform/fileio.h"
#include "platform/mappedfile.h"
#include "platform/quoting.h"
#include "platform/streambuffer.h"

#include <iostream>
#include <unistd.h>
#include <utility>

namespace tekstovar::cli {

namespace {

// Below this, reading costs less than setting up a mapping.
constexpr std::size_t MappedInputMinimum = std::size_t{1} << 20;

// Standard input, held once: a large file where it lies (mapped), a pipe in
// a buffer that grows without copying, and a UTF-8 text, which is converted
// in place, in a string of its own (beside a mapping or a buffer it would be
// held twice).
struct TStandardInput {
    TMappedFile Mapped;
    TStreamBuffer Piped;
    std::string Text;
    int Page = EncodingDetect;

    // What the first step reads where it lies; empty when it is in Text.
    std::string_view Borrowed() const { return Mapped.Mapped() ? Mapped.Bytes() : Piped.Bytes(); }
    // Done with the mapping or the buffer.
    void Release()
    {
        Mapped = TMappedFile();
        Piped = TStreamBuffer();
    }
};

// Reads standard input and finds its page (the one given, else detected).
// Throws TError.
TStandardInput ReadStandardInput(const TCliOptions& options, bool ownString)
{
    TStandardInput in;
    ownString = ownString || options.From == EncodingUtf;
    if (!ownString) {
        GuardMappedInput(true);
        in.Mapped = TMappedFile::MapRest(STDIN_FILENO, MappedInputMinimum);
        if (in.Mapped.Mapped() && options.From == EncodingDetect &&
            DetectEncodingOfHead(in.Mapped.Bytes()) == EncodingUtf) {
            in.Mapped.GiveBack(STDIN_FILENO);
            ownString = true;
        }
        if (!in.Mapped.Mapped())
            GuardMappedInput(false);
    }
    if (ownString)
        in.Text = ReadStream(STDIN_FILENO);
    else if (!in.Mapped.Mapped())
        in.Piped = TStreamBuffer::ReadAll(STDIN_FILENO, "standard input");
    const std::string_view bytes = in.Borrowed().empty() ? std::string_view(in.Text) : in.Borrowed();
    in.Page = options.From != EncodingDetect ? options.From : DetectEncodingOfHead(bytes);
    if (!in.Piped.Bytes().empty() && in.Page == EncodingUtf) {
        in.Text = std::string(bytes); // a pipe found to hold UTF-8: into a string after all
        in.Piped = TStreamBuffer();
    }
    return in;
}

} // namespace

int RunTextMode(const TCliOptions& options)
{
    std::vector<TMaskPair> pairs;
    TStandardInput in;
    try {
        pairs = MaskPairs(options);
        in = ReadStandardInput(options, pairs.empty());
    } catch (const TError& e) {
        std::cerr << "tekstovar-cli: " << OneLine(e.what()) << '\n';
        return 1;
    }
    std::string text = std::move(in.Text);
    int source = in.Page;

    // Every step works on the result of the one before; once recoded, the
    // text is in the target page.
    try {
        for (const TMaskPair& pair : pairs) // every mask is checked before the first step
            TMaskedReplacer("", pair.Search, "", EncodingWin, EncodingNone);
    } catch (const TError& e) {
        std::cerr << "error: " << OneLine(e.what()) << '\n';
        return 1;
    }
    long long total = 0;
    std::string warning;
    try {
        for (std::size_t k = 0; k < pairs.size(); ++k) {
            // A UTF-8 text goes through a byte page; one that cannot leaves
            // nothing written.
            TPagedText paged;
            try {
                paged = ToEngine(std::move(text), source, options.To);
            } catch (const TError& e) {
                std::cerr << "error: " << OneLine(e.what()) << '\n';
                return 1;
            }
            // The first step reads a mapped or piped input where it lies (a
            // byte page: nothing of it changes on the way in).
            auto replacer = k == 0 && !in.Borrowed().empty()
                ? TMaskedReplacer::CreateBorrowing(
                      in.Borrowed(), pairs[k].Search, pairs[k].Replace, paged.EnginePage, paged.EngineTarget)
                : TMaskedReplacer::Create(
                      std::move(paged.Bytes), pairs[k].Search, pairs[k].Replace, paged.EnginePage, paged.EngineTarget);
            // The last step's result goes out as it is made: the text is never
            // held twice.
            if (k + 1 == pairs.size() && paged.OutPage == EncodingUtf)
                replacer->ResultSink = [&paged, first = true](std::string_view piece) mutable {
                    WriteStream(STDOUT_FILENO, FromEnginePiece(piece, paged, std::exchange(first, false)));
                };
            else if (k + 1 == pairs.size()) // the text between matches is written where it lies
                replacer->ResultGather = [](const std::vector<std::string_view>& pieces) {
                    WriteStream(STDOUT_FILENO, pieces);
                };
            replacer->Run();
            total += replacer->ReplaceCount();
            if (!replacer->ErrorText().empty())
                warning = replacer->ErrorText();
            if (k + 1 == pairs.size())
                break; // written already
            std::string result = replacer->TakeResult();
            replacer.reset(); // its text goes before the result is converted
            in.Release();
            text = FromEngine(std::move(result), paged);
            if (options.To != EncodingNone)
                source = options.To;
        }
        if (pairs.empty()) // a scenario without steps gives the text back
            WriteStream(STDOUT_FILENO, text);
    } catch (const TError& e) {
        std::cerr << "tekstovar-cli: " << OneLine(e.what()) << '\n';
        return 1;
    }
    if (!warning.empty())
        std::cerr << "warning: " << warning << '\n';
    std::cerr << "replacements: " << total << '\n';
    return 0;
}

int RunDetectMode(const TCliOptions& options)
{
    int status = 0;
    for (const std::string& path : options.Paths) {
        try {
            const int page = DetectFileEncoding(path); // before the path: a file that cannot be read prints nothing
            std::cout << QuoteName(path) << '\t' << EncodingNames[static_cast<std::size_t>(page)] << '\n';
        } catch (const TError& e) {
            std::cerr << "tekstovar-cli: " << OneLine(e.what()) << '\n';
            status = 1;
        }
    }
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "tekstovar-cli: cannot write standard output\n";
        return 1;
    }
    return status;
}

} // namespace tekstovar::cli
