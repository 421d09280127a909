// SPDX-License-Identifier: MIT
#include "cli/history_command.h"

#include "checks/mac_text.h"
#include "cli/exit_status.h"
#include "cli/json_text.h"
#include "cli/output_stream.h"
#include "cli/table_text.h"
#include "cli/terminal_text.h"
#include "cli/text_bytes.h"
#include "journal/journal_place.h"
#include "journal/undo_plan.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>

namespace cli {

namespace {

const std::vector<std::string> kKeys = {"time",        "run",      "user",        "host",     "interface", "mac",
                                        "old_address", "old_mask", "new_address", "new_mask", "outcome",   "detail"};

// A change's fields in the order of kKeys, device texts as UTF-8.
std::vector<std::string> Fields(const journal::JournalChange& change)
{
    const journal::BeginRecord& begin = change.Begin;
    return {begin.Time,
            begin.Run,
            begin.User,
            begin.Host,
            begin.Start.InterfaceName,
            Latin1ToUtf8(begin.Start.Mac),
            Latin1ToUtf8(begin.Start.OldAddress),
            Latin1ToUtf8(begin.Start.OldMask),
            begin.Start.NewAddress,
            begin.Start.NewMask,
            change.End ? change.End->Outcome : "unfinished",
            change.End ? change.End->Detail : ""};
}

void Warn(const std::string& text)
{
    std::string ignored; // nowhere left to report a failing standard error
    Output(stderr, "muxconfig: " + ShownText(text) + "\n", ignored);
}

} // namespace

std::string FormatHistory(const std::vector<journal::JournalChange>& changes, Format format)
{
    switch (format) {
    case Format::Json:
    case Format::Jsonl: {
        nlohmann::ordered_json array = nlohmann::ordered_json::array();
        std::string lines;
        for (const journal::JournalChange& change : changes) {
            nlohmann::ordered_json object;
            const std::vector<std::string> fields = Fields(change);
            for (std::size_t at = 0; at < kKeys.size(); ++at)
                object[kKeys[at]] = fields[at];
            lines += JsonText(object, -1);
            array.push_back(object);
        }
        if (format == Format::Jsonl)
            return lines;
        return JsonText(array, 2);
    }
    case Format::Csv: {
        std::string text;
        for (const std::string& key : kKeys)
            text.append(text.empty() ? "" : ",").append(key);
        text += '\n';
        for (const journal::JournalChange& change : changes) {
            std::string line;
            for (const std::string& field : Fields(change))
                line.append(line.empty() ? "" : ",").append(CsvField(field));
            text += line + '\n';
        }
        return text;
    }
    case Format::Table: break;
    }
    std::vector<std::vector<std::string>> lines{{"Czas", "Przebieg", "Użytkownik", "Stacja", "Interfejs", "Adres MAC",
                                                 "Poprzedni adres", "Poprzednia maska", "Nowy adres", "Nowa maska",
                                                 "Wynik", "Szczegóły"}};
    for (const journal::JournalChange& change : changes) {
        std::vector<std::string> fields = Fields(change);
        for (std::string& field : fields)
            field = ShownText(field);
        if (!change.End)
            fields[10] = "niedokończona";
        lines.push_back(fields);
    }
    return AlignedColumns(lines);
}

int RunHistory(const Options& options)
{
    const std::string path = journal::JournalPath();
    if (path.empty()) {
        Warn(journal::NoPlaceStatus().Text);
        return kExitFailure;
    }
    journal::JournalContents contents = journal::ReadJournal(path);
    if (!contents.Status.Ok()) {
        Warn("nie odczytano dziennika " + path + ": " + contents.Status.Text + " (błąd " +
             std::to_string(contents.Status.Error) + ")");
        return kExitFailure;
    }
    if (contents.SkippedLines > 0)
        Warn("dziennik " + path +
             ": pominięto wiersze, które nie są zapisami zmian: " + std::to_string(contents.SkippedLines));
    std::vector<journal::JournalChange>& changes = contents.Changes;
    if (!options.Mac.isEmpty()) {
        const std::string mac = options.Mac.trimmed().toStdString(); // as a plan's cells are
        std::erase_if(changes, [&mac](const journal::JournalChange& change) {
            return !checks::SameMac(Latin1ToUtf8(change.Begin.Start.Mac), mac);
        });
    }
    std::string text;
    if (options.UndoRun.isEmpty()) {
        text = FormatHistory(changes, options.Format);
    } else {
        const std::vector<journal::PlanDevice> devices = journal::UndoOfRun(changes, options.UndoRun.toStdString());
        if (devices.empty()) {
            Warn("w dzienniku nie ma zmian z przebiegu " + options.UndoRun.toStdString());
            return kExitUsage;
        }
        const journal::UndoPlan plan = journal::MakeUndoPlan(devices);
        std::string ignored;
        for (const journal::LeftOutDevice& device : plan.LeftOut) // its device bytes escaped already
            Output(stderr, "muxconfig: " + journal::LeftOutWarning(device) + "\n", ignored);
        text = plan.Text;
    }
    if (options.Format == Format::Csv && options.UndoRun.isEmpty())
        text = CsvForOutput(text, STDOUT_FILENO);
    std::string error;
    if (!Output(stdout, text, error)) {
        Warn(OutputFailure(error).what());
        return kExitFailure;
    }
    return kExitOk;
}

} // namespace cli
