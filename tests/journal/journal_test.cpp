// SPDX-License-Identifier: MIT
// The journal written and read back in a temporary XDG state directory.
#include "checks/new_settings_check.h"
#include "cli/plan.h"
#include "journal/change_journal.h"
#include "journal/durable_file.h"
#include "journal/journal_place.h"
#include "journal/journal_reading.h"
#include "journal/plan_path.h"
#include "journal/undo_plan.h"
#include "journal/workstation.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using journal::ChangeStart;

class JournalTest : public ::testing::Test {
protected:
    void SetUp() override { setenv("XDG_STATE_HOME", state_.path().toLocal8Bit().constData(), 1); }
    void TearDown() override { unsetenv("XDG_STATE_HOME"); }
    std::string State() const { return state_.path().toStdString(); }
    std::string Slurp(const std::string& path) const
    {
        std::ifstream file(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), {}};
    }

    QTemporaryDir state_;
};

unsigned ModeOf(const std::string& path)
{
    struct stat status {};
    EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
    return status.st_mode & 0777;
}

TEST_F(JournalTest, PairsBeginAndEndAndKeepsAnUnfinishedChange)
{
    const std::string path = State() + "/muxconfig/journal.jsonl";
    ASSERT_EQ(journal::JournalPath(), path);
    journal::ChangeJournal journal;
    // Device bytes as sent: a Latin-1 letter and a control byte survive the JSON.
    const ChangeStart first{"eth0",     "00:0E:C6:4A:10:\xE9\x1b", "192.168.1.10", "255.255.255.0", "10.0.0.5",
                            "255.0.0.0"};
    const auto begun = journal.Begin(first);
    ASSERT_TRUE(begun.Status.Ok()) << begun.Status.Text;
    ASSERT_TRUE(journal.End(begun.Change, change::Outcome::Verified, "zmieniono i potwierdzono").Ok());
    const auto second = journal.Begin({"wlan0", "MAC-B", "10.0.0.7", "255.0.0.0", "10.0.0.8", "255.0.0.0"});
    ASSERT_TRUE(second.Status.Ok());
    EXPECT_NE(second.Change, begun.Change);
    EXPECT_EQ(ModeOf(State() + "/muxconfig"), 0700u);
    EXPECT_EQ(ModeOf(path), 0600u);

    const journal::JournalContents contents = journal::ReadJournal(path);
    EXPECT_TRUE(contents.Status.Ok());
    EXPECT_EQ(contents.SkippedLines, 0u);
    ASSERT_EQ(contents.Changes.size(), 2u);
    const journal::BeginRecord& record = contents.Changes[0].Begin;
    EXPECT_EQ(
        std::tie(record.Start.InterfaceName, record.Start.Mac, record.Start.OldAddress, record.Start.OldMask,
                 record.Start.NewAddress, record.Start.NewMask),
        std::tie(first.InterfaceName, first.Mac, first.OldAddress, first.OldMask, first.NewAddress, first.NewMask));
    EXPECT_EQ(record.Run, journal::RunId());
    EXPECT_EQ(record.User, journal::UserName());
    EXPECT_EQ(record.Host, journal::HostName());
    EXPECT_TRUE(QRegularExpression(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d$)")
                    .match(QString::fromStdString(record.Time))
                    .hasMatch())
        << record.Time;
    ASSERT_TRUE(contents.Changes[0].End.has_value());
    EXPECT_EQ(contents.Changes[0].End->Outcome, "verified");
    EXPECT_EQ(contents.Changes[0].End->Detail, "zmieniono i potwierdzono");
    EXPECT_EQ(contents.Changes[1].Begin.Start.Mac, "MAC-B");
    EXPECT_FALSE(contents.Changes[1].End.has_value());
}

