// SPDX-License-Identifier: MIT
#pragma once
#include <QString>
#include <cstdint>

// The text of the "UWAGA" box shown when the command socket fails: six lines
// joined by carriage returns (character 13), as the operator is told them.
QString SocketErrorBoxText(int32_t errorCode, const QString& description);
