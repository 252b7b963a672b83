#include "encodings/detect.h"

#include "encodings/codepages.h"
#include "encodings/utf8.h"

#include <array>
#include <cstdint>

namespace tekstovar {

int DetectEncoding(std::string_view text) { return LooksLikeUtf8(text, false) ? EncodingUtf : DetectBytePage(text); }

int DetectBytePage(std::string_view text)
{
    // Count each byte value once, then weigh: the same sums as adding the
    // weights byte by byte. Counts are 64-bit; the scores wrap as the 32-bit
    // sums they stand for.
    std::array<std::uint64_t, 256> counts{};
    for (unsigned char b : text)
        ++counts[b];
    std::array<std::uint32_t, EncodingCount> scores{};
    for (int b = 0; b < 256; ++b) {
        if (!counts[b])
            continue;
        for (int e = 0; e < EncodingCount; ++e) {
            int k = LetterPosition(e, static_cast<unsigned char>(b));
            scores[e] += static_cast<std::uint32_t>(counts[b] * static_cast<std::uint64_t>(LetterWeights[k]));
        }
    }
    int result = 0;
    auto best = static_cast<std::int32_t>(scores[0]);
    for (int e = 1; e < EncodingCount; ++e) {
        auto score = static_cast<std::int32_t>(scores[e]);
        if (score > best) {
            best = score;
            result = e;
        }
    }
    return result;
}

int DetectEncodingOfHead(std::string_view text)
{
    const std::string_view head = text.substr(0, DetectionLength);
    return LooksLikeUtf8(head, text.size() > head.size()) ? EncodingUtf : DetectBytePage(head);
}

} // namespace tekstovar