TEST_F(JournalTest, SkipsForeignCorruptAndTornLinesAndClosesTheTornOneBeforeAppending)
{
    journal::ChangeJournal journal(State() + "/journal.jsonl");
    const auto begun =
        journal.Begin({"eth0", "MAC-A", "192.168.1.10", "255.255.255.0", "192.168.1.11", "255.255.255.0"});
    std::ofstream(journal.Path(), std::ios::app)
        << "not json\n[1,2]\n{\"record\":\"begin\",\"change\":\"x\"}\n"
        << "{\"record\":\"end\",\"change\":\"no-such\",\"time\":\"t\",\"outcome\":\"verified\",\"detail\":\"\"}\n"
        << "\n{\"record\":\"end\",\"change\":\"" << begun.Change << "\",\"time\":\"2024-";
    journal::JournalContents contents = journal::ReadJournal(journal.Path());
    EXPECT_EQ(contents.SkippedLines, 5u);
    ASSERT_EQ(contents.Changes.size(), 1u);
    EXPECT_FALSE(contents.Changes[0].End.has_value());

    ASSERT_TRUE(journal.End(begun.Change, change::Outcome::Refused, "Brak dostępu").Ok());
    contents = journal::ReadJournal(journal.Path());
    EXPECT_EQ(contents.SkippedLines, 5u);
    ASSERT_EQ(contents.Changes.size(), 1u);
    ASSERT_TRUE(contents.Changes[0].End.has_value());
    EXPECT_EQ(contents.Changes[0].End->Outcome, "refused");
}

TEST_F(JournalTest, AJournalThatCannotBeWrittenReportsItsErrorAndNeverThrows)
{
    std::ofstream(State() + "/plain-file") << "a file where a directory should be\n";
    journal::ChangeJournal journal(State() + "/plain-file/muxconfig/journal.jsonl");
    const auto begun = journal.Begin({"eth0", "MAC-A", "1.2.3.4", "255.0.0.0", "1.2.3.5", "255.0.0.0"});
    EXPECT_EQ(begun.Status.Error, ENOTDIR);
    EXPECT_EQ(begun.Status.Path, State() + "/plain-file/muxconfig");
    EXPECT_EQ(journal::WarningText(begun.Status),
              "nie zapisano " + begun.Status.Path + ": Not a directory (błąd " + std::to_string(ENOTDIR) + ")");
    EXPECT_FALSE(begun.Change.empty());
    EXPECT_EQ(journal.End(begun.Change, change::Outcome::Verified, "").Error, ENOTDIR);
    EXPECT_EQ(journal::ReadJournal(journal.Path()).Changes.size(), 0u);
}

TEST_F(JournalTest, NeverWritesThroughALinkOrIntoADirectoryOthersCanReach)
{
    const std::string dir = State() + "/muxconfig", file = dir + "/journal.jsonl", victim = State() + "/victim";
    const std::string otherUser = "należy do innego użytkownika (uid " + std::to_string(::geteuid() + 1) + ")";
    // what is planted (0: done), the error, the path it names, part of its text
    const std::vector<std::tuple<std::function<int()>, int, std::string, std::string>> rows{
        {[&] { return ::symlink(victim.c_str(), file.c_str()); }, ELOOP, file, "symbolic links"},
        {[&] { return ::rmdir(dir.c_str()) || ::symlink(State().c_str(), dir.c_str()); }, ELOOP, dir,
         "dowiązanie symboliczne"},
        {[&] { return ::chmod(dir.c_str(), 0755); }, EPERM, dir,
         "(uprawnienia 0755, wymagane 0700); popraw poleceniem: chmod 700 " + dir},
        {[&] { return ::chmod(dir.c_str(), 0770); }, EPERM, dir, "uprawnienia 0770"},
        {[&] { return ::chown(dir.c_str(), ::geteuid() + 1, ::getegid()); }, EPERM, dir, otherUser},
    };
    for (const auto& [plant, error, path, text] : rows) {
        std::filesystem::remove_all(dir);
        std::ofstream(victim) << "untouched\n";
        ::mkdir(dir.c_str(), 0700);
        if (plant() != 0)
            continue; // chown needs a real root
        const auto status =
            journal::ChangeJournal().Begin({"eth0", "MAC", "1.2.3.4", "255.0.0.0", "1.2.3.5", "255.0.0.0"}).Status;
        EXPECT_EQ(std::make_pair(status.Error, status.Path), std::make_pair(error, path))
            << journal::WarningText(status);
        EXPECT_NE(status.Text.find(text), std::string::npos) << status.Text;
        EXPECT_EQ(journal::ChangeJournal().Check().Error, path == file ? 0 : error); // --require-journal
        EXPECT_EQ(Slurp(victim), "untouched\n");
        EXPECT_FALSE(std::filesystem::exists(State() + "/journal.jsonl"));
    }
}

