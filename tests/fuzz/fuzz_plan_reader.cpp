// SPDX-License-Identifier: MIT
// The plan reader on any bytes: whatever it accepts is in canonical form
// (MAC of 17 characters in upper case with colons, address and mask that
// re-read to themselves and pass the rules for new settings), holds no MAC
// or address twice, keeps its lines in file order, and reads back to the
// same lines when written out as the canonical plan.
#include "fuzz_check.h"

#include "checks/dotted_address.h"
#include "checks/mac_text.h"
#include "checks/new_settings_check.h"
#include "cli/plan.h"

#include <cstdint>
#include <set>
#include <string>

namespace {

std::string Lines(const cli::Plan& plan)
{
    std::string text;
    for (const cli::PlanLine& line : plan.Lines)
        text += line.Mac + "," + line.Address + "," + line.Mask + "\n";
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const cli::Plan plan = cli::ParsePlan(bytes);
    FUZZ_CHECK(!plan.Errors.empty() || !plan.Lines.empty(), "a plan with neither lines nor errors");

    std::set<std::string> macs, addresses;
    int previousLine = 0;
    for (const cli::PlanLine& line : plan.Lines) {
        const std::string where = "line " + std::to_string(line.LineNumber) + " of \"" + Escaped(bytes) + "\"";
        FUZZ_CHECK(line.Mac.size() == 17 && checks::CanonicalMac(line.Mac) == line.Mac,
                   "MAC " + line.Mac + ", " + where);
        const auto address = checks::ParseDottedAddress(line.Address);
        const auto mask = checks::ParseDottedAddress(line.Mask);
        FUZZ_CHECK(address && address->Text == line.Address, "address " + Escaped(line.Address) + ", " + where);
        FUZZ_CHECK(mask && mask->Text == line.Mask, "mask " + Escaped(line.Mask) + ", " + where);
        FUZZ_CHECK(!checks::RefusalOfNewSettings(line.Address, line.Mask), "refused settings accepted, " + where);
        FUZZ_CHECK(macs.insert(line.Mac).second, "MAC " + line.Mac + " twice, " + where);
        FUZZ_CHECK(addresses.insert(line.Address).second, "address " + line.Address + " twice, " + where);
        FUZZ_CHECK(line.LineNumber > previousLine, "lines out of order, " + where);
        previousLine = line.LineNumber;
    }
    for (const std::string& error : plan.Errors)
        FUZZ_CHECK(!error.empty(), "an empty error text");

    // A plan that may run reads back unchanged from its canonical form,
    // with and without a header, and as a spreadsheet would save it.
    if (plan.Errors.empty()) {
        const std::string canonical = Lines(plan);
        for (const std::string& text :
             {canonical, "mac,address,mask\n" + canonical, "\xEF\xBB\xBFmaska;adres mac;adres\r\n" + [&] {
                  std::string rows;
                  for (const cli::PlanLine& line : plan.Lines)
                      rows += "\"" + line.Mask + "\";" + line.Mac + ";" + line.Address + "\r\n";
                  return rows;
              }()}) {
            const cli::Plan again = cli::ParsePlan(text);
            FUZZ_CHECK(again.Errors.empty() && Lines(again) == canonical,
                       "the canonical plan reads back differently: \"" + Escaped(text) + "\"");
        }
    }
    return 0;
}
