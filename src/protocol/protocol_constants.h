// SPDX-License-Identifier: MIT
#pragma once
#include "net/errors/socket_errors.h"

#include <cstdint>

namespace protocol {

// Where the devices listen, where their replies come back to, and the
// password of the login and the assign command.
inline constexpr uint16_t kDevicePort = 65535;
inline constexpr const char* kDevicePortText = "65535";
inline constexpr const char* kCommandLocalPort = "1153";
// The command socket's port until the first discovery sets kCommandLocalPort.
inline constexpr const char* kCommandInitialLocalPort = "1154";
inline constexpr const char* kDevicePassword = "QOVUT";

// The device slots a discovery records, numbered 1 to 255.
inline constexpr int kDeviceSlots = 255;

// Timing, in milliseconds.
inline constexpr int kReplyTimeoutMs = 2000;
inline constexpr int kCollectionWindowMs = 2000;
inline constexpr int kSelectionPauseMs = 500;
inline constexpr int kPauseAfterChangeMs = 2000;

// Tries per request.
inline constexpr uint8_t kReadTries = 2;
inline constexpr uint8_t kChangeTries = 3;

// Command texts; "W" and "A" are followed by the device's MAC text.
inline constexpr const char* kDiscoverCommand = "X";
inline constexpr const char* kSelectCommand = "W";
inline constexpr const char* kLoginCommand = "L";
inline constexpr const char* kMaskQuery = "GNM";
inline constexpr const char* kDnQuery = "GDN";
inline constexpr const char* kSetMaskCommand = "SNM";
inline constexpr const char* kAssignCommand = "A";
inline constexpr const char* kClosingCommand = "E";

// Socket errors after which the operator is told to check the workstation's
// own address and link rather than the network.
inline constexpr int32_t kErrorNetworkUnreachable = net::kWsaeNetUnreach;
inline constexpr int32_t kErrorHostUnreachable = net::kWsaeHostUnreach;
inline constexpr int32_t kErrorAddressInUse = net::kWsaeAddrInUse;

} // namespace protocol
