// SPDX-License-Identifier: MIT
// What `muxconfig list` puts on the terminal and what it does when it
// cannot: a device's control bytes escaped, a full standard output an error.
#include "muxconfig_run.h"
#include "muxsim_process.h"

#include <gtest/gtest.h>

namespace {

TEST(CliOutput, ListShowsADevicesEscapeSequenceEscapedAndCsvExact)
{
    MuxSimProcess sim(MuxSimProcess::Config({MuxSimProcess::Device("192.168.1.10", "MAC\x1b]0;owned\x07")}));
    const MuxconfigRun table = RunMuxconfig({"list"});
    EXPECT_EQ(table.status, 0) << table.err;
    EXPECT_NE(table.out.find("MAC\\x1b]0;owned\\x07"), std::string::npos) << table.out;
    EXPECT_EQ(table.out.find('\x1b'), std::string::npos);
    const MuxconfigRun csv = RunMuxconfig({"list", "--format", "csv"});
    EXPECT_NE(csv.out.find(",MAC\x1b]0;owned\x07,"), std::string::npos) << csv.out;
}

TEST(CliOutput, ListToAFullStandardOutputEndsWithStatus1AfterTheClosingCommands)
{
    MuxSimProcess sim(MuxSimProcess::Config({MuxSimProcess::Device("192.168.1.10", "MAC-A")}));
    const MuxconfigRun run = RunMuxconfig({"list"}, {"sh", "-c", "exec \"$0\" \"$@\" > /dev/full"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("muxconfig: nie zapisano wyniku na standardowe wyjście: No space left on device"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(sim.CountReceived("E"), 1u);
}

} // namespace
