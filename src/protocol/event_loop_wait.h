// SPDX-License-Identifier: MIT
#pragma once
#include <QDeadlineTimer>
#include <functional>

namespace protocol {

// Runs Qt's event loop, so that socket, timer and window events are handled
// meanwhile, until `done` holds or `deadline` expires. Returns whether `done`
// ended the wait. Every wait of the program goes through here.
bool ProcessEventsUntil(QDeadlineTimer deadline, const std::function<bool()>& done);

} // namespace protocol
