// SPDX-License-Identifier: MIT
#pragma once

namespace app {

class TForm1;

// Gives every control of the window the name a screen reader says for it,
// in Polish, from the label or caption the operator sees.
void SetAccessibleNames(TForm1& form);

} // namespace app
