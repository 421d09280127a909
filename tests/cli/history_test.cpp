// SPDX-License-Identifier: MIT
// `muxconfig history` over a journal written in a temporary XDG state
// directory: its forms, the --mac filter and the undo plan of a past run.
#include "journal/durable_file.h"
#include "journal/journal_records.h"
#include "muxconfig_run.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <unistd.h>

namespace {

class HistoryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string path = state_.path().toStdString() + "/muxconfig/journal.jsonl";
        auto begin = [&](const std::string& change, const std::string& mac, const std::string& old,
                         const std::string& next) {
            const std::string run = change.substr(0, change.find('/'));
            const journal::BeginRecord record{
                change, run,     "2024-07-01T14:00:00+02:00",
                "jan",  "kasa1", {"eth0", mac, old, "255.255.255.0", next, "255.255.0.0"}};
            ASSERT_TRUE(journal::AppendLine(path, journal::RecordLine(record)).Ok());
        };
        auto end = [&](const std::string& change, const std::string& outcome) {
            ASSERT_TRUE(
                journal::AppendLine(path, journal::RecordLine(journal::EndRecord{change, "t", outcome, "x, y"})).Ok());
        };
        begin("R1/1", "00:0E:C6:4A:10:01", "192.168.1.10", "192.168.1.11");
        end("R1/1", "verified");
        begin("R1/2", "00:0E:C6:4A:10:02\x1b", "192.168.1.20", "192.168.1.21");
        end("R1/2", "refused");
        begin("R1/3", "00:0E:C6:4A:10:01", "192.168.1.11", "192.168.1.12");
        end("R1/3", "verified");
        begin("R2/1", "00:0E:C6:4A:10:01", "192.168.1.12", "192.168.1.13");
    }

    MuxconfigRun History(QStringList arguments, const QString& redirect = {})
    {
        arguments.prepend(QStringLiteral("history"));
        const QString script = QStringLiteral("exec \"$0\" \"$@\"") + redirect;
        return RunMuxconfig(arguments, {"env", "XDG_STATE_HOME=" + state_.path(), "sh", "-c", script});
    }

    QTemporaryDir state_;
};

TEST_F(HistoryTest, ShowsEveryChangeNewestLastInEachForm)
{
    const MuxconfigRun csv = History({"--format", "csv"});
    EXPECT_EQ(csv.Status, 0) << csv.Err;
    const std::string common = "2024-07-01T14:00:00+02:00,R1,jan,kasa1,eth0,";
    EXPECT_EQ(csv.Out,
              "time,run,user,host,interface,mac,old_address,old_mask,new_address,new_mask,outcome,detail\n" + common +
                  "00:0E:C6:4A:10:01,192.168.1.10,255.255.255.0,192.168.1.11,255.255.0.0,verified,\"x, y\"\n" + common +
                  "00:0E:C6:4A:10:02\x1b,192.168.1.20,255.255.255.0,192.168.1.21,255.255.0.0,refused,\"x, y\"\n" +
                  common +
                  "00:0E:C6:4A:10:01,192.168.1.11,255.255.255.0,192.168.1.12,255.255.0.0,verified,\"x, y\"\n"
                  "2024-07-01T14:00:00+02:00,R2,jan,kasa1,eth0,"
                  "00:0E:C6:4A:10:01,192.168.1.12,255.255.255.0,192.168.1.13,255.255.0.0,unfinished,\n");

    const nlohmann::json json = nlohmann::json::parse(History({"--format", "json"}).Out);
    ASSERT_EQ(json.size(), 4u);
    EXPECT_EQ(json[3]["outcome"], "unfinished");
    EXPECT_EQ(json[1]["mac"], "00:0E:C6:4A:10:02\x1b");

    const MuxconfigRun table = History({});
    EXPECT_EQ(table.Out.rfind("Czas  ", 0), 0u) << table.Out;
    EXPECT_NE(table.Out.find("00:0E:C6:4A:10:02\\x1b"), std::string::npos);
    EXPECT_NE(table.Out.find("niedokończona"), std::string::npos);
    EXPECT_EQ(table.Out.find('\x1b'), std::string::npos);
}

TEST_F(HistoryTest, FiltersByMacWhateverItsCaseAndSeparators)
{
    for (const char* mac : {"00-0e-c6-4a-10-01", "000e.c64a.1001", " 00:0E:C6:4A:10:01 "}) {
        const MuxconfigRun run = History({"--format", "json", "--mac", mac});
        const nlohmann::json json = nlohmann::json::parse(run.Out);
        ASSERT_EQ(json.size(), 3u) << mac;
        for (const auto& change : json)
            EXPECT_EQ(change["mac"], "00:0E:C6:4A:10:01");
    }
    EXPECT_EQ(History({"--format", "csv", "--mac", "00:0E:C6:4A:10:09"}).Out,
              "time,run,user,host,interface,mac,old_address,old_mask,new_address,new_mask,outcome,detail\n");
}

TEST_F(HistoryTest, UndoPrintsThePlanThatPutsARunsDevicesBack)
{
    const MuxconfigRun run = History({"--undo", "R1"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    // A MAC text no plan can name is left out as a comment, and said so.
    const std::string why = "\"00:0E:C6:4A:10:02\\x1b\": to nie jest adres MAC (12 cyfr szesnastkowych), plan go nie "
                            "przywróci; adres sprzed zmiany \"192.168.1.20\", maska \"255.255.255.0\"";
    EXPECT_EQ(run.Out,
              "mac,address,mask\n"
              "00:0E:C6:4A:10:01,192.168.1.10,255.255.255.0\n# " +
                  why + "\n");
    EXPECT_EQ(run.Err, "muxconfig: plan cofnięcia: urządzenie " + why + " (w planie jako komentarz #)\n");
    const MuxconfigRun unknown = History({"--undo", "R9"});
    EXPECT_EQ(unknown.Status, 2);
    EXPECT_EQ(unknown.Err, "muxconfig: w dzienniku nie ma zmian z przebiegu R9\n");
}

TEST_F(HistoryTest, AFullStandardOutputOrNoPlaceForTheJournalEndsWithStatus1AndSaysSo)
{
    const MuxconfigRun run = History({}, " > /dev/full");
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Err, "muxconfig: nie zapisano wyniku na standardowe wyjście: No space left on device (błąd 28)\n");
    if (::geteuid() != 0)
        return; // a user with no entry in the user database needs root to become
    const MuxconfigRun homeless = RunMuxconfig(
        {"history"}, {"env", "-u", "HOME", "-u", "XDG_STATE_HOME", "setpriv", "--reuid=54321", "--clear-groups"});
    EXPECT_EQ(homeless.Status, 1) << homeless.Out;
    EXPECT_NE(homeless.Err.find("zmienna HOME nie jest ustawiona, użytkownik uid 54321 nie ma wpisu"),
              std::string::npos)
        << homeless.Err;
}

} // namespace
