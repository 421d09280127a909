// SPDX-License-Identifier: MIT
// What every fuzz target sets up once per process.
#pragma once

namespace fuzz {

// A Qt application (offscreen for widgets) and the socket layer, created at
// the first call and kept for the whole run.
void StartQtApplication(bool widgets);

} // namespace fuzz
