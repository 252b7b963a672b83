#include "filerun/runlog.h"

#include "common/error.h"
#include "platform/quoting.h"
#include "platform/winunicode.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace tekstovar {

std::string LogDateTime(std::time_t when)
{
    std::tm local{};
    localtime_r(&when, &local);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%d.%m.%Y %H:%M:%S", &local);
    return buffer;
}

std::string PathToWin(const std::string& path)
{
    if (!Utf8FitsWin(path))
        throw TError("Путь нельзя записать в кодировке WIN: " + QuoteName(path));
    return Utf8ToWin(path);
}

namespace {

// A mask read from a file may hold raw line breaks; in the log they are
// written as the mask boxes show them, so a mask stays one line.
std::string MaskLine(const std::string& mask)
{
    std::string line;
    line.reserve(mask.size());
    for (std::size_t i = 0; i < mask.size(); ++i) {
        if (mask[i] == '\r' || mask[i] == '\n') {
            line += "\\n";
            if (mask[i] == '\r' && i + 1 < mask.size() && mask[i + 1] == '\n')
                ++i;
        } else
            line += mask[i];
    }
    return line;
}

} // namespace

void TRunLog::Header(bool names, const std::string& searchMask, const std::string& replaceMask, std::time_t when) const
{
    if (!Enabled())
        return; // nothing to make the line for
    Write("\r\n" + LogDateTime(when));
    Write(Utf8ToWin(names ? "Замена В Именах Файлов" : "Замена В Содержимом Файлов"));
    Write(Utf8ToWin("Маска Поиска:") + MaskLine(searchMask));
    Write(Utf8ToWin("Маска Замены:") + MaskLine(replaceMask));
}

void TRunLog::ContentLine(const std::string& path, long long count, const std::string& warning) const
{
    if (!Enabled())
        return; // nothing to make the line for
    std::string line = QuoteNameWin(path);
    line.append("\t").append(std::to_string(count));
    if (!warning.empty())
        line.append("\t").append(OneLineWin(warning));
    Write(line);
}

void TRunLog::NameLine(const std::string& oldPath, const std::string& newName, long long count) const
{
    if (!Enabled())
        return; // nothing to make the line for
    Write(QuoteNameWin(oldPath) + "\t" + QuoteNameWin(newName) + "\t" + std::to_string(count));
}

void TRunLog::ErrorLine(const std::string& path, const std::string& message) const
{
    if (!Enabled())
        return; // nothing to make the line for
    Write(QuoteNameWin(path) + "\t" + OneLineWin(message));
}

int TRunLog::Descriptor() const
{
    if (Fd)
        return *Fd;
    // A pipe without a reader must not hold the run up: it is refused at once
    // (a device or a pipe that is read is written to as to a file).
    const int fd = ::open(Path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0666);
    if (fd < 0)
        throw TError("Не удаётся открыть журнал " + QuoteName(Path) + ": " + std::strerror(errno));
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    Fd = std::shared_ptr<const int>(new int(fd), [](const int* open) {
        ::close(*open);
        delete open;
    });
    return fd;
}

void TRunLog::Write(const std::string& line) const
{
    if (!Enabled())
        return;
    const std::string bytes = line + "\r\n";
    const int fd = Descriptor();
    const char* at = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t put = ::write(fd, at, left);
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0) {
            const int error = errno;
            Fd.reset();
            throw TError("Не удаётся записать журнал " + QuoteName(Path) + ": " + std::strerror(error));
        }
        at += put;
        left -= static_cast<std::size_t>(put);
    }
}

} // namespace tekstovar
