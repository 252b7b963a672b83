#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tekstovar {

// All that a descriptor gives (a pipe), in one block of memory that grows in
// place: the system moves a large block's pages instead of copying them, so
// reading a text never holds it twice, as a string doubling its room would.
class TStreamBuffer {
public:
    TStreamBuffer() = default;
    TStreamBuffer(TStreamBuffer&& other) noexcept;
    TStreamBuffer& operator=(TStreamBuffer&& other) noexcept;
    TStreamBuffer(const TStreamBuffer&) = delete;
    TStreamBuffer& operator=(const TStreamBuffer&) = delete;
    ~TStreamBuffer();

    // Reads fd to its end; `name` goes into the message of a failure (TError,
    // as ReadDescriptor's).
    static TStreamBuffer ReadAll(int fd, const std::string& name);

    std::string_view Bytes() const { return {Data, Size}; }

private:
    char* Data = nullptr;
    std::size_t Size = 0;
    std::size_t Capacity = 0;
};

} // namespace tekstovar
