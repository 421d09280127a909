// SPDX-License-Identifier: MIT
// `muxconfig list` against the demo fleet, beside the window's refresh of
// the same fleet: the same datagrams in the same order, the same rows; and
// one event journalled alike by both.
#include "muxconfig_run.h"
#include "simulated_lan_window.h"

#include <QTreeWidget>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace {

using Json = nlohmann::json;

Json DemoFleet()
{
    std::ifstream file(MUX_SOURCE_DIR "/scripts/demo-data/fleet.json");
    return Json::parse(file);
}

double CollectionWindowMs(const MuxSimProcess& sim)
{
    const auto received = sim.Received();
    return received.at(1)["t"].get<double>() - received.at(0)["t"].get<double>();
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

TEST(CliList, MatchesTheWindowsRefreshOnTheWireAndInEveryFormat)
{
    std::vector<std::string> windowPayloads;
    std::vector<std::vector<std::string>> windowRows;
    double windowCollection = 0;
    {
        MuxSimProcess sim(DemoFleet());
        RunningProgram program;
        program.Form.show();
        ASSERT_TRUE(WaitForRefreshes(program, sim, 1));
        for (int column = 0; column < 3; ++column)
            windowRows.push_back(program.RowTexts(column));
        program.Form.close();
        ASSERT_TRUE(sim.WaitForPayload("E", windowRows[0].size()));
        windowPayloads = sim.ReceivedPayloads();
        windowCollection = CollectionWindowMs(sim);
    }

    MuxSimProcess sim(DemoFleet());
    const MuxconfigRun json = RunMuxconfig({"list", "--format", "json"});
    ASSERT_TRUE(sim.WaitForPayload("E", windowRows[0].size()));
    EXPECT_EQ(sim.ReceivedPayloads(), windowPayloads);
    EXPECT_NEAR(CollectionWindowMs(sim), windowCollection, 300.0);

    // The login-refusing device is not listed and is named on stderr: status 3.
    EXPECT_EQ(json.Status, 3);
    EXPECT_NE(json.Err.find("0.14.198.74.16.8 (192.168.1.30): Brak dostępu"), std::string::npos) << json.Err;
    const Json document = Json::parse(json.Out);
    EXPECT_EQ(document["format_version"], 2);
    Json rows = Json::array();
    for (const Json& device : document["devices"]) {
        if (device["listed"] == true) {
            rows.push_back(device);
            EXPECT_TRUE(device["port"].is_number()) << device;
            EXPECT_EQ(device["interface"], "mux0");
        } else {
            // Answered, but its login was refused: there, with why.
            EXPECT_EQ(device["mac"], "0.14.198.74.16.8");
            EXPECT_EQ(device["read_ok"], false);
            EXPECT_EQ(device["reason"], "access_denied");
        }
    }
    EXPECT_EQ(document["devices"].size(), rows.size() + 1);
    ASSERT_EQ(rows.size(), windowRows[0].size());
    for (std::size_t row = 0; row < rows.size(); ++row) {
        EXPECT_EQ(rows[row]["address"], windowRows[0][row]) << row;
        EXPECT_EQ(rows[row]["mask"], windowRows[1][row]) << row;
        EXPECT_EQ(rows[row]["mac"], windowRows[2][row]) << row;
        const bool shared = rows[row]["address"] == "192.168.1.200";
        EXPECT_EQ(rows[row]["address_shared"], shared) << row;
        EXPECT_EQ(rows[row]["read_ok"], !shared) << row;
        EXPECT_EQ(rows[row]["flag_e"], rows[row]["mac"] == "000.014.198.074.016.003") << row;
    }

    const MuxconfigRun csv = RunMuxconfig({"list", "--format", "csv", "--quiet"});
    const std::vector<std::string> csvLines = Lines(csv.Out);
    ASSERT_EQ(csvLines.size(), rows.size() + 2);
    EXPECT_EQ(csvLines[0],
              "address,mask,mac,port,flag_e,read_ok,address_shared,interface,reason,mac_normalized,"
              "mac_also_at");
    for (std::size_t row = 0; row < rows.size(); ++row) {
        const Json& r = rows[row];
        EXPECT_EQ(csvLines[row + 1],
                  r["address"].get<std::string>() + "," + r["mask"].get<std::string>() + "," +
                      r["mac"].get<std::string>() + "," + r["port"].dump() + "," + r["flag_e"].dump() + "," +
                      r["read_ok"].dump() + "," + r["address_shared"].dump() + ",mux0," +
                      r.value("reason", std::string()) + "," + r["mac_normalized"].get<std::string>() + ",");
    }

    const MuxconfigRun table = RunMuxconfig({"list"});
    const std::vector<std::string> tableLines = Lines(table.Out);
    ASSERT_EQ(tableLines.size(), rows.size() + 1);
    const std::size_t macColumn = tableLines[0].find("Adres MAC");
    for (std::size_t row = 0; row < rows.size(); ++row) {
        const std::string mac = rows[row]["mac"];
        EXPECT_EQ(tableLines[row + 1].substr(macColumn, mac.size() + 1), mac + " ") << tableLines[row + 1];
    }
    EXPECT_EQ(csv.Status, 3);
    EXPECT_EQ(table.Status, 3);
}

// A device that takes its new address but refuses the mask, changed once
// from the window and once by `set`: both journal "partial".
TEST(CliWindowJournal, AMaskRefusedAfterTheAddressIsPartialFromBothFrontEnds)
{
    const std::string mac = "0.14.198.74.16.10";
    SimulatedLanWindow window(MuxSimProcess::Config(
        {MuxSimProcess::Device("192.168.1.10", mac, {{"faults", {{"replies", {{"SNM", "C"}}}}}})}));
    ASSERT_TRUE(window.Show());
    window.Type(window.AddressEdit(), "192.168.1.11");
    window.Type(window.MaskEdit(), "255.255.0.0");
    window.SetButton()->click();
    EXPECT_EQ(window.Messages(),
              std::vector<std::string>{"Niewłaściwa nazwa/parametr funkcji.\nAdres IP został "
                                       "zmieniony, ale maska podsieci nie."});
    window.Form.close(); // port 1153 is the command line's now
    const MuxconfigRun run = RunMuxconfig({"set", "00:0E:C6:4A:10:0A", "192.168.1.12", "255.255.0.0"});
    EXPECT_EQ(run.Status, 3) << run.Out << run.Err;

    const std::string history = RunMuxconfig({"history", "--format", "csv"}).Out; // the window's state directory
    for (const char* change : {",192.168.1.10,255.255.255.0,192.168.1.11,255.255.0.0,partial",
                               ",192.168.1.11,255.255.255.0,192.168.1.12,255.255.0.0,partial"})
        EXPECT_NE(history.find(mac + change), std::string::npos) << change << "\n" << history;
}

} // namespace
