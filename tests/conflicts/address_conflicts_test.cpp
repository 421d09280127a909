// SPDX-License-Identifier: MIT
// How planned addresses are judged against the devices that answered, the
// workstation and the segment; the probe is a script that sends nothing.
#include "conflicts/address_conflicts.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using conflicts::IntendedChange;

struct Row {
    const char* Name;
    std::vector<IntendedChange> Changes;
    std::vector<bool> Refused; // by change
    const char* Message;       // a part of the first refused change's message
};

// One row a line reads as a table.
// clang-format off
const std::vector<conflicts::ListedDevice> kAnswered = {
    {"0.14.198.74.16.1", "192.168.1.10"}, {"0.14.198.74.16.2", "192.168.1.11"}, {"0.14.198.74.16.3", "192.168.1.99"}};

const std::vector<Row> kRows = {
    {"FreeAddress", {{"00:0E:C6:4A:10:01", "lo", "192.168.1.10", "192.168.1.50"}}, {false}, ""},
    {"OwnAddressInAnotherSpelling", {{"00:0E:C6:4A:10:01", "lo", "192.168.1.10", "192.168.1.10"}}, {false}, ""},
    {"AnotherDevicesAddress", {{"00:0E:C6:4A:10:01", "lo", "192.168.1.10", "192.168.1.11"}}, {true},
     "ma już multiplekser 0.14.198.74.16.2"},
    {"SwapInOneRun",
     {{"00:0E:C6:4A:10:01", "lo", "192.168.1.10", "192.168.1.11"},
      {"0.14.198.74.16.2", "lo", "192.168.1.11", "192.168.1.10"}},
     {true, true}, "zamiana adresów"},
    {"TheWorkstationsAddress", {{"00:0E:C6:4A:10:01", "lo", "192.168.1.10", "127.0.0.1"}}, {true},
     "adresem tego komputera"},
    {"AHostOnTheSegment", {{"00:0E:C6:4A:10:01", "lo", "192.168.1.10", "192.168.1.77"}}, {true},
     "odpowiada na niego 00:11:22:33:44:55"},
};
// clang-format on

class JudgeConflicts : public testing::TestWithParam<Row> {};

TEST_P(JudgeConflicts, RefusesWhatIsHeldAndOnlyThat)
{
    const Row& row = GetParam();
    // A probe that finds 192.168.1.77 held and every other address free.
    QTemporaryDir directory;
    const QString program = directory.filePath(QStringLiteral("arping"));
    QFile script(program);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nfor a; do t=$a; done\n"
                 "[ \"$t\" = 192.168.1.77 ] && echo \"Unicast reply from $t [00:11:22:33:44:55]  0.6ms\"\nexit 0\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    conflicts::ProbeSettings settings;
    settings.Program = program.toStdString();

    const std::vector<conflicts::ConflictVerdict> verdicts =
        conflicts::JudgeConflicts(row.Changes, kAnswered, settings);

    ASSERT_EQ(verdicts.size(), row.Changes.size());
    for (std::size_t n = 0; n < verdicts.size(); ++n) {
        EXPECT_EQ(verdicts[n].Refused, row.Refused[n]) << n << ": " << verdicts[n].Message;
        EXPECT_TRUE(verdicts[n].Checked) << verdicts[n].Message;
    }
    if (row.Refused[0]) {
        EXPECT_NE(verdicts[0].Message.find(row.Message), std::string::npos) << verdicts[0].Message;
    }
}

INSTANTIATE_TEST_SUITE_P(Changes, JudgeConflicts, testing::ValuesIn(kRows),
                         [](const testing::TestParamInfo<Row>& info) { return std::string(info.param.Name); });

} // namespace
