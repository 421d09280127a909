// SPDX-License-Identifier: MIT
#include "journal/plan_path.h"

#include "journal/durable_file.h"
#include "journal/windows_files.h"

#include <cerrno>
#include <optional>
#include <string_view>

namespace journal {

namespace {

// The volume and file index that name a file whatever its path, as device
// and inode do on Linux.
std::optional<BY_HANDLE_FILE_INFORMATION> IdentityOf(const std::string& path)
{
    FileHandle file(CreateFileW(WidePath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION information{};
    if (!file.Valid() || !GetFileInformationByHandle(file.Get(), &information))
        return std::nullopt;
    return information;
}

bool SameFile(const BY_HANDLE_FILE_INFORMATION& file, const std::string& other)
{
    const auto identity = other.empty() ? std::nullopt : IdentityOf(other);
    return identity && identity->dwVolumeSerialNumber == file.dwVolumeSerialNumber &&
        identity->nFileIndexHigh == file.nFileIndexHigh && identity->nFileIndexLow == file.nFileIndexLow;
}

// Whether the non-empty file at `path` starts with the undo plan's header line.
bool StartsAsUndoPlan(const std::string& path)
{
    FileHandle file(CreateFileW(WidePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    char start[64] = {};
    DWORD read = 0;
    if (!file.Valid() || !ReadFile(file.Get(), start, sizeof start, &read, nullptr))
        return false;
    const std::string_view text(start, read);
    const std::string_view header(kUndoPlanHeader);
    return text.starts_with(header) &&
        (text.size() == header.size() || text[header.size()] == '\n' || text.substr(header.size(), 2) == "\r\n");
}

// Why the file at `path` must not be replaced by an undo plan, if it must not.
std::string KeptFileRefusal(const std::string& path, const std::vector<std::string>& kept)
{
    const auto identity = IdentityOf(path);
    if (!identity)
        return {};
    for (const std::string& other : kept)
        if (SameFile(*identity, other))
            return SameFileRefusal(other);
    const bool empty = identity->nFileSizeHigh == 0 && identity->nFileSizeLow == 0;
    if (!empty && !StartsAsUndoPlan(path))
        return NotAnUndoPlanRefusal();
    return {};
}

} // namespace

// Windows decides the right to write by the ACLs when the file is opened;
// here only what can be told before: a directory to write into, and a file
// there that may be replaced.
FileStatus CheckPlanPath(const std::string& path, const std::vector<std::string>& kept)
{
    if (path.empty())
        return FailureOf(ENOENT, path);
    const DWORD existing = GetFileAttributesW(WidePath(path).c_str());
    if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_DIRECTORY))
        return FailureOf(EISDIR, path);
    if (const std::string refusal = existing != INVALID_FILE_ATTRIBUTES ? KeptFileRefusal(path, kept) : "";
        !refusal.empty())
        return {EEXIST, refusal, path};
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
