// One search mask over standard input, written to standard output, with the
// fast matcher or (--plain) with plain matching, which tekstovar-cli cannot
// choose: bench/masks.sh compares the two byte for byte.
//
//   tekstovar-maskbench [--plain] SEARCH REPLACE < input > output
//
// The masks are WIN bytes, as is the text. Standard error gets
// "replacements: N matches: M seconds: S".

#include "common/error.h"
#include "engine/maskedreplacer.h"

#include <chrono>
#include <cstdio>
#include <iostream>
#include <iterator>
#include <string>
#include <string_view>

int main(int argc, char** argv)
{
    int first = 1;
    const bool plain = argc > 1 && std::string_view(argv[1]) == "--plain";
    if (plain)
        ++first;
    if (argc - first != 2) {
        std::fprintf(stderr, "usage: tekstovar-maskbench [--plain] SEARCH REPLACE < input > output\n");
        return 2;
    }
    std::ios::sync_with_stdio(false);
    std::string text(std::istreambuf_iterator<char>(std::cin), {});
    try {
        const auto started = std::chrono::steady_clock::now();
        tekstovar::TMaskedReplacer r(std::move(text), argv[first], argv[first + 1], 0, -1, {.PlainMatching = plain});
        r.Run();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
        std::fwrite(r.Result().data(), 1, r.Result().size(), stdout);
        std::fprintf(
            stderr, "replacements: %lld matches: %lld seconds: %.3f\n", r.ReplaceCount(), r.MatchCount(), took.count());
    } catch (const tekstovar::TError& e) {
        std::fprintf(stderr, "tekstovar-maskbench: %s\n", e.what());
        return 2;
    }
    return std::fflush(stdout) == 0 ? 0 : 2;
}
