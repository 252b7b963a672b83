#include "settings/programdir.h"

#include "common/error.h"
#include "platform/pathparts.h"

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <unistd.h>

namespace tekstovar {

namespace {

std::string WithSlash(std::string path)
{
    if (!path.empty() && path.back() != '/')
        path += '/';
    return path;
}

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string ExecutableDirectory()
{
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof buffer)
        return "";
    return DirectoryPart(std::string_view(buffer, static_cast<std::size_t>(length)));
}

std::string UserHome()
{
    std::string home = Environment("HOME");
    if (home.empty())
        if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir)
            home = entry->pw_dir;
    return home;
}

// Where the system's packages put programs: writable for root, but no place
// for a user's files (removing the package would leave them behind).
bool IsSystemDirectory(const std::string& directory)
{
    const std::string d = WithSlash(directory);
    return d.starts_with("/usr/") || d == "/bin/" || d == "/sbin/";
}

} // namespace

std::string ChooseProgramDirectory(const TProgramPlaces& places)
{
    if (!places.Home.empty())
        return WithSlash(places.Home);
    if (!places.ExecutableDir.empty() && places.ExecutableDirWritable && !IsSystemDirectory(places.ExecutableDir))
        return WithSlash(places.ExecutableDir);
    // A relative XDG_CONFIG_HOME is to be ignored, as the XDG rules say.
    if (places.ConfigHome.starts_with('/'))
        return WithSlash(places.ConfigHome) + "tekstovar/";
    if (places.UserHome.empty())
        throw TError("Не удаётся выбрать каталог для файлов программы: не задан домашний каталог");
    return WithSlash(places.UserHome) + ".config/tekstovar/";
}

std::string ProgramDirectory()
{
    TProgramPlaces places;
    places.Home = Environment("TEKSTOVAR_HOME");
    if (places.Home.empty()) {
        places.ExecutableDir = ExecutableDirectory();
        places.ExecutableDirWritable =
            !places.ExecutableDir.empty() && ::access(places.ExecutableDir.c_str(), W_OK) == 0;
        places.ConfigHome = Environment("XDG_CONFIG_HOME");
        places.UserHome = UserHome();
    }
    return ChooseProgramDirectory(places);
}

std::string EnsureProgramDirectory()
{
    const std::string directory = ProgramDirectory();
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    if (error)
        throw TError("Не удаётся создать каталог " + directory + ": " + error.message());
    return directory;
}

} // namespace tekstovar
