// SPDX-License-Identifier: MIT
// Plans as spreadsheets, scripts and this program's own output write them.
#include "cli/plan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::vector<std::string>>; // line number, mac, address, mask

Lines Read(const std::string& text)
{
    const cli::Plan plan = cli::ParsePlan(text);
    EXPECT_TRUE(plan.Errors.empty()) << plan.Errors.front();
    Lines lines;
    for (const cli::PlanLine& line : plan.Lines)
        lines.push_back({std::to_string(line.LineNumber), line.Mac, line.Address, line.Mask});
    return lines;
}

const std::string kA = "00:0E:C6:4A:10:03", kB = "00:0E:C6:4A:10:04";

TEST(PlanReading, DialectsGiveTheSameCanonicalLines)
{
    const Lines expected{{"2", kA, "192.168.1.50", "255.255.255.0"}, {"3", kB, "10.0.0.8", "255.0.0.0"}};
    const char* dialects[] = {
        // a spreadsheet with Polish settings: ";", a byte-order mark, CRLF
        "\xEF\xBB\xBFmac;adres;maska\r\n00:0E:C6:4A:10:03;192.168.1.50;255.255.255.0\r\n"
        "00:0E:C6:4A:10:04;10.0.0.8;255.0.0.0\r\n",
        // jq @csv: every text quoted
        "\"mac\",\"address\",\"mask\"\n\"00:0E:C6:4A:10:03\",\"192.168.1.50\",\"255.255.255.0\"\n"
        "\"00:0E:C6:4A:10:04\",\"10.0.0.8\",\"255.0.0.0\"\n",
        // the header --help suggests, tabs, an extra column with a quoted separator and line break
        "MAC\tAdres IP\tMaska podsieci\tuwagi\n00:0E:C6:4A:10:03\t192.168.1.50\t255.255.255.0\t\"kasa\t1\"\n"
        "00:0E:C6:4A:10:04\t10.0.0.8\t255.0.0.0\t\n",
        // list --format csv, addresses edited
        "address,mask,mac,port,flag_e,read_ok,address_shared\n192.168.1.50,255.255.255.0,00:0E:C6:4A:10:03,1153,"
        "true,true,false\n10.0.0.8,255.0.0.0,00:0E:C6:4A:10:04,1153,false,true,false\n",
        // apply --format csv
        "line,mac,address,mask,result,detail\n3,00:0E:C6:4A:10:03,192.168.1.50,255.255.255.0,verified,\n"
        "4,00:0E:C6:4A:10:04,10.0.0.8,255.0.0.0,refused,\"Brak dostępu, złe hasło\"\n",
        // MAC spellings, prefixes, leading zeros
        "adres mac,adres,maska\n000e.c64a.1003,192.168.001.050/24,\n00-0e-c6-4a-10-04,10.0.0.8,/8\n",
    };
    for (const char* text : dialects)
        EXPECT_EQ(Read(text), expected) << text;

    // A byte-order mark before a plan without a header; comments and blank lines.
    EXPECT_EQ(Read("\xEF\xBB\xBF# sklep 12\n\n000EC64A1003,192.168.1.50,24\r\n   \n00:0e:c6:4a:10:04,10.0.0.8,8"),
              (Lines{{"3", kA, "192.168.1.50", "255.255.255.0"}, {"5", kB, "10.0.0.8", "255.0.0.0"}}));
}

TEST(PlanReading, ErrorsNameTheirLine)
{
    const struct {
        std::string Text;
        std::vector<std::string> Errors;
    } rows[] = {
        {"MAC-A,192.168.1.50,255.255.255.0\n000ec64a1003,192.168.1.51,255.255.255.0\n"
         "00:0E:C6:4A:10:03,192.168.001.051,255.255.255.0\n",
         {"wiersz 1: niewłaściwy adres MAC \"MAC-A\": oczekiwano 12 cyfr szesnastkowych, np. 00:0E:C6:4A:10:03",
          "wiersz 3: adres MAC 00:0E:C6:4A:10:03 już w wierszu 2", "wiersz 3: adres 192.168.1.51 już w wierszu 2"}},
        {"00:0E:C6:4A:10:03,192.168.1.60,255.255.255.0\n00:0E:C6:4A:10:04,0xC0A8013C,255.255.255.0\n",
         {"wiersz 2: Adres IP poza dozwolonym zakresem"}},
        {"00:0E:C6:4A:10:03,192.168.1.127/25,\n00:0E:C6:4A:10:04,10.0.0.8/8,255.255.0.0\n"
         "00:0E:C6:4A:10:05,10.0.0.9,33\n00:0E:C6:4A:10:06,10.0.0.10,\n",
         {"wiersz 1: Adres IP jest adresem rozgłoszeniowym dla tej maski podsieci (wszystkie bity hosta równe 1)",
          "wiersz 2: maska 255.255.0.0 nie zgadza się z prefiksem /8",
          "wiersz 3: niewłaściwa długość prefiksu \"33\" (od 1 do 32)", "wiersz 4: brak maski podsieci"}},
        {"mac;adres\n00:0E:C6:4A:10:03\n", {"wiersz 2: brak pola kolumny adres"}},
        {"maska,uwagi\n",
         {"wiersz 1: w nagłówku brak kolumny adresu MAC (mac lub adres mac)",
          "wiersz 1: w nagłówku brak kolumny adresu (address, adres lub adres ip)"}},
        {"00:0E:C6:4A:10:03,\"10.0.0.8\"x,8\n00:0E:C6:4A:10:04,\"10.0.0.9,8\n",
         {"wiersz 1: tekst po cudzysłowie zamykającym pole", "wiersz 2: cudzysłów otwarty i niezamknięty"}},
        {"# nic\n\n", {"plan nie zawiera żadnego urządzenia"}},
        // decimal or hexadecimal; a letter, a one-digit group or one value both ways is not
        {"00.10.20.30.40.50,10.0.0.8,8\n10.20.30.40.50.60,10.0.0.9,8\n00.1a.20.30.40.50,10.0.0.10,8\n"
         "0.10.20.30.40.50,10.0.0.11,8\n01.02.03.04.05.06,10.0.0.12,8\n",
         {"wiersz 1: adres MAC 00.10.20.30.40.50 można odczytać dziesiętnie (00:0A:14:1E:28:32) albo szesnastkowo "
          "(00:10:20:30:40:50); napisz go jednoznacznie: z dwukropkami (00:10:20:30:40:50) albo tak, jak podaje go "
          "urządzenie (0.10.20.30.40.50)",
          "wiersz 2: adres MAC 10.20.30.40.50.60 można odczytać dziesiętnie (0A:14:1E:28:32:3C) albo szesnastkowo "
          "(10:20:30:40:50:60); napisz go jednoznacznie: z dwukropkami (10:20:30:40:50:60) albo tak, jak podaje go "
          "urządzenie (010.020.030.040.050.060)"}},
        {"\xFF\xFEm\0a\0c\0",
         {"plik zapisany w UTF-16 (lub zawiera bajty zerowe); zapisz plan jako tekst UTF-8, "
          "np. \"CSV UTF-8\" w arkuszu"}},
        {std::string("\0m\0a\0c", 6),
         {"plik zapisany w UTF-16 (lub zawiera bajty zerowe); zapisz plan jako tekst "
          "UTF-8, np. \"CSV UTF-8\" w arkuszu"}},
        {std::string(cli::kMaxPlanBytes + 1, '#'), {"plik większy niż 1 MiB to nie plan"}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(cli::ParsePlan(row.Text).Errors, row.Errors) << row.Text.substr(0, 200);
}

} // namespace
