// SPDX-License-Identifier: MIT
// What every fuzz target sets up once per process.
#pragma once

namespace fuzz {

// Refuses to go on (aborts) unless the process sits in a private network
// namespace whose only interface is the loopback: a fuzzer that sends must
// never reach a real network. scripts/fuzz runs the targets in one.
void RequirePrivateNetwork();

// A Qt application (offscreen for widgets) and the socket layer, created at
// the first call and kept for the whole run.
void StartQtApplication(bool widgets);

} // namespace fuzz
