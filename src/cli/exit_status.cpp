// SPDX-License-Identifier: MIT
#include "cli/exit_status.h"

namespace cli {

int ExitStatusOf(const std::vector<change::ChangeResult>& results, bool detailed)
{
    bool changes = false;
    for (const change::ChangeResult& result : results) {
        if (result.Outcome == change::Outcome::Verified || result.Outcome == change::Outcome::Planned)
            changes = true;
        else if (result.Outcome != change::Outcome::Unchanged)
            return kExitSomeFailed;
    }
    return detailed && changes ? kExitChanges : kExitOk;
}

} // namespace cli
