// SPDX-License-Identifier: MIT
#pragma once
#include "change/outcome.h"
#include "protocol/status_codes.h"

#include <optional>
#include <string>

namespace change {

// The step of a device's change that failed, and what the device answered.
struct FailedStep {
    enum class Step { Select, Login, Assign, Mask };
    Step Which = Step::Select;
    protocol::Status Answer = protocol::kStatusNoReply; // kStatusNotSent: the change stopped before it
};

// What became of one line, as the run knows it so far.
struct ChangeResult {
    int LineNumber = 0;
    std::string Mac;           // the device's own text once it was found, else the line's
    std::string MacNormalized; // the canonical form (00:0E:C6:4A:10:01); empty: no MAC spelling
    std::string Address;       // the new address and mask asked for
    std::string Mask;
    std::string OldAddress; // what the discovery before the change read
    std::string OldMask;    // empty: it could not be read
    std::string Interface;
    change::Outcome Outcome = change::Outcome::NotAttempted;
    std::string Detail;               // why, in Polish
    bool AddressChecked = true;       // false: the probe for the new address could not run
    bool Sent = false;                // the change's first command went out
    std::optional<FailedStep> Failed; // empty: every step that was sent passed
};

} // namespace change
