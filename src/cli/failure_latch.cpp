// SPDX-License-Identifier: MIT
#include "cli/failure_latch.h"

#include "cli/network_failure.h"

namespace cli {

void FailureLatch::Record(int32_t code, const std::string& description)
{
    if (failed_)
        return;
    failed_ = true;
    code_ = code;
    description_ = description;
}

void FailureLatch::ThrowIfFailed() const
{
    if (failed_)
        throw NetworkFailure(code_, description_);
}

} // namespace cli
