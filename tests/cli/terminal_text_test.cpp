// SPDX-License-Identifier: MIT
// Control characters from devices never reach the terminal as they are;
// the machine formats stay exact, but for CSV cells a spreadsheet would run
// as formulas.
#include "cli/csv_records.h"
#include "cli/device_output.h"
#include "cli/history_command.h"
#include "cli/json_text.h"
#include "cli/result_output.h"
#include "cli/terminal_text.h"
#include "journal/undo_plan.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <stdlib.h>
#include <unistd.h>

namespace {

TEST(TerminalText, EscapesControlsAndBackslashAndKeepsPrintableText)
{
    // input, as device bytes (Latin-1), as UTF-8 text
    const std::vector<std::tuple<std::string, std::string, std::string>> rows{
        {"\x1b[31mred", "\\x1b[31mred", "\\x1b[31mred"},
        {"bell\x07", "bell\\x07", "bell\\x07"},
        {"del\x7f", "del\\x7f", "del\\x7f"},
        {"tab\tnl\n", "tab\\x09nl\\x0a", "tab\\x09nl\\x0a"},
        {"a\\x1b", "a\\\\x1b", "a\\\\x1b"},
        {"csi\x9b", "csi\\x9b", "csi\\x9b"},            // as UTF-8: a byte that is no character
        {"\xc2\x9b", "\xc3\x82\\x9b", "\\x9b"},         // U+009B, the C1 control sequence introducer
        {"\xe9\xa0", "\xc3\xa9\xc2\xa0", "\\xe9\\xa0"}, // Latin-1 é and no-break space
        // UTF-8 read as Latin-1: "ł" and "ć" end in bytes 0x82 and 0x87, which are C1 controls there.
        {"zażółć", "za\xc3\x85\xc2\xbc\xc3\x83\xc2\xb3\xc3\x85\\x82\xc3\x84\\x87", "zażółć"},
        {"\xed\xa0\x80", "\xc3\xad\xc2\xa0\\x80", "\\xed\\xa0\\x80"}, // a UTF-16 surrogate in UTF-8 form
        {"a\xe2\x80\xae"
         "b",
         "a\xc3\xa2\\x80\xc2\xae"
         "b",
         "a\\u202eb"}, // U+202E, the right-to-left override
    };
    for (const auto& [input, asLatin1, asText] : rows) {
        EXPECT_EQ(cli::ShownLatin1(input), asLatin1) << input;
        EXPECT_EQ(cli::ShownText(input), asText) << input;
    }
}

TEST(TerminalText, TablesEscapeDeviceTextsWhileCsvAndJsonStayExact)
{
    protocol::DeviceRow device;
    device.Address = "10.0.0.7";
    device.Mask = "255.0.0.0";
    device.Mac = "MAC\x1b]0;pwned\x07";
    device.Port = "40\x9b"
                  "01";
    device.FlagE = true;
    device.ReadOk = true;
    const std::string table = cli::FormatDevices(protocol::DiscoveryResult{{device}, {}, {}, true}, cli::Format::Table);
    EXPECT_NE(table.find("MAC\\x1b]0;pwned\\x07  40\\x9b01"), std::string::npos) << table;
    EXPECT_EQ(table.find('\x1b'), std::string::npos);
    EXPECT_NE(cli::FormatDevices(protocol::DiscoveryResult{{device}, {}, {}, true}, cli::Format::Csv)
                  .find(",MAC\x1b]0;pwned\x07,,"),
              std::string::npos);
    EXPECT_NE(cli::FormatDevices(protocol::DiscoveryResult{{device}, {}, {}, true}, cli::Format::Json)
                  .find("MAC\\u001b]0;pwned\\u0007"),
              std::string::npos);
    // CSV to a terminal is escaped as the table is; into a pipe it stays exact.
    const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
    int pipe[2] = {-1, -1};
    ASSERT_TRUE(terminal >= 0 && ::grantpt(terminal) == 0 && ::unlockpt(terminal) == 0 && ::pipe(pipe) == 0);
    const int screen = ::open(::ptsname(terminal), O_RDWR | O_NOCTTY);
    EXPECT_EQ(cli::CsvForOutput("a\x1b,\xc2\x9b\n\\\n", screen), "a\\x1b,\\x9b\n\\\\\n");
    EXPECT_EQ(cli::CsvForOutput("a\x1b,\xc2\x9b\n", pipe[1]), "a\x1b,\xc2\x9b\n");
    for (const int fd : {terminal, screen, pipe[0], pipe[1]})
        ::close(fd);
    // U+009B acts as CSI on a terminal; escaped, JSON still keeps the exact text.
    EXPECT_EQ(cli::JsonText({{"a", "\xc2\x80x\xc2\x9f\xc2\xa0"}}, -1), "{\"a\":\"\\u0080x\\u009f\xc2\xa0\"}\n");

    cli::ChangeResult result;
    result.LineNumber = 2;
    result.Mac = "MAC\x1b[2J";
    result.Address = "10.0.0.8";
    result.Mask = "255.0.0.0";
    result.Outcome = cli::Outcome::Refused;
    result.Detail = "odmowa\x1b[0m";
    EXPECT_EQ(cli::FormatResultLine(result, cli::Format::Table),
              "wiersz 2: MAC\\x1b[2J -> 10.0.0.8/255.0.0.0: odmowa urządzenia (odmowa\\x1b[0m)\n");
    EXPECT_EQ(cli::FormatResultLine(result, cli::Format::Csv),
              "2,MAC\x1b[2J,10.0.0.8,255.0.0.0,refused,odmowa\x1b[0m,,,,\n");
}

TEST(ResultSummary, NamesEveryCountThatIsNotZero)
{
    std::vector<cli::ChangeResult> results(5);
    results[0].Outcome = cli::Outcome::Interrupted;
    results[1].Outcome = cli::Outcome::NotAttempted;
    results[2].Outcome = cli::Outcome::InterfaceGone;
    results[3].Outcome = cli::Outcome::Verified;
    results[3].AddressChecked = false;
    results[4].Outcome = cli::Outcome::Unchecked; // --refuse-unchecked: not known to be in use
    const std::string summary = cli::FormatResultEnd(results, cli::Format::Table, true);
    for (const char* part : {"Razem 5: zmienione i potwierdzone 1", "brak interfejsu 1", "przerwane 1", "nie podjęte 1",
                             "adresy niesprawdzone 1", "adres zajęty 0", "adres niesprawdzony 1"})
        EXPECT_NE(summary.find(part), std::string::npos) << part << " in " << summary;
    EXPECT_EQ(summary.find("MAC w dwóch miejscach"), std::string::npos) << summary;
    const auto json = nlohmann::json::parse(cli::FormatResultEnd(results, cli::Format::Json, false, "nie zapisano"));
    EXPECT_EQ(json["summary"]["unchecked"], 1) << json;
    EXPECT_EQ(json["summary"]["journal"], false) << json;
    EXPECT_EQ(json["summary"]["journal_problem"], "nie zapisano") << json;
}

TEST(CsvCells, FormulasFromDevicesAreNeutralisedInEveryCsvAndExactInJson)
{
    // a device's text, its cell
    const std::vector<std::pair<std::string, std::string>> rows{
        {"=HYPERLINK(\"http://x/\",\"a, b\")", "'=HYPERLINK(\"http://x/\",\"a, b\")"},
        {"+1+cmd|' /C calc'!A0", "'+1+cmd|' /C calc'!A0"},
        {"-2+3", "'-2+3"},
        {"@SUM(A1:A9)", "'@SUM(A1:A9)"},
        {"\t=1", "'\t=1"},
        {"\r=1", "'\r=1"},
        {"a=1,\n=2", "a=1,\n=2"},
        {"'=1", "'=1"},
    };
    for (const auto& [text, cell] : rows) {
        protocol::DeviceRow device;
        device.Mac = text;
        cli::ChangeResult result;
        result.LineNumber = 2;
        result.Mac = "MAC";
        result.Address = "10.0.0.8";
        result.Mask = "255.0.0.0";
        result.OldAddress = text;
        result.Outcome = cli::Outcome::Refused;
        result.Detail = text;
        const journal::BeginRecord begin{"R/1", "R", "t", "u", "h", {"eth0", text, "", "", "", ""}};
        // each writer's CSV of the text, and the column it is in
        const std::vector<std::pair<std::string, std::size_t>> writers{
            {cli::FormatDevices({{device}, {}, {}}, cli::Format::Csv), 2},
            {cli::FormatResultLine(result, cli::Format::Csv), 5},
            {cli::FormatHistory({{begin, std::nullopt}}, cli::Format::Csv), 5}};
        for (const auto& [csv, column] : writers) {
            const cli::CsvReading reading = cli::ReadCsvRecords(csv, ',');
            ASSERT_FALSE(reading.Records.empty()) << csv;
            ASSERT_GT(reading.Records.back().Fields.size(), column) << csv;
            EXPECT_EQ(reading.Records.back().Fields[column], cell);
        }
        // An undo plan has no MAC cell but a MAC's: such a text stays in its comments.
        EXPECT_EQ(cli::ReadCsvRecords(journal::UndoPlanText({{text, "10.0.0.8", "255.0.0.0"}}), ',').Records.size(),
                  1u);
        EXPECT_EQ(nlohmann::json::parse(cli::FormatDevices({{device}, {}, {}}, cli::Format::Json))["devices"][0]["mac"],
                  text);
    }
}

} // namespace
