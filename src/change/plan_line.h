// SPDX-License-Identifier: MIT
// The one judgement of an asked change, for the window and the command line
// alike: its new address and mask against the rules, before anything is
// sent. A run takes only lines that passed it, so no line is judged twice
// and none goes out unjudged.
//
//   const change::LineJudgement judged = change::JudgeLine({0, mac, "192.168.1.50", "255.255.255.0"});
//   if (!judged.Line) show(judged.Refusal); else run.Run({*judged.Line});
#pragma once
#include <optional>
#include <string>

namespace change {

// A change as asked: a device (by MAC, in any spelling) and the address and
// mask to give it, as typed.
struct AskedChange {
    int LineNumber = 0; // in the plan file, from 1; 0 for a single change
    std::string Mac;
    std::string Address;
    std::string Mask;
};

struct LineJudgement;
LineJudgement JudgeLine(const AskedChange& asked);

// An asked change whose address and mask passed, in canonical texts
// (192.168.1.50, 255.255.255.0); only JudgeLine makes one.
class PlanLine {
public:
    int LineNumber = 0;
    std::string Mac; // as asked: the device is found by its value
    std::string Address;
    std::string Mask;

private:
    PlanLine() = default;
    friend LineJudgement JudgeLine(const AskedChange& asked);
};

struct LineJudgement {
    std::optional<PlanLine> Line; // empty: it breaks the rules
    std::string Refusal;          // then why, for the operator (Polish)
};

} // namespace change
