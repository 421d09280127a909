// SPDX-License-Identifier: MIT
#include "journal/plan_path.h"

#include "journal/durable_file.h"
#include "journal/windows_files.h"

#include <cerrno>

namespace journal {

// Windows decides the right to write by the ACLs when the file is opened;
// here only what can be told before: a directory to write into.
FileStatus CheckPlanPath(const std::string& path)
{
    if (path.empty())
        return FailureOf(ENOENT, path);
    const DWORD existing = GetFileAttributesW(WidePath(path).c_str());
    if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_DIRECTORY))
        return FailureOf(EISDIR, path);
    if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_READONLY))
        return FailureOf(EACCES, path);
    const std::string directory = DirectoryOf(path);
    const DWORD folder = GetFileAttributesW(WidePath(directory).c_str());
    if (folder == INVALID_FILE_ATTRIBUTES)
        return FailureOf(ErrnoOfLastError(), directory);
    if (!(folder & FILE_ATTRIBUTE_DIRECTORY))
        return FailureOf(ENOTDIR, directory);
    return {};
}

} // namespace journal
