#include "platform/mappedfile.h"

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace tekstovar {

TMappedFile::TMappedFile(TMappedFile&& other) noexcept
    : Base(std::exchange(other.Base, nullptr)), Length(std::exchange(other.Length, 0)),
      View(std::exchange(other.View, {}))
{
}

TMappedFile& TMappedFile::operator=(TMappedFile&& other) noexcept
{
    if (this != &other) {
        Release();
        Base = std::exchange(other.Base, nullptr);
        Length = std::exchange(other.Length, 0);
        View = std::exchange(other.View, {});
    }
    return *this;
}

TMappedFile::~TMappedFile() { Release(); }

void TMappedFile::Release() noexcept
{
    if (Base)
        ::munmap(Base, Length);
    Base = nullptr;
    Length = 0;
    View = {};
}

void TMappedFile::GiveBack(int fd)
{
    if (!Base)
        return;
    ::lseek(fd, static_cast<off_t>(Length - View.size()), SEEK_SET);
    Release();
}

TMappedFile TMappedFile::MapRest(int fd, std::size_t minimum)
{
    TMappedFile mapped;
    struct stat st { };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0)
        return mapped;
    const off_t offset = ::lseek(fd, 0, SEEK_CUR);
    if (offset < 0 || offset >= st.st_size || static_cast<std::size_t>(st.st_size - offset) < minimum)
        return mapped;
    const auto length = static_cast<std::size_t>(st.st_size);
    // Populated at once: the pages are in place before the run, as a read
    // would have them, in one pass instead of a fault at a time.
    void* base = ::mmap(nullptr, length, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    if (base == MAP_FAILED)
        return mapped; // read instead
    if (::lseek(fd, 0, SEEK_END) < 0) {
        ::munmap(base, length);
        return mapped;
    }
    ::madvise(base, length, MADV_SEQUENTIAL);
    mapped.Base = base;
    mapped.Length = length;
    mapped.View = std::string_view(static_cast<const char*>(base) + offset, length - static_cast<std::size_t>(offset));
    return mapped;
}

} // namespace tekstovar
