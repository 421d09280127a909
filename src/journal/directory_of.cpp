// SPDX-License-Identifier: MIT
#include "journal/durable_file.h"

namespace journal {

// Paths use '/' on both platforms (Qt's paths on Windows do too).
std::string DirectoryOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace journal
