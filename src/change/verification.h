// SPDX-License-Identifier: MIT
#pragma once
#include "change/change_result.h"
#include "protocol/device_row.h"

namespace change {

// The final outcome of a change that went through (Outcome::Changed), from
// the device as it answers now; nullptr: it did not answer.
void JudgeVerification(ChangeResult& result, const protocol::DeviceRow* now);

} // namespace change
