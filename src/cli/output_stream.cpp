// SPDX-License-Identifier: MIT
#include "cli/output_stream.h"

#include <cerrno>
#include <system_error>

namespace cli {

std::string ErrorText(int number)
{
    return std::system_category().message(number) + " (błąd " + std::to_string(number) + ")";
}

bool Output(std::FILE* stream, const std::string& text, std::string& error)
{
    errno = 0;
    const bool written = std::fwrite(text.data(), 1, text.size(), stream) == text.size();
    const bool flushed = std::fflush(stream) == 0;
    if (written && flushed && std::ferror(stream) == 0)
        return true;
    error = ErrorText(errno != 0 ? errno : EIO);
    return false;
}

OutputFailure::OutputFailure(const std::string& error)
    : std::runtime_error("nie zapisano wyniku na standardowe wyjście: " + error)
{
}

} // namespace cli
