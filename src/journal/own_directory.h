// SPDX-License-Identifier: MIT
// The journal's directory: the user's own and closed to everyone else, so
// no other user can read the records, plant a file or a link among them or
// take one away.
#pragma once
#include "journal/file_status.h"

#include <string>

namespace journal {

// Opens `directory` for openat (a symbolic link as its last component is
// refused, ELOOP) and checks that its owner is the effective user and that
// group and others have no access (mode 0700). On success `fd` is the open
// descriptor; on failure it is -1 and the status says why in Polish
// ("katalog należy do innego użytkownika...", EPERM).
FileStatus OpenOwnDirectory(const std::string& directory, int& fd);

} // namespace journal
