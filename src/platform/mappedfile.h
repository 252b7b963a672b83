#pragma once

#include <cstddef>
#include <string_view>

namespace tekstovar {

// What is left to read of a regular file, mapped read-only into memory: a
// large input read without a copy, without zeroing a buffer for it first.
// A private mapping: nothing written through it could reach the file. If
// the file is cut short while it is mapped, reading the lost part raises
// SIGBUS: an owner maps only where it can stop cleanly on that signal.
class TMappedFile {
public:
    TMappedFile() = default;
    TMappedFile(TMappedFile&& other) noexcept;
    TMappedFile& operator=(TMappedFile&& other) noexcept;
    TMappedFile(const TMappedFile&) = delete;
    TMappedFile& operator=(const TMappedFile&) = delete;
    ~TMappedFile();

    // The rest of the regular file open on fd, from its offset to its end,
    // when that is at least `minimum` bytes (the offset then moves to the
    // end, as reading would move it); nothing mapped otherwise.
    static TMappedFile MapRest(int fd, std::size_t minimum);

    // Unmaps, and moves fd's offset back to where the mapping began: the
    // rest is then read as if it had never been mapped.
    void GiveBack(int fd);

    bool Mapped() const { return Base != nullptr; }
    std::string_view Bytes() const { return View; }

private:
    void Release() noexcept;

    void* Base = nullptr;
    std::size_t Length = 0;
    std::string_view View;
};

} // namespace tekstovar
