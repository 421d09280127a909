// SPDX-License-Identifier: MIT
// The journal's lines: one JSON object each, a "begin" record written before
// a change's first datagram and an "end" record with its outcome.
#pragma once
#include <optional>
#include <string>
#include <variant>

namespace journal {

// A change about to be made. The device's texts (Mac, OldAddress, OldMask,
// as the last discovery read them) are bytes as the device sent them, shown
// as Latin-1 like everywhere else; the others are UTF-8.
struct ChangeStart {
    std::string InterfaceName;
    std::string Mac;
    std::string OldAddress;
    std::string OldMask;
    std::string NewAddress;
    std::string NewMask;
};

struct BeginRecord {
    std::string Change; // "RUN/N", pairs the end record with this one
    std::string Run;
    std::string Time; // ISO 8601 with the zone offset
    std::string User;
    std::string Host;
    ChangeStart Start;
};

struct EndRecord {
    std::string Change;
    std::string Time;
    std::string Outcome; // change::MachineName of the outcome; read back as written (an older journal may hold others)
    std::string Detail;
};

std::string RecordLine(const BeginRecord& record);
std::string RecordLine(const EndRecord& record);

// A line of the journal, or nothing for a line that is not one of ours
// (torn by a crash, corrupt, foreign).
std::optional<std::variant<BeginRecord, EndRecord>> ParseRecordLine(const std::string& line);

} // namespace journal
