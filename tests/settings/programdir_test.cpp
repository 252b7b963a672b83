#include "settings/programdir.h"

#include "common/error.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace tekstovar {
namespace {

using test::TTempDir;

TEST(ProgramDirectory, ChoiceInOrderOfPreference)
{
    TProgramPlaces places;
    places.Home = "/srv/tekstovar";
    places.ExecutableDir = "/opt/bin/";
    places.ExecutableDirWritable = true;
    places.ConfigHome = "/home/u/.cfg";
    places.UserHome = "/home/u";
    EXPECT_EQ(ChooseProgramDirectory(places), "/srv/tekstovar/");
    places.Home.clear();
    EXPECT_EQ(ChooseProgramDirectory(places), "/opt/bin/");
    // An installed program's directory is no place for files, even for root.
    places.ExecutableDir = "/usr/bin";
    EXPECT_EQ(ChooseProgramDirectory(places), "/home/u/.cfg/tekstovar/");
    places.ExecutableDir = "/opt/bin/";
    places.ExecutableDirWritable = false;
    EXPECT_EQ(ChooseProgramDirectory(places), "/home/u/.cfg/tekstovar/");
    // A relative XDG_CONFIG_HOME does not count.
    places.ConfigHome = "relative/cfg";
    EXPECT_EQ(ChooseProgramDirectory(places), "/home/u/.config/tekstovar/");
    places.ConfigHome.clear();
    places.UserHome = "/root/";
    EXPECT_EQ(ChooseProgramDirectory(places), "/root/.config/tekstovar/");
    places.UserHome.clear();
    EXPECT_THROW(ChooseProgramDirectory(places), TError);
}

TEST(ProgramDirectory, EnvironmentVariableWinsAndIsCreatedOnDemand)
{
    TTempDir dir;
    const std::string home = dir.Path("a/b");
    ASSERT_EQ(::setenv("TEKSTOVAR_HOME", home.c_str(), 1), 0);
    EXPECT_EQ(ProgramDirectory(), home + "/");
    EXPECT_FALSE(TTempDir::Exists(home));
    EXPECT_EQ(EnsureProgramDirectory(), home + "/");
    EXPECT_TRUE(std::filesystem::is_directory(home));

    const std::string blocked = dir.Write("file", "") + "/sub";
    ASSERT_EQ(::setenv("TEKSTOVAR_HOME", blocked.c_str(), 1), 0);
    try {
        EnsureProgramDirectory();
        ADD_FAILURE() << "no error";
    } catch (const TError& error) {
        EXPECT_EQ(std::string(error.what()).rfind("Не удаётся создать каталог " + blocked + "/: ", 0), 0u)
            << error.what();
    }
    ::unsetenv("TEKSTOVAR_HOME");
}

} // namespace
} // namespace tekstovar
