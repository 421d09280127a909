// SPDX-License-Identifier: MIT
// What `muxconfig list` puts on the terminal and what it does when it
// cannot: a device's control bytes escaped, a full standard output an error.
#include "journal/journal_reading.h"
#include "muxconfig_run.h"
#include "muxsim_process.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>

namespace {

TEST(CliOutput, ListShowsADevicesEscapeSequenceEscapedAndCsvExact)
{
    MuxSimProcess sim(MuxSimProcess::Config({MuxSimProcess::Device("192.168.1.10", "MAC\x1b]0;owned\x07")}));
    const MuxconfigRun table = RunMuxconfig({"list"});
    EXPECT_EQ(table.Status, 0) << table.Err;
    EXPECT_NE(table.Out.find("MAC\\x1b]0;owned\\x07"), std::string::npos) << table.Out;
    EXPECT_EQ(table.Out.find('\x1b'), std::string::npos);
    const MuxconfigRun csv = RunMuxconfig({"list", "--format", "csv"});
    EXPECT_NE(csv.Out.find(",MAC\x1b]0;owned\x07,"), std::string::npos) << csv.Out;
}

TEST(CliOutput, ListToAFullStandardOutputEndsWithStatus1AfterTheClosingCommands)
{
    MuxSimProcess sim(MuxSimProcess::Config({MuxSimProcess::Device("192.168.1.10", "MAC-A")}));
    const MuxconfigRun run = RunMuxconfig({"list"}, {"sh", "-c", "exec \"$0\" \"$@\" > /dev/full"});
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find("muxconfig: nie zapisano wyniku na standardowe wyjście: No space left on device"),
              std::string::npos)
        << run.Err;
    EXPECT_EQ(sim.CountReceived("E"), 1u);
}

} // namespace

// A standard output that fails stops the run as a signal does: the device in
// hand is finished and journalled, no new change starts, the closing
// commands go out, status 1 with the reason. One that cannot be written at
// all is found before the first datagram.
TEST(CliOutput, AFailingStandardOutputEndsTheRunLikeASignal)
{
    MuxSimProcess sim(MuxSimProcess::Config({MuxSimProcess::Device("192.168.1.10", "0.14.198.74.16.1"),
                                             MuxSimProcess::Device("192.168.1.11", "0.14.198.74.16.2"),
                                             MuxSimProcess::Device("192.168.1.12", "0.14.198.74.16.3")}));
    QTemporaryDir state;
    const QString plan = state.filePath(QStringLiteral("plan.csv"));
    std::ofstream(plan.toStdString()) << "0.14.198.74.16.1,192.168.1.50,255.255.255.0\n"
                                         "0.14.198.74.16.2,192.168.1.51,255.255.255.0\n"
                                         "0.14.198.74.16.3,192.168.1.52,255.255.255.0\n";
    const QStringList env{"env", "XDG_STATE_HOME=" + state.path(), "bash", "-c"};

    const MuxconfigRun full = RunMuxconfig({"apply", plan}, env + QStringList{"exec \"$0\" \"$@\" > /dev/full"});
    EXPECT_EQ(full.Status, 1);
    EXPECT_NE(full.Err.find("No space left on device"), std::string::npos) << full.Err;
    EXPECT_TRUE(sim.Received().empty());

    const MuxconfigRun gone =
        RunMuxconfig({"apply", plan}, env + QStringList{"\"$0\" \"$@\" | head -c 1 >/dev/null; exit ${PIPESTATUS[0]}"});
    EXPECT_EQ(gone.Status, 1);
    EXPECT_NE(gone.Err.find("Broken pipe"), std::string::npos) << gone.Err;
    // The reader leaves after the first line: the second device may be in
    // hand by then, the third is never started.
    EXPECT_GT(sim.CountReceived("A0.14.198.74.16.1/QOVUT/192.168.1.50"), 0u);
    EXPECT_EQ(sim.CountReceived("A0.14.198.74.16.3/QOVUT/192.168.1.52"), 0u);
    EXPECT_TRUE(sim.WaitForPayload("E", 4)); // a change's own, then one per listed device
    const journal::JournalContents journal =
        journal::ReadJournal(state.filePath(QStringLiteral("muxconfig/journal.jsonl")).toStdString());
    ASSERT_FALSE(journal.Changes.empty());
    for (const journal::JournalChange& change : journal.Changes) {
        ASSERT_TRUE(change.End.has_value());
        EXPECT_EQ(change.End->Outcome, "unverified");
    }
}
