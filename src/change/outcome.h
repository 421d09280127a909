// SPDX-License-Identifier: MIT
// What became of one asked change: the one vocabulary of the journal, the
// command line's output and the window's messages.
#pragma once

#include <array>

namespace change {

enum class Outcome {
    Verified,      // changed, and the device now answers with the new address and mask
    Partial,       // it now has the new address but not the new mask, or the reverse
    Unverified,    // changed, but what it holds now could not be seen
    Refused,       // nothing changed: the device refused or did not answer a step, or its read
    NotFound,      // no device with that MAC answered the discovery
    Planned,       // a dry run: would be changed
    Unchanged,     // it holds the planned address and mask already: nothing sent
    Conflict,      // the new address is in use: nothing sent
    Unchecked,     // the new address could not be checked, and that refuses the line: nothing sent
    MacTwice,      // its MAC answered from two addresses: no command could tell the devices apart; nothing sent,
                   // unless only a step of the change or its verification found the second
    InterfaceGone, // the interface the device answered on went away or is down
    Changed,       // the change went through; what the device holds is seen later
    Interrupted,   // the run ended while this device was being changed
    NotAttempted,  // the run ended before this line
};

inline constexpr std::array<Outcome, 14> kOutcomes = {
    Outcome::Verified,      Outcome::Partial,   Outcome::Unverified,  Outcome::Refused,     Outcome::NotFound,
    Outcome::Planned,       Outcome::Unchanged, Outcome::Conflict,    Outcome::Unchecked,   Outcome::MacTwice,
    Outcome::InterfaceGone, Outcome::Changed,   Outcome::Interrupted, Outcome::NotAttempted};

// The stable English word (journal, csv, json): "verified", "not_found"...
const char* MachineName(Outcome outcome);
// The operator's Polish words: "zmieniono i potwierdzono"...
const char* PolishName(Outcome outcome);

} // namespace change
