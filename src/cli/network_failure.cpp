// SPDX-License-Identifier: MIT
#include "cli/network_failure.h"

namespace cli {

NetworkFailure::NetworkFailure(int32_t errorCode, const std::string& errorDescription)
    : std::runtime_error(errorDescription),
      Code(errorCode),
      Description(errorDescription)
{
}

} // namespace cli
