// SPDX-License-Identifier: MIT
#include "device_config.h"

#include "byte_text.h"
#include "command.h"
#include "ethernet_address.h"

#include <charconv>
#include <nlohmann/json.hpp>
#include <set>

namespace muxsim {
namespace {

constexpr std::size_t kMaxDatagram = 65507;
constexpr int kMaxDelayMs = 600000;
constexpr double kMaxRestartSeconds = 600;

using Json = nlohmann::json;

[[noreturn]] void Fail(const std::string& where, const std::string& what) { throw ConfigError(where + ": " + what); }

std::string BytesField(const Json& value, const std::string& where)
{
    if (value.is_number_integer())
        return value.dump();
    if (!value.is_string())
        Fail(where, "must be a string");
    auto bytes = Utf8ToBytes(value.get_ref<const std::string&>());
    if (!bytes)
        Fail(where, "characters above U+00FF cannot be sent as single bytes");
    return *bytes;
}

std::string AddressField(const Json& value, const std::string& where)
{
    const std::string text = BytesField(value, where);
    if (!ParseIPv4(text))
        Fail(where, "\"" + text + "\" is not a dotted-decimal IPv4 address");
    return text;
}

int DelayField(const Json& value, const std::string& where)
{
    if (!value.is_number_integer() || value.get<long long>() < 0 || value.get<long long>() > kMaxDelayMs)
        Fail(where, "must be a whole number of milliseconds from 0 to " + std::to_string(kMaxDelayMs));
    return value.get<int>();
}

int RestartField(const Json& value, const std::string& where)
{
    if (!value.is_number() || !(value.get<double>() >= 0) || value.get<double>() > kMaxRestartSeconds)
        Fail(where, "must be a number of seconds from 0 to " + std::to_string(static_cast<int>(kMaxRestartSeconds)));
    return static_cast<int>(value.get<double>() * 1000 + 0.5);
}

std::size_t SizeField(const Json& value, const std::string& where)
{
    if (!value.is_number_integer() || value.get<long long>() < 0 ||
        value.get<long long>() > static_cast<long long>(kMaxDatagram))
        Fail(where, "must be a byte count from 0 to " + std::to_string(kMaxDatagram));
    return value.get<std::size_t>();
}

bool BoolField(const Json& value, const std::string& where)
{
    if (!value.is_boolean())
        Fail(where, "must be true or false");
    return value.get<bool>();
}

ReplySpec ReplySpecFromJson(const Json& value, const std::string& where)
{
    ReplySpec spec;
    if (value.is_null()) {
        spec.Kind = ReplyKind::Silent;
        return spec;
    }
    if (value.is_string()) {
        spec.Kind = ReplyKind::Fixed;
        spec.Bytes = BytesField(value, where);
        return spec;
    }
    if (!value.is_object())
        Fail(where, "must be a reply text, null (no reply) or an object");
    int forms = 0;
    for (const auto& [key, field] : value.items()) {
        const std::string at = where + "." + key;
        if (key == "delay_ms") {
            spec.DelayMs = DelayField(field, at);
        } else if (key == "silent") {
            if (BoolField(field, at))
                spec.Kind = ReplyKind::Silent;
            ++forms;
        } else if (key == "text") {
            spec.Kind = ReplyKind::Fixed;
            spec.Bytes = BytesField(field, at);
            ++forms;
        } else if (key == "hex") {
            if (!field.is_string() || !FromHex(field.get_ref<const std::string&>()))
                Fail(at, "must be an even number of hex digits");
            spec.Kind = ReplyKind::Fixed;
            spec.Bytes = *FromHex(field.get_ref<const std::string&>());
            ++forms;
        } else if (key == "garbage") {
            spec.Kind = ReplyKind::Garbage;
            spec.Length = SizeField(field, at);
            ++forms;
        } else if (key == "size") {
            spec.Kind = ReplyKind::Fixed;
            spec.Length = SizeField(field, at);
            ++forms;
        } else if (key != "prefix" && key != "fill") {
            Fail(at, "unknown key (known: text, hex, garbage, size, prefix, fill, silent, delay_ms)");
        }
    }
    if (forms > 1)
        Fail(where, "give only one of text, hex, garbage, size, silent");
    if (value.contains("size")) {
        // An oversized answer: the prefix, then the fill repeated up to size bytes.
        const std::string prefix = value.contains("prefix") ? BytesField(value["prefix"], where + ".prefix") : "A";
        const std::string fill = value.contains("fill") ? BytesField(value["fill"], where + ".fill") : "x";
        if (fill.empty())
            Fail(where + ".fill", "must not be empty");
        std::string bytes = prefix.substr(0, spec.Length);
        while (bytes.size() < spec.Length)
            bytes += fill.substr(0, spec.Length - bytes.size());
        spec.Bytes = std::move(bytes);
    } else if (value.contains("prefix") || value.contains("fill")) {
        Fail(where, "prefix and fill belong to size");
    }
    if (spec.Kind == ReplyKind::Fixed && spec.Bytes.size() > kMaxDatagram)
        Fail(where, "a datagram holds at most " + std::to_string(kMaxDatagram) + " bytes");
    return spec;
}

const std::set<std::string, std::less<>>& CommandNames()
{
    static const std::set<std::string, std::less<>> names = [] {
        std::set<std::string, std::less<>> all;
        for (auto kind :
             {CommandKind::Discover, CommandKind::Select, CommandKind::Login, CommandKind::GetMask, CommandKind::GetDn,
              CommandKind::SetMask, CommandKind::Assign, CommandKind::End, CommandKind::Unknown})
            all.emplace(CommandName(kind));
        return all;
    }();
    return names;
}

Faults FaultsFromJson(const Json& value, const std::string& where)
{
    if (!value.is_object())
        Fail(where, "must be an object");
    Faults faults;
    // Named faults first, so an explicit entry under "replies" wins.
    for (const auto& [key, field] : value.items()) {
        const std::string at = where + "." + key;
        if (key == "silent") {
            faults.Silent = BoolField(field, at);
        } else if (key == "delay_ms") {
            faults.DelayMs = DelayField(field, at);
        } else if (key == "deny_login") {
            if (BoolField(field, at))
                faults.Replies["L"] = ReplySpecFromJson("D", at);
        } else if (key == "refuse_selection") {
            if (field.is_boolean()) {
                if (field.get<bool>())
                    faults.Replies["W"] = ReplySpecFromJson("C", at);
            } else {
                faults.Replies["W"] = ReplySpecFromJson(field, at);
            }
        } else if (key != "replies") {
            Fail(at, "unknown fault (known: silent, refuse_selection, deny_login, delay_ms, replies)");
        }
    }
    if (value.contains("replies")) {
        const Json& replies = value["replies"];
        if (!replies.is_object())
            Fail(where + ".replies", "must be an object keyed by command");
        for (const auto& [name, field] : replies.items()) {
            if (!CommandNames().contains(name))
                Fail(where + ".replies." + name, "unknown command (known: X, W, L, GNM, GDN, SNM, A, E, ?)");
            faults.Replies[name] = ReplySpecFromJson(field, where + ".replies." + name);
        }
    }
    return faults;
}

DeviceConfig DeviceFromJson(const Json& value, const std::string& where)
{
    if (!value.is_object())
        Fail(where, "must be an object");
    if (!value.contains("ip"))
        Fail(where, "needs \"ip\"");
    if (!value.contains("mac"))
        Fail(where, "needs \"mac\"");
    DeviceConfig device;
    for (const auto& [key, field] : value.items()) {
        const std::string at = where + "." + key;
        if (key == "ip")
            device.IP = AddressField(field, at);
        else if (key == "mask")
            device.Mask = AddressField(field, at);
        else if (key == "mac")
            device.Mac = BytesField(field, at);
        else if (key == "port")
            device.Port = BytesField(field, at);
        else if (key == "flags")
            device.Flags = BytesField(field, at);
        else if (key == "dn")
            device.DN = BytesField(field, at);
        else if (key == "password")
            device.Password = BytesField(field, at);
        else if (key == "restart_seconds")
            device.RestartMs = RestartField(field, at);
        else if (key == "reply_to_broadcast")
            device.ReplyToBroadcast = BoolField(field, at);
        else if (key == "faults")
            device.Faults = FaultsFromJson(field, at);
        else
            Fail(at,
                 "unknown key (known: ip, mask, mac, port, flags, dn, password, restart_seconds, "
                 "reply_to_broadcast, faults)");
    }
    return device;
}

HostConfig HostFromJson(const Json& value, const std::string& where)
{
    if (!value.is_object())
        Fail(where, "must be an object");
    for (const char* key : {"ip", "mac"}) {
        if (!value.contains(key))
            Fail(where, std::string("needs \"") + key + "\"");
    }
    HostConfig host;
    for (const auto& [key, field] : value.items()) {
        const std::string at = where + "." + key;
        if (key == "ip") {
            host.IP = AddressField(field, at);
        } else if (key == "mac") {
            host.Mac = BytesField(field, at);
            if (!ParseEthernetAddress(host.Mac))
                Fail(at, "\"" + host.Mac + "\" is not an Ethernet address like 00:11:22:33:44:55");
        } else {
            Fail(at, "unknown key (known: ip, mac)");
        }
    }
    return host;
}

} // namespace

std::vector<HostConfig> HostsFromJson(const Json& config)
{
    std::vector<HostConfig> hosts;
    if (!config.is_object() || !config.contains("hosts"))
        return hosts;
    const Json& list = config["hosts"];
    if (!list.is_array())
        Fail("config.hosts", "must be an array");
    for (std::size_t i = 0; i < list.size(); ++i)
        hosts.push_back(HostFromJson(list[i], "config.hosts[" + std::to_string(i) + "]"));
    return hosts;
}

HostConfig HostFromShorthand(std::string_view text)
{
    const std::string where = "--host " + std::string(text);
    const auto comma = text.find(',');
    if (comma == std::string_view::npos || text.find(',', comma + 1) != std::string_view::npos)
        Fail(where, "needs IP,MAC");
    return HostFromJson({{"ip", BytesToUtf8(text.substr(0, comma))}, {"mac", BytesToUtf8(text.substr(comma + 1))}},
                        where);
}

std::vector<DeviceConfig> DevicesFromJson(const Json& config)
{
    if (!config.is_object())
        Fail("config", "must be a JSON object");
    for (const auto& [key, field] : config.items()) {
        if (key != "devices" && key != "hosts")
            Fail("config." + key, "unknown key (known: devices, hosts)");
    }
    std::vector<DeviceConfig> devices;
    if (!config.contains("devices"))
        return devices;
    const Json& list = config["devices"];
    if (!list.is_array())
        Fail("config.devices", "must be an array");
    for (std::size_t i = 0; i < list.size(); ++i)
        devices.push_back(DeviceFromJson(list[i], "config.devices[" + std::to_string(i) + "]"));
    return devices;
}

DeviceConfig DeviceFromShorthand(std::string_view text)
{
    const std::string where = "--device " + std::string(text);
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const auto comma = text.find(',', start);
        parts.push_back(text.substr(start, comma - start));
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    if (parts.size() < 2)
        Fail(where, "needs at least IP,MAC");
    Json device = {{"ip", BytesToUtf8(parts[0])}, {"mac", BytesToUtf8(parts[1])}};
    Json faults = Json::object();
    for (std::size_t i = 2; i < parts.size(); ++i) {
        const std::string_view part = parts[i];
        const auto equals = part.find('=');
        const std::string key(part.substr(0, equals));
        const std::string value = equals == std::string_view::npos ? "" : std::string(part.substr(equals + 1));
        if (equals == std::string_view::npos && (key == "silent" || key == "deny_login")) {
            faults[key] = true;
        } else if (equals == std::string_view::npos && key == "reply_to_broadcast") {
            device[key] = true;
        } else if (key == "restart_seconds") {
            double seconds = -1;
            const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), seconds);
            if (error != std::errc() || end != value.data() + value.size())
                Fail(where, "restart_seconds needs a number");
            device[key] = seconds;
        } else if (key == "mask" || key == "port" || key == "flags" || key == "dn" || key == "password") {
            device[key] = BytesToUtf8(value);
        } else if (key == "delay_ms") {
            int delay = -1;
            const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), delay);
            if (error != std::errc() || end != value.data() + value.size())
                Fail(where, "delay_ms needs a number");
            faults["delay_ms"] = delay;
        } else if (key == "refuse_selection") {
            if (value == "silent")
                faults[key] = nullptr;
            else
                faults[key] = value.empty() ? std::string("C") : BytesToUtf8(value);
        } else {
            Fail(where, "unknown part \"" + std::string(part) + "\"");
        }
    }
    if (!faults.empty())
        device["faults"] = faults;
    return DeviceFromJson(device, where);
}

} // namespace muxsim
