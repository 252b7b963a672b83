#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace tekstovar {

// Whole-file reading and safe rewriting. Failures throw TError with a Russian
// message that names the file and the system's reason.

// Read regular files only (symbolic links followed): a FIFO, socket, device
// or directory is refused at once ("... это не обычный файл") and never
// blocks. A file too large for memory is a TError, not an abort.
std::string ReadFileBytes(const std::string& path);
// At most `limit` bytes from the start of the file.
std::string ReadFileHead(const std::string& path, std::size_t limit);

// The page of a file's contents, found from its head (DetectEncodingOfHead).
int DetectFileEncoding(const std::string& path);
// Reads from an open descriptor (a file or a pipe) up to `limit` bytes;
// `name` goes into the message of a failure. A directory is refused.
std::string ReadDescriptor(int fd, const std::string& name, std::size_t limit = std::string::npos);

// A temporary file beside `target` (in the same directory, so that a rename
// moves it into place), named ".tekstovar-<pid>-<random>" and created O_EXCL
// with mode 0600 before a byte is written: no one else sees a partial copy.
// Removed when the object goes unless committed. Messages name the target.
class TTempFile {
public:
    // Throws TError ("Не удаётся создать файл TARGET: reason").
    explicit TTempFile(const std::string& target);
    TTempFile(const TTempFile&) = delete;
    TTempFile& operator=(const TTempFile&) = delete;
    ~TTempFile();

    // -1 once committed.
    int Fd() const { return Descriptor; }
    const std::string& Path() const { return TempPath; }
    const std::string& Target() const { return TargetPath; }

    void Write(std::string_view bytes);
    // Gives the owner and group (best effort: only root may give a file away;
    // failing that, the group alone is tried). True when both were set.
    // Call before SetMode: a change of owner clears the set-id bits.
    bool KeepOwner(uid_t uid, gid_t gid);
    // The final permission bits, once the contents are written.
    void SetMode(mode_t mode);
    // Flushes, closes and renames onto the target: replacing it, or only
    // when nothing lies there (RenameNoReplace). On any failure the temporary
    // file is gone, the target untouched, and TError is thrown.
    void Commit(bool replace);

private:
    std::string TargetPath;
    std::string TempPath;
    int Descriptor = -1;
    bool Finished = false; // committed, or removed after a failure
};

// Replaces the file's contents so that a crash or a full disk never leaves
// it half-written: the bytes go to a TTempFile beside it, which is flushed
// and renamed over the file. A symbolic link stays a link: the file it leads
// to (at the end of a chain) is what is replaced. Something that is not a
// regular file is refused untouched. The file keeps what it was
// (CopyFileMetadata): permission bits exactly, owner and group, extended
// attributes and ACL where allowed; a new file gets 0666 less the umask. On
// failure the old file stays as it was and no temporary is left.
// Returns what of the old file could not be kept, in words (empty when all
// was): the new contents are in place all the same.
std::string WriteFileReplacing(const std::string& path, const std::string& bytes);

// The same rewrite with the contents given in pieces: a large file's new
// contents need not be in memory at once. Until Commit the file is untouched;
// an object that goes uncommitted leaves no temporary behind.
class TFileRewrite {
public:
    // Follows the links and refuses what is not a regular file (TError).
    explicit TFileRewrite(const std::string& path);
    void Write(std::string_view bytes) { Temp.Write(bytes); }
    // Where the new contents are until Commit.
    const std::string& TemporaryPath() const { return Temp.Path(); }
    // Gives the new file what the old one had and puts it in place; returns
    // what could not be kept, as WriteFileReplacing does.
    std::string Commit();

private:
    std::string Path;
    std::string Target;
    TTempFile Temp;
};

// Renames unless something already carries the new name; false on failure,
// with the system's reason in `error`. Where the file system refuses the
// atomic no-replace rename (NFS, FUSE), a hard link and unlink stand in, and
// where hard links are refused too, a check that the name is free and a
// plain rename.
bool RenameNoReplace(const std::string& from, const std::string& to, std::string& error);

enum class TRenameFallback { None, Link, CheckThenRename };
// Tests only: RenameNoReplace behaves as if the file system refused the
// atomic no-replace rename (and, for CheckThenRename, hard links too).
void ForceRenameFallbackForTests(TRenameFallback fallback);

// Removes the regular files named ".tekstovar-<pid>-<digits>" in `directory`
// whose process is gone: what a run killed outright left behind. Temporaries
// of live processes, this one included, stay. Returns how many were removed;
// never throws.
std::size_t RemoveStaleTemporaries(const std::string& directory) noexcept;

} // namespace tekstovar