// A file size limit cuts short the write that crosses it, as a full disk
// does: the failing append says why and takes its part back, and the next
// one reads as a clean journal.
TEST_F(JournalTest, AFailedAppendLeavesNoTornLineAndSaysWhy)
{
    journal::ChangeJournal journal(State() + "/journal.jsonl");
    auto append = [&](const std::string& mac) {
        return journal.Begin({"eth0", mac, "1.2.3.4", "255.0.0.0", "1.2.3.5", std::string(100, 'x')}).Status;
    };
    ASSERT_TRUE(append("MAC-A").Ok());
    rlimit original{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &original), 0);
    const rlimit small{2000, original.rlim_max};
    std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string before;
    journal::FileStatus status;
    for (int n = 0; n < 20 && status.Ok(); ++n) {
        before = Slurp(journal.Path());
        status = append("MAC-B");
    }
    ::setrlimit(RLIMIT_FSIZE, &original);
    std::signal(SIGXFSZ, SIG_DFL);
    EXPECT_EQ(std::make_pair(status.Error, status.Path), std::make_pair(EFBIG, journal.Path()))
        << journal::WarningText(status);
    EXPECT_EQ(Slurp(journal.Path()), before);
    ASSERT_TRUE(append("MAC-C").Ok());
    const journal::JournalContents contents = journal::ReadJournal(journal.Path());
    EXPECT_EQ(contents.SkippedLines, 0u);
    EXPECT_EQ(contents.Changes.back().Begin.Start.Mac, "MAC-C");
}

TEST_F(JournalTest, UndoPlanOfARunHasEachDeviceOnceWithItsAddressFromBeforeTheRun)
{
    auto change = [](const std::string& run, const std::string& mac, const std::string& old, const std::string& next) {
        return journal::JournalChange{
            {run + "/1", run, "t", "u", "h", {"eth0", mac, old, "255.255.255.0", next, "255.255.255.0"}}, std::nullopt};
    };
    const std::vector<journal::JournalChange> changes{
        change("R1", "00:0E:C6:4A:10:0A", "192.168.1.10", "192.168.1.11"),
        change("R2", "00:0E:C6:4A:10:0B", "192.168.1.20", "192.168.1.21"),
        change("R1", "00:0E:C6:4A:10:0C", "192.168.1.30", "192.168.1.31"),
        change("R1", "00:0E:C6:4A:10:0A", "192.168.1.11", "192.168.1.12")};
    const std::string expected = "mac,address,mask\n"
                                 "00:0E:C6:4A:10:0A,192.168.1.10,255.255.255.0\n"
                                 "00:0E:C6:4A:10:0C,192.168.1.30,255.255.255.0\n";
    const std::vector<journal::PlanDevice> undo = journal::UndoOfRun(changes, "R1");
    EXPECT_EQ(journal::UndoPlanText(undo), expected);

    // Written new (0600), then over an existing file atomically, keeping its mode.
    const std::string path = State() + "/back.csv";
    ASSERT_TRUE(journal::WriteUndoPlan(path, journal::UndoOfRun(changes, "R2")).Ok());
    EXPECT_EQ(ModeOf(path), 0600u);
    ::chmod(path.c_str(), 0640);
    ASSERT_TRUE(journal::WriteUndoPlan(path, undo).Ok());
    EXPECT_EQ(Slurp(path), expected);
    EXPECT_EQ(ModeOf(path), 0640u);
    EXPECT_EQ(journal::WriteUndoPlan(State() + "/none/back.csv", undo).Error, ENOENT);

    // A plan the disk cannot hold (here a file size limit) leaves no file behind.
    std::vector<journal::PlanDevice> many;
    for (int n = 0; n < 100; ++n)
        many.push_back({"00:0E:C6:4A:10:" + std::to_string(10 + n), "192.168.1.10", "255.255.255.0"});
    rlimit original{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &original), 0);
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit small{1000, original.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const journal::FileStatus full = journal::WriteUndoPlan(State() + "/big.csv", many);
    ::setrlimit(RLIMIT_FSIZE, &original);
    std::signal(SIGXFSZ, SIG_DFL);
    EXPECT_EQ(full.Error, EFBIG) << journal::WarningText(full);
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(State()))
        left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"back.csv"});
}

