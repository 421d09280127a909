// SPDX-License-Identifier: MIT
// Windows build only: UTF-8 paths as wide strings and Win32 errors as the
// errno numbers that FileStatus carries.
#pragma once

#include <string>
#include <windows.h>

namespace journal {

std::wstring WidePath(const std::string& path);
std::string Utf8Text(const std::wstring& text);
// errno for GetLastError()'s code (EIO for those without one).
int ErrnoOfLastError();

// Closes the handle on every way out.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle()
    {
        if (Valid())
            CloseHandle(handle_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
};

} // namespace journal
