// SPDX-License-Identifier: MIT
#include "cli/output_stream.h"
#include "cli/system_console.h"

#include <windows.h>

#include <cstdio>
#include <fcntl.h>
#include <io.h>

namespace cli {

// A pipe whose reader has gone fails the write itself (ERROR_NO_DATA);
// a full disk too.
std::optional<std::string> OutputUnusable(int fd)
{
    if (_get_osfhandle(fd) == -1)
        return ErrorText(EBADF);
    return std::nullopt;
}

int OpenForReading(const std::string& path)
{
    const int length = MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, nullptr, 0);
    std::wstring wide(length > 0 ? static_cast<std::size_t>(length) : 1, L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, wide.data(), length);
    return _wopen(wide.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
}

void PrepareConsole()
{
    SetConsoleOutputCP(CP_UTF8);
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

} // namespace cli