TEST(UndoPlan, HoldsOnlyCheckedCanonicalLinesAndCommentsOutTheRest)
{
    const std::string fill = " — uzupełnij wiersz poniżej i usuń z niego #\n#";
    const std::vector<std::pair<journal::PlanDevice, std::string>> rows{
        {{"00:0e:c6:4a:10:01", "192.168.001.010", "255.255.255.0"}, "00:0e:c6:4a:10:01,192.168.1.10,255.255.255.0\n"},
        {{"00:0E:C6:4A:10:02", "192.168.1.20", "255.255.255.0\n00:11:22:33:44:55,192.168.1.77,255.255.255.0"},
         "# 00:0E:C6:4A:10:02: maska sprzed zmiany nieznana (urządzenie podało "
         "\"255.255.255.0\\x0a00:11:22:33:44:55,192.168.…\")" +
             fill + "00:0E:C6:4A:10:02,192.168.1.20,\n"},
        {{"00:0E:C6:4A:10:03", "192.168.1.30", ""},
         "# 00:0E:C6:4A:10:03: maska sprzed zmiany nieznana" + fill + "00:0E:C6:4A:10:03,192.168.1.30,\n"},
        {{"00:0E:C6:4A:10:04", "192.168.1.40", "255.0.255.0"},
         "# 00:0E:C6:4A:10:04: maska sprzed zmiany nieznana (urządzenie podało \"255.0.255.0\")" + fill +
             "00:0E:C6:4A:10:04,192.168.1.40,\n"},
        {{"00:0E:C6:4A:10:05", "192.168.1.300", "255.255.255.0"},
         "# 00:0E:C6:4A:10:05: adres sprzed zmiany nieznany (urządzenie podało \"192.168.1.300\")" + fill +
             "00:0E:C6:4A:10:05,,255.255.255.0\n"},
        {{"00:0E:C6:4A:10:06\r\n00:11:22:33:44:55,\xe9", "192.168.1.60", "255.255.255.0"},
         "# \"00:0E:C6:4A:10:06\\x0d\\x0a00:11:22:33:44:55,\\xe9\": to nie jest adres MAC (12 cyfr szesnastkowych), "
         "plan go nie przywróci; adres sprzed zmiany \"192.168.1.60\", maska \"255.255.255.0\"\n"},
        {{"00:0E:C6:4A:10:07", "10.1.2.0", "255.255.255.0"},
         "# 00:0E:C6:4A:10:07: adres 10.1.2.0 z maską 255.255.255.0 odrzucony: " +
             std::string(checks::kNetworkAddressRefused) + fill + "00:0E:C6:4A:10:07,10.1.2.0,255.255.255.0\n"},
        {{"00:0e:c6:4a:10:08", "192.168.1.10", "255.255.0.0"},
         "# 00:0E:C6:4A:10:08: adres 192.168.1.10 już w wierszu 2" + fill +
             "00:0e:c6:4a:10:08,192.168.1.10,255.255.0.0\n"},
        {{"000e.c64a.1001", "10.0.0.1", "255.0.0.0"},
         "# 00:0E:C6:4A:10:01: adres MAC 00:0E:C6:4A:10:01 już w wierszu 2" + fill +
             "000e.c64a.1001,10.0.0.1,255.0.0.0\n"},
    };
    std::vector<journal::PlanDevice> devices;
    std::string expected = "mac,address,mask\n";
    for (const auto& [device, lines] : rows) {
        devices.push_back(device);
        expected += lines;
    }
    const journal::UndoPlan plan = journal::MakeUndoPlan(devices);
    EXPECT_EQ(plan.Text, expected);
    const cli::Plan read = cli::ParsePlan(plan.Text);
    EXPECT_TRUE(read.Errors.empty()) << read.Errors.front();
    EXPECT_EQ(read.Lines.size(), 1u);
    ASSERT_EQ(plan.LeftOut.size(), rows.size() - 1); // all but the first
    EXPECT_EQ(plan.LeftOut[4].Mac, devices[5].Mac);
    EXPECT_EQ(journal::LeftOutWarning(plan.LeftOut[1]),
              "plan cofnięcia: urządzenie 00:0E:C6:4A:10:03: maska sprzed zmiany nieznana (w planie jako komentarz #)");
}

