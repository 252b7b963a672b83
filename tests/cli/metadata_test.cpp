// A file rewritten, backed up or restored by tekstovar-cli keeps what it was
// besides its contents; what it cannot keep is said, and the run still counts.
#include "clitest.h"

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <map>
#include <ostream>
#include <sys/stat.h>
#include <sys/xattr.h>

namespace tekstovar {
namespace {

constexpr uid_t Nobody = 65534;
constexpr gid_t NoGroup = 65534;

// Everything of a file but its contents that a rewrite must keep.
struct TMeta {
    mode_t Mode = 0;
    uid_t Uid = 0;
    gid_t Gid = 0;
    std::map<std::string, std::string> Attributes; // the ACL among them
    bool operator==(const TMeta&) const = default;
};

std::ostream& operator<<(std::ostream& out, const TMeta& m)
{
    out << std::oct << m.Mode << std::dec << " " << m.Uid << ":" << m.Gid;
    for (const auto& [name, value] : m.Attributes)
        out << " " << name << "=" << testing::PrintToString(value);
    return out;
}

TMeta MetaOf(const fs::path& path)
{
    TMeta m;
    struct stat st { };
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    m.Mode = st.st_mode & 07777;
    m.Uid = st.st_uid;
    m.Gid = st.st_gid;
    std::string names(4096, '\0');
    const ssize_t size = ::listxattr(path.c_str(), names.data(), names.size());
    for (std::size_t at = 0; size > 0 && at < static_cast<std::size_t>(size); at = names.find('\0', at) + 1) {
        const std::string name = names.c_str() + at;
        std::string value(4096, '\0');
        const ssize_t length = ::getxattr(path.c_str(), name.c_str(), value.data(), value.size());
        value.resize(length < 0 ? 0 : static_cast<std::size_t>(length));
        m.Attributes[name] = value;
    }
    return m;
}

// A POSIX ACL as the kernel takes it in system.posix_acl_access: version 2,
// then (tag, permissions, id) little-endian, sorted by tag.
std::string AclBlob(std::initializer_list<std::array<std::uint32_t, 3>> entries)
{
    std::string blob;
    const auto put = [&blob](std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            blob += static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    put(2, 4);
    for (const auto& [tag, permissions, id] : entries) {
        put(tag, 2);
        put(permissions, 2);
        put(id, 4);
    }
    return blob;
}

// Owner rw-, user 1 rwx, group r--, mask r--, others ---: mode x640.
const std::string NamedUserAcl =
    AclBlob({{0x01, 6, ~0u}, {0x02, 7, 1}, {0x04, 4, ~0u}, {0x10, 4, ~0u}, {0x20, 0, ~0u}});

class CliMetadataTest : public CliTest { };

TEST_F(CliMetadataTest, RewriteBackupAndRestoreKeepModeOwnerAttributesAndAcl)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "giving a file to another owner takes root";
    const fs::path file = Make("m/a.txt", "n=1");
    ASSERT_EQ(::chown(file.c_str(), Nobody, NoGroup), 0);
    // The set-user-ID bit too: a change of owner made after the mode clears it.
    ASSERT_EQ(::chmod(file.c_str(), 04640), 0);
    if (::setxattr(file.c_str(), "user.test", "kept", 4, 0) != 0 ||
        ::setxattr(file.c_str(), "system.posix_acl_access", NamedUserAcl.data(), NamedUserAcl.size(), 0) != 0)
        GTEST_SKIP() << "the temporary directory's file system refuses attributes or ACLs: " << std::strerror(errno);
    const TMeta before = MetaOf(file);
    ASSERT_EQ(before.Mode, 04640u);
    ASSERT_EQ(before.Attributes.size(), 2u) << before;

    const TRun run = Run({"-s", "\\+9", "-r", "\\+1", "--backup-root", P("root"), file.string()});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Err, "replacements: 1\n");
    EXPECT_EQ(ReadBytes(file), "n=2");
    EXPECT_EQ(MetaOf(file), before);
    const fs::path backup = P("root") + file.string();
    EXPECT_EQ(ReadBytes(backup), "n=1");
    EXPECT_EQ(MetaOf(backup), before);

    // A restore from another file system copies the backup over the file.
    struct stat here { };
    struct stat shm { };
    if (::stat(Dir.c_str(), &here) != 0 || ::stat("/dev/shm", &shm) != 0 || here.st_dev == shm.st_dev)
        return;
    const fs::path other = fs::path("/dev/shm") / Dir.filename();
    struct TGone {
        fs::path Path;
        ~TGone()
        {
            std::error_code ignored;
            fs::remove_all(Path, ignored);
        }
    } gone{other};
    fs::create_directories(other);
    const fs::path probe = other / "probe";
    WriteBytes(probe, "");
    if (::setxattr(probe.c_str(), "user.test", "x", 1, 0) != 0 ||
        ::setxattr(probe.c_str(), "system.posix_acl_access", NamedUserAcl.data(), NamedUserAcl.size(), 0) != 0)
        return; // tmpfs without user attributes: no copy there could keep them
    EXPECT_EQ(Run({"-s", "\\+9", "-r", "\\+1", "--backup-root", other.string(), file.string()}).Status, 0);
    EXPECT_EQ(MetaOf(other.string() + file.string()), before);
    const TRun restore = Run({"--restore", "--backup-root", other.string(), file.string()});
    EXPECT_EQ(restore.Status, 0) << restore.Err;
    EXPECT_EQ(restore.Out, file.string() + "\n");
    EXPECT_EQ(restore.Err, "");
    EXPECT_EQ(ReadBytes(file), "n=2");
    EXPECT_EQ(MetaOf(file), before);
}

TEST_F(CliMetadataTest, AnOwnerThatCannotBeKeptIsReportedAndTheFileStillRewritten)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "running as another user takes root";
    if (!fs::exists("/usr/bin/setpriv"))
        GTEST_SKIP() << "no setpriv (util-linux) to run as nobody";
    // Root's file, which nobody may read, in a directory nobody may write:
    // nobody can replace it, but not give the new file to root.
    const fs::path file = Make("w/a.txt", "n=1");
    ASSERT_EQ(::chmod(file.c_str(), 0644), 0);
    ASSERT_EQ(::chown((Dir / "w").c_str(), Nobody, NoGroup), 0);
    fs::permissions(Dir, fs::perms(0755));
    Wrapper = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
    const TRun run = Run({"-s", "\\+9", "-r", "\\+1", "--log", P("w/run.log"), file.string()});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, file.string() + "\t1\n");
    EXPECT_EQ(ReadBytes(file), "n=2");
    const TMeta after = MetaOf(file);
    EXPECT_EQ(after.Uid, Nobody);
    EXPECT_EQ(after.Mode, 0644u);

    const auto err = Lines(run.Err);
    ASSERT_EQ(err.size(), 2u) << run.Err;
    const std::string warning =
        "tekstovar-cli: warning: У файла " + file.string() + " не сохранены: владелец 0 и группа 0";
    EXPECT_EQ(err[0].substr(0, warning.size()), warning);
    EXPECT_EQ(err[1], "replacements: 1");
    // The log's line of the file carries it after the count.
    const auto log = Lines(ReadBytes(Dir / "w/run.log"));
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back().substr(0, file.string().size() + 3), file.string() + "\t1\t");
    EXPECT_NE(log.back().find(Utf8ToWin("владелец 0 и группа 0")), std::string::npos) << log.back();
}

} // namespace
} // namespace tekstovar
