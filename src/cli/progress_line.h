// SPDX-License-Identifier: MIT
#pragma once
#include "protocol/device_session.h"

namespace cli {

// The engine's progress as one line on the terminal (stderr), rewritten in
// place; nothing when it is not shown.
class ProgressLine {
public:
    explicit ProgressLine(bool shown) : shown_(shown) {}
    void Show(const protocol::Progress& progress) const;
    // Change `current` of `total`; 0: no change runs.
    void SetChangeCount(int current, int total)
    {
        changeCurrent_ = current;
        changeTotal_ = total;
    }
    void SetVerifying(bool verifying) { verifying_ = verifying; }

private:
    bool shown_;
    int changeCurrent_ = 0;
    int changeTotal_ = 0;
    bool verifying_ = false;
};

} // namespace cli
