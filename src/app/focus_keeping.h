// SPDX-License-Identifier: MIT
#pragma once

#include <initializer_list>

class QWidget;
namespace widgets {
class TRIPEdit;
}

namespace app {

// Disabling the widget that holds the focus makes Qt pass the focus along the
// tab order, into the address fields, and a screen reader announces every
// stop. When the focus sits on one of `widgets`, let go of it instead; the
// list takes it back when the work is done.
void ReleaseFocusBeforeDisabling(std::initializer_list<QWidget*> widgets);

// A program write to an address control passes the focus into it whenever a
// section receives three digits. While this lives, the control cannot take
// the focus (a disabled control takes none), unless the operator is in it.
class FocusStaysOut {
public:
    explicit FocusStaysOut(widgets::TRIPEdit* control);
    ~FocusStaysOut();
    FocusStaysOut(const FocusStaysOut&) = delete;
    FocusStaysOut& operator=(const FocusStaysOut&) = delete;

private:
    widgets::TRIPEdit* control_ = nullptr;
};

} // namespace app
