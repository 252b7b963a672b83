#include "cli/textmode.h"

#include "cli/io.h"
#include "common/error.h"
#include "encodings/codepages.h"
#include "encodings/detect.h"
#include "engine/maskedreplacer.h"
#include "platform/fileio.h"
#include "platform/winunicode.h"

#include <iostream>
#include <unistd.h>

namespace tekstovar::cli {

namespace {

// How much of a text detection looks at, as the windows do.
constexpr std::size_t DetectionLength = 512;

std::string Mask(const std::optional<std::string>& typed, const std::optional<std::string>& file)
{
    if (typed)
        return Utf8ToWin(*typed);
    if (file)
        return ReadFileBytes(*file); // WIN bytes, whole, as they stand
    return {};
}

} // namespace

int RunTextMode(const TCliOptions& options)
{
    std::string searchMask;
    std::string replaceMask;
    std::string input;
    try {
        searchMask = Mask(options.SearchMask, options.SearchFile);
        replaceMask = Mask(options.ReplaceMask, options.ReplaceFile);
        input = ReadStream(STDIN_FILENO);
    } catch (const TError& e) {
        std::cerr << "tekstovar-cli: " << e.what() << '\n';
        return 1;
    }
    const int from = options.From != EncodingNone ? options.From
                                                  : DetectEncoding(std::string_view(input).substr(0, DetectionLength));

    std::unique_ptr<TMaskedReplacer> replacer;
    try {
        replacer =
            TMaskedReplacer::Create(std::move(input), std::move(searchMask), std::move(replaceMask), from, options.To);
    } catch (const TError& e) {
        std::cerr << "error: " << e.what() << '\n';
        return 1;
    }
    replacer->Run();
    try {
        WriteStream(STDOUT_FILENO, replacer->Result());
    } catch (const TError& e) {
        std::cerr << "tekstovar-cli: " << e.what() << '\n';
        return 1;
    }
    if (!replacer->ErrorText().empty())
        std::cerr << "warning: " << replacer->ErrorText() << '\n';
    std::cerr << "replacements: " << replacer->ReplaceCount() << '\n';
    return 0;
}

int RunDetectMode(const TCliOptions& options)
{
    int status = 0;
    for (const std::string& path : options.Files) {
        try {
            std::string head = ReadFileHead(path, DetectionLength);
            std::cout << path << '\t' << EncodingNames[DetectEncoding(head)] << '\n';
        } catch (const TError& e) {
            std::cerr << "tekstovar-cli: " << e.what() << '\n';
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
