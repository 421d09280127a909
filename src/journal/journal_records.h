// SPDX-License-Identifier: MIT
// The journal's lines: one JSON object each, a "begin" record written before
// a change's first datagram and an "end" record with its outcome.
#pragma once
#include <optional>
#include <string>
#include <variant>

namespace journal {

// A change about to be made. The device's texts (mac, oldAddress, oldMask,
// as the last discovery read them) are bytes as the device sent them, shown
// as Latin-1 like everywhere else; the others are UTF-8.
struct ChangeStart {
    std::string interfaceName;
    std::string mac;
    std::string oldAddress;
    std::string oldMask;
    std::string newAddress;
    std::string newMask;
};

struct BeginRecord {
    std::string change; // "RUN/N", pairs the end record with this one
    std::string run;
    std::string time; // ISO 8601 with the zone offset
    std::string user;
    std::string host;
    ChangeStart start;
};

struct EndRecord {
    std::string change;
    std::string time;
    std::string outcome; // the caller's machine name: verified, refused, interrupted...
    std::string detail;
};

std::string RecordLine(const BeginRecord& record);
std::string RecordLine(const EndRecord& record);

// A line of the journal, or nothing for a line that is not one of ours
// (torn by a crash, corrupt, foreign).
std::optional<std::variant<BeginRecord, EndRecord>> ParseRecordLine(const std::string& line);

} // namespace journal
