// SPDX-License-Identifier: MIT
#include "journal/file_status.h"

#include <system_error>

namespace journal {

FileStatus FailureOf(int error, const std::string& path)
{
    return {error, std::system_category().message(error), path};
}

std::string WarningText(const FileStatus& status)
{
    return "nie zapisano " + status.Path + ": " + status.Text + " (błąd " + std::to_string(status.Error) + ")";
}

} // namespace journal
