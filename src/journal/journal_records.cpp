// SPDX-License-Identifier: MIT
#include "journal/journal_records.h"

#include <QString>
#include <nlohmann/json.hpp>

namespace journal {

namespace {

using Json = nlohmann::ordered_json;

std::string Latin1AsUtf8(const std::string& bytes)
{
    return QString::fromLatin1(bytes.data(), qsizetype(bytes.size())).toStdString();
}

// Text the caller passed is written as UTF-8 should be; a stray byte becomes
// U+FFFD instead of failing the record.
std::string Dump(const Json& object) { return object.dump(-1, ' ', false, Json::error_handler_t::replace); }

// The string under `key`, or nothing when it is missing or not a string.
std::optional<std::string> Text(const Json& object, const char* key)
{
    const auto found = object.find(key);
    if (found == object.end() || !found->is_string())
        return std::nullopt;
    return found->get<std::string>();
}

// A device text back to its bytes; nothing when it holds a character no
// device could have sent.
std::optional<std::string> DeviceBytes(const Json& object, const char* key)
{
    const std::optional<std::string> text = Text(object, key);
    if (!text)
        return std::nullopt;
    const QString decoded = QString::fromStdString(*text);
    for (const QChar c : decoded)
        if (c.unicode() > 0xFF)
            return std::nullopt;
    return decoded.toLatin1().toStdString();
}

} // namespace

std::string RecordLine(const BeginRecord& record)
{
    return Dump({{"record", "begin"},
                 {"change", record.Change},
                 {"run", record.Run},
                 {"time", record.Time},
                 {"user", record.User},
                 {"host", record.Host},
                 {"interface", record.Start.InterfaceName},
                 {"mac", Latin1AsUtf8(record.Start.Mac)},
                 {"old_address", Latin1AsUtf8(record.Start.OldAddress)},
                 {"old_mask", Latin1AsUtf8(record.Start.OldMask)},
                 {"new_address", record.Start.NewAddress},
                 {"new_mask", record.Start.NewMask}});
}

std::string RecordLine(const EndRecord& record)
{
    return Dump({{"record", "end"},
                 {"change", record.Change},
                 {"time", record.Time},
                 {"outcome", record.Outcome},
                 {"detail", record.Detail}});
}

std::optional<std::variant<BeginRecord, EndRecord>> ParseRecordLine(const std::string& line)
{
    const Json object = Json::parse(line, nullptr, false);
    if (!object.is_object())
        return std::nullopt;
    const std::optional<std::string> kind = Text(object, "record");
    const std::optional<std::string> change = Text(object, "change");
    const std::optional<std::string> time = Text(object, "time");
    if (!kind || !change || !time)
        return std::nullopt;
    if (*kind == "end") {
        const auto outcome = Text(object, "outcome");
        const auto detail = Text(object, "detail");
        if (!outcome || !detail)
            return std::nullopt;
        return EndRecord{*change, *time, *outcome, *detail};
    }
    if (*kind != "begin")
        return std::nullopt;
    const auto run = Text(object, "run");
    const auto user = Text(object, "user");
    const auto host = Text(object, "host");
    const auto interfaceName = Text(object, "interface");
    const auto mac = DeviceBytes(object, "mac");
    const auto oldAddress = DeviceBytes(object, "old_address");
    const auto oldMask = DeviceBytes(object, "old_mask");
    const auto newAddress = Text(object, "new_address");
    const auto newMask = Text(object, "new_mask");
    if (!run || !user || !host || !interfaceName || !mac || !oldAddress || !oldMask || !newAddress || !newMask)
        return std::nullopt;
    return BeginRecord{*change, *run,  *time,
                       *user,   *host, ChangeStart{*interfaceName, *mac, *oldAddress, *oldMask, *newAddress, *newMask}};
}

} // namespace journal
