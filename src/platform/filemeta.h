#pragma once

#include <string>
#include <sys/stat.h>

namespace tekstovar {

// Gives the file open at `to` what the file open at `from` (its stat in
// `like`) has besides its contents: owner and group, extended attributes
// with the POSIX ACL among them (system.posix_acl_access), and permission
// bits, set-id bits included. The order matters: the owner first, since a
// change of owner clears the set-id bits and file capabilities; the
// attributes next, while the file is still its writer's to change; the bits
// last, which with an ACL set also set its mask, as the original's bits
// match its mask. Attributes the new file got that the old one lacks (an
// ACL inherited from the directory's default) are removed. `from` may be -1
// when the old file could not be opened: its attributes are then unknown.
//
// Returns what could not be kept (only root gives a file away; a file system
// without extended attributes takes none), in words naming `name`; empty
// when everything was. Throws TError only when the permission bits cannot be
// set at all.
std::string CopyFileMetadata(int from, const struct stat& like, int to, const std::string& name);

} // namespace tekstovar
