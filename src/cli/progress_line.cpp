// SPDX-License-Identifier: MIT
#include "cli/progress_line.h"

#include "cli/terminal_text.h"
#include <cstdio>

namespace cli {

void ProgressLine::Show(const protocol::Progress& progress) const
{
    using Activity = protocol::Progress::Activity;
    if (!shown_)
        return;
    switch (progress.What) {
    case Activity::Searching:
        std::fprintf(stderr,
                     verifying_ ? "\r\033[KSprawdzam zmiany: szukam urządzeń..." : "\r\033[KSzukam urządzeń...");
        break;
    case Activity::Reading:
        std::fprintf(stderr, "\r\033[K%s urządzenie %d z %d (%s)...", verifying_ ? "Sprawdzam" : "Odczytuję",
                     progress.Current, progress.Total, ShownLatin1(progress.Device).c_str());
        break;
    case Activity::Changing:
        std::fprintf(stderr, "\r\033[KZmieniam urządzenie %d z %d (%s)...", changeCurrent_, changeTotal_,
                     ShownLatin1(progress.Device).c_str());
        break;
    case Activity::Idle: std::fprintf(stderr, "\r\033[K"); break;
    }
    std::fflush(stderr);
}

} // namespace cli
