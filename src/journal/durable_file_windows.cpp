// SPDX-License-Identifier: MIT
// Durable files on Windows: CreateFileW never following a reparse point,
// LockFileEx for the appends, FlushFileBuffers for the disk.
#include "journal/durable_file.h"
#include "journal/own_directory.h"
#include "journal/windows_files.h"

#include <cerrno>
#include <io.h>

namespace journal {

namespace {

bool WriteAll(HANDLE file, const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        DWORD written = 0;
        if (!WriteFile(file, text.data() + done, static_cast<DWORD>(text.size() - done), &written, nullptr) ||
            written == 0)
            return false;
        done += written;
    }
    return true;
}

bool CutBackTo(HANDLE file, LONGLONG length)
{
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = length;
    return SetFileInformationByHandle(file, FileEndOfFileInfo, &end, sizeof end) && FlushFileBuffers(file);
}

FileStatus Finish(HANDLE file, const std::string& text, const std::string& path)
{
    if (!WriteAll(file, text) || !FlushFileBuffers(file))
        return FailureOf(ErrnoOfLastError(), path);
    return {};
}

} // namespace

std::wstring WidePath(const std::string& path)
{
    const int length = MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, nullptr, 0);
    std::wstring wide(length > 0 ? static_cast<std::size_t>(length) : 1, L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, wide.data(), length);
    wide.resize(wide.size() - 1);
    return wide;
}

std::string Utf8Text(const std::wstring& text)
{
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string result(length > 0 ? static_cast<std::size_t>(length) : 1, '\0');
    if (length > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, result.data(), length, nullptr, nullptr);
    result.resize(result.size() - 1);
    return result;
}

int ErrnoOfLastError()
{
    switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    case ERROR_CANT_RESOLVE_FILENAME: return ELOOP;
    case ERROR_INVALID_NAME: return EINVAL;
    default: return EIO;
    }
}

FileStatus MakeDirectories(const std::string& directory)
{
    for (std::size_t at = 1; at <= directory.size(); ++at) {
        if (at != directory.size() && directory[at] != '/')
            continue;
        const std::string prefix = directory.substr(0, at);
        // "C:" is a drive, not a directory to make.
        if (prefix.size() == 2 && prefix[1] == ':')
            continue;
        if (!CreateDirectoryW(WidePath(prefix).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            return FailureOf(ErrnoOfLastError(), prefix);
    }
    return {};
}

FileStatus AppendLine(const std::string& path, const std::string& line)
{
    const std::string directory = DirectoryOf(path);
    if (FileStatus made = MakeDirectories(directory); !made.Ok())
        return made;
    int directoryFd = -1;
    if (FileStatus own = OpenOwnDirectory(directory, directoryFd); !own.Ok())
        return own;
    _close(directoryFd);
    FileHandle file(CreateFileW(WidePath(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file.Valid())
        return FailureOf(ErrnoOfLastError(), path);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file.Get(), &info))
        return FailureOf(ErrnoOfLastError(), path);
    if (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY))
        return {EINVAL, "to nie jest zwykły plik", path};
    // Another run appending at the same time must not have its record cut
    // away by this one's rollback.
    OVERLAPPED whole{};
    if (!LockFileEx(file.Get(), LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole))
        return FailureOf(ErrnoOfLastError(), path);
    LARGE_INTEGER length{};
    if (!GetFileSizeEx(file.Get(), &length))
        return FailureOf(ErrnoOfLastError(), path);
    std::string text = line + '\n';
    if (length.QuadPart > 0) {
        char last = '\n';
        DWORD read = 0;
        LARGE_INTEGER at{};
        at.QuadPart = length.QuadPart - 1;
        if (!SetFilePointerEx(file.Get(), at, nullptr, FILE_BEGIN) || !ReadFile(file.Get(), &last, 1, &read, nullptr) ||
            read != 1)
            return FailureOf(ErrnoOfLastError(), path);
        if (last != '\n')
            text.insert(text.begin(), '\n');
    }
    if (!SetFilePointerEx(file.Get(), length, nullptr, FILE_BEGIN))
        return FailureOf(ErrnoOfLastError(), path);
    if (FileStatus written = Finish(file.Get(), text, path); !written.Ok()) {
        if (!CutBackTo(file.Get(), length.QuadPart))
            written.Text += "; nie cofnięto niepełnego zapisu";
        return written;
    }
    return {};
}

FileStatus WriteWholeFile(const std::string& path, const std::string& content)
{
    const std::wstring wide = WidePath(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    // A new file or a device ("CON") is written in place.
    if (!exists || path.rfind("\\\\.\\", 0) == 0) {
        FileHandle file(CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, exists ? OPEN_EXISTING : CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.Valid())
            return FailureOf(ErrnoOfLastError(), path);
        return Finish(file.Get(), content, path);
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return FailureOf(EISDIR, path);
    const std::string temporary = path + ".tmp";
    {
        FileHandle file(CreateFileW(WidePath(temporary).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.Valid())
            return FailureOf(ErrnoOfLastError(), temporary);
        if (FileStatus written = Finish(file.Get(), content, temporary); !written.Ok()) {
            DeleteFileW(WidePath(temporary).c_str());
            return written;
        }
    }
    if (!MoveFileExW(WidePath(temporary).c_str(), wide.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const int error = ErrnoOfLastError();
        DeleteFileW(WidePath(temporary).c_str());
        return FailureOf(error, path);
    }
    return {};
}

} // namespace journal