TEST_F(JournalTest, APlanPathIsCheckedAsWritingWouldFindIt)
{
    std::ofstream(State() + "/old.csv") << "mac,address,mask\n";
    std::ofstream(State() + "/file") << "x\n";
    std::ofstream(State() + "/plan.csv") << "mac,address,mask\n";
    ::symlink((State() + "/plan.csv").c_str(), (State() + "/same.csv").c_str());
    ::mkdir((State() + "/closed").c_str(), 0500);
    const int closed = ::geteuid() == 0 ? 0 : EACCES; // root writes anywhere
    const std::vector<std::tuple<std::string, int, std::string>> rows{
        {State() + "/new.csv", 0, ""},
        {State() + "/old.csv", 0, ""},
        {State(), EISDIR, State()},
        {State() + "/none/back.csv", ENOENT, State() + "/none"},
        {State() + "/file/back.csv", ENOTDIR, State() + "/file/back.csv"},
        {State() + "/closed/back.csv", closed, closed ? State() + "/closed" : ""},
        {"", ENOENT, ""},
        {State() + "/file", EEXIST, State() + "/file"},         // not an undo plan
        {State() + "/same.csv", EEXIST, State() + "/same.csv"}, // the plan under another name
    };
    for (const auto& [path, error, failed] : rows) {
        const journal::FileStatus status = journal::CheckPlanPath(path, {State() + "/plan.csv"});
        EXPECT_EQ(status.Error, error) << path << ": " << status.Text;
        EXPECT_EQ(status.Error ? status.Path : "", failed) << path;
        if (error != EEXIST) {
            EXPECT_EQ(journal::WriteUndoPlan(path, journal::UndoPlan{}).Ok(), status.Ok()) << path;
        }
    }
}

TEST(JournalTime, IsLocalTimeWithItsZoneOffset)
{
    const std::vector<std::tuple<const char*, std::time_t, std::string>> rows{
        {"UTC0", 0, "1970-01-01T00:00:00+00:00"},
        {"CET-1CEST,M3.5.0,M10.5.0/3", 1719835200, "2024-07-01T14:00:00+02:00"},
        {"<-0330>3:30", 1719835200, "2024-07-01T08:30:00-03:30"}};
    for (const auto& [zone, when, expected] : rows) {
        setenv("TZ", zone, 1);
        tzset();
        EXPECT_EQ(journal::LocalTimeText(when), expected) << zone;
    }
    unsetenv("TZ");
    tzset();
}

} // namespace
