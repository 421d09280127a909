// SPDX-License-Identifier: MIT
// What one discovery cycle found, as the command line reports it.
#pragma once
#include "protocol/device_session.h"

#include <map>
#include <string>
#include <vector>

namespace cli {

// A device that answered the discovery but whose read failed, with the
// status of the failing request.
struct ReadFailure {
    std::string Address;
    protocol::Status Status = protocol::kStatusOk;
    bool Listed = false; // still a row (its mask could not be read)
    std::string Interface;
};

struct Discovery {
    std::vector<protocol::DeviceRow> Listed;
    // By MAC: every device read in the cycle whose read did not return 0.
    std::map<std::string, ReadFailure> FailedReads;
    std::vector<protocol::SearchedInterface> Searched;
};

} // namespace cli
