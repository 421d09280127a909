// SPDX-License-Identifier: MIT
#include "change/plan_line.h"

#include "checks/new_settings_check.h"

namespace change {

LineJudgement JudgeLine(const AskedChange& asked)
{
    const checks::JudgedSettings judged = checks::JudgeNewSettings(asked.Address, asked.Mask);
    if (judged.Refusal)
        return {std::nullopt, *judged.Refusal};
    PlanLine line;
    line.LineNumber = asked.LineNumber;
    line.Mac = asked.Mac;
    line.Address = judged.Address;
    line.Mask = judged.Mask;
    return {std::move(line), {}};
}

} // namespace change
