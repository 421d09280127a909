// SPDX-License-Identifier: MIT
#pragma once
#include "protocol/device_row.h"
#include "protocol/device_session.h"

#include <vector>

#include <QString>
#include <QStringList>

namespace app {

// What the window says in words about the device list: why a row is marked
// and what the protocol is busy with. All of these texts live here.

// Short marks read out with the row's address, e.g. "znacznik E".
QStringList RowMarks(const protocol::DeviceRow& row);
// One sentence per mark, saying why the row is marked.
QStringList RowReasons(const protocol::DeviceRow& row);
// The row's tooltip, one line per thing worth saying; empty when nothing is.
// `macCut`: the list's column shows the MAC cut short, so the tooltip names it whole.
QString RowToolTip(const protocol::DeviceRow& row, bool macCut);
// What the list shows while the protocol works; empty when it is idle.
QString ProgressText(const protocol::Progress& progress);
// What the list says when the refresh after a change lacks the changed
// device (many modules restart to take a new address).
QString MissingAfterChangeText(const std::string& mac, const std::string& address);
// What an empty list says after a discovery: where it looked, and the two
// usual reasons for finding nothing.
QString EmptyListText(const std::vector<protocol::SearchedInterface>& searched);

} // namespace app
