#include "platform/streambuffer.h"

#include "common/error.h"
#include "platform/quoting.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <utility>

namespace tekstovar {

namespace {

constexpr std::size_t FirstRoom = std::size_t{1} << 20;

} // namespace

TStreamBuffer::TStreamBuffer(TStreamBuffer&& other) noexcept
    : Data(std::exchange(other.Data, nullptr)), Size(std::exchange(other.Size, 0)),
      Capacity(std::exchange(other.Capacity, 0))
{
}

TStreamBuffer& TStreamBuffer::operator=(TStreamBuffer&& other) noexcept
{
    if (this != &other) {
        std::free(Data);
        Data = std::exchange(other.Data, nullptr);
        Size = std::exchange(other.Size, 0);
        Capacity = std::exchange(other.Capacity, 0);
    }
    return *this;
}

TStreamBuffer::~TStreamBuffer() { std::free(Data); }

TStreamBuffer TStreamBuffer::ReadAll(int fd, const std::string& name)
{
    TStreamBuffer buffer;
    for (;;) {
        if (buffer.Size == buffer.Capacity) {
            // realloc moves a large block's pages (mremap): no copy, no
            // moment with the text twice.
            const std::size_t room = buffer.Capacity == 0 ? FirstRoom : buffer.Capacity * 2;
            auto* grown = static_cast<char*>(std::realloc(buffer.Data, room));
            if (!grown)
                throw TError("Файл слишком велик для памяти: " + QuoteName(name));
            buffer.Data = grown;
            buffer.Capacity = room;
        }
        const ssize_t got = ::read(fd, buffer.Data + buffer.Size, buffer.Capacity - buffer.Size);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw TError("Не удаётся прочитать файл " + QuoteName(name) + ": " + std::strerror(errno));
        }
        if (got == 0)
            return buffer;
        buffer.Size += static_cast<std::size_t>(got);
    }
}

} // namespace tekstovar
