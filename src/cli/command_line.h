// SPDX-License-Identifier: MIT
#pragma once
#include "cli/exit_status.h"
#include "net/interfaces/interface_selection.h"
#include <QStringList>

#include <optional>
#include <string>

namespace cli {

enum class Format { Table, Csv, Json, Jsonl };

// What the command line asks for.
struct Options {
    QString Command;       // "list", "set", "apply", "check" or "history"; empty: the window
    QStringList Arguments; // the subcommand's own arguments
    cli::Format Format = cli::Format::Table;
    bool DryRun = false;
    bool Quiet = false;
    bool DetailedExitcode = false; // set, apply: 0 nothing to do, 4 changes made or pending
    bool Quick = false;            // list: discovery only, no per-device reads
    bool RefuseUnchecked = false;  // set, apply: an address the probe could not check refuses its line
    bool RequireJournal = false;   // set, apply: nothing is sent without a journal record
    QString UndoPlan;              // set, apply: --undo-plan FILE, written before the first change
    QString Mac;                   // history: --mac, only this device's changes
    QString UndoRun;               // history: --undo RUN, the plan that puts RUN's devices back
    // --interface NAME, in the order given, and the interfaces they choose.
    QStringList Interfaces;
    net::InterfaceSelection Selection;
};

// The outcome of reading the command line: options to run, or a text to
// print and the status to end with (help and version: kExitOk on stdout; a
// usage error: kExitUsage on stderr).
struct ParsedCommandLine {
    std::optional<cli::Options> Options;
    std::string Text;
    int ExitStatus = kExitOk;
};

// Whose command line it is: the window takes no subcommand and no option
// but --interface (QApplication has taken Qt's own).
enum class Face { CommandLine, Window };

ParsedCommandLine ParseCommandLine(const QStringList& arguments, Face face);

// Prints a command line's text (stdout for kExitOk, else stderr) and
// returns the status to end with.
int ShowParsedText(const ParsedCommandLine& parsed);

} // namespace cli
