// SPDX-License-Identifier: MIT
// The journal's directory on Windows: no reparse point (a junction or a
// symbolic link) in its place, and owned by the user the program runs as
// (its SID); %LOCALAPPDATA% is closed to other users already.
#include "journal/own_directory.h"
#include "journal/windows_files.h"

#include <aclapi.h>
#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <sddl.h>
#include <vector>

namespace journal {

namespace {

std::vector<unsigned char> ProcessUser()
{
    HANDLE token = nullptr;
    std::vector<unsigned char> user;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return user;
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    user.resize(size);
    if (!GetTokenInformation(token, TokenUser, user.data(), size, &size))
        user.clear();
    CloseHandle(token);
    return user;
}

std::string SidText(PSID sid)
{
    LPWSTR text = nullptr;
    if (!ConvertSidToStringSidW(sid, &text))
        return "?";
    std::string result = Utf8Text(text);
    LocalFree(text);
    return result;
}

} // namespace

FileStatus OpenOwnDirectory(const std::string& directory, int& fd)
{
    fd = -1;
    HANDLE handle = CreateFileW(WidePath(directory).c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return FailureOf(ErrnoOfLastError(), directory);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle, &info)) {
        const int error = ErrnoOfLastError();
        CloseHandle(handle);
        return FailureOf(error, directory);
    }
    if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        CloseHandle(handle);
        return {ELOOP, "w miejscu katalogu jest dowiązanie symboliczne", directory};
    }
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const std::vector<unsigned char> user = ProcessUser();
    FileStatus result;
    if (GetSecurityInfo(handle, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                        &descriptor) != ERROR_SUCCESS)
        result = FailureOf(EACCES, directory);
    else if (user.empty() || !EqualSid(owner, reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid))
        result = {EPERM,
                  "katalog należy do innego użytkownika (" + SidText(owner) + "), a program działa jako " +
                      (user.empty() ? "?" : SidText(reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid)),
                  directory};
    if (descriptor)
        LocalFree(descriptor);
    if (!result.Ok()) {
        CloseHandle(handle);
        return result;
    }
    fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY);
    return result;
}

} // namespace journal
