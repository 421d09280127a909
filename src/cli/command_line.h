// SPDX-License-Identifier: MIT
#pragma once
#include "net/interfaces/interface_selection.h"
#include <QStringList>

#include <optional>
#include <string>

namespace cli {

enum class Format { Table, Csv, Json, Jsonl };

// What the command line asks for.
struct Options {
    QString command;       // "list", "set", "apply" or "history"
    QStringList arguments; // the subcommand's own arguments
    Format format = Format::Table;
    bool dryRun = false;
    bool quiet = false;
    bool detailedExitcode = false; // set, apply: 0 nothing to do, 4 changes made or pending
    bool quick = false;            // list: discovery only, no per-device reads
    QString undoPlan;              // set, apply: --undo-plan FILE, written before the first change
    QString mac;                   // history: --mac, only this device's changes
    QString undoRun;               // history: --undo RUN, the plan that puts RUN's devices back
    // --interface NAME, in the order given, and the interfaces they choose.
    QStringList interfaces;
    net::InterfaceSelection selection;
};

// The outcome of reading the command line: options to run, or a text to
// print and the status to end with (help and version: 0 on stdout; a usage
// error: 2 on stderr).
struct ParsedCommandLine {
    std::optional<Options> options;
    std::string text;
    int exitStatus = 0;
};

ParsedCommandLine ParseCommandLine(const QStringList& arguments);

} // namespace cli
