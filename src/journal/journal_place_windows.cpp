// SPDX-License-Identifier: MIT
#include "journal/journal_place.h"

#include <QStandardPaths>
#include <cerrno>

namespace journal {

// %LOCALAPPDATA%\muxconfig\journal.jsonl (Qt's paths use forward slashes).
std::string JournalPath()
{
    const QString local = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (local.isEmpty())
        return {};
    return (local + QStringLiteral("/muxconfig/journal.jsonl")).toStdString();
}

FileStatus NoPlaceStatus()
{
    return {ENOENT, "nie ma gdzie prowadzić dziennika: system nie podaje katalogu danych aplikacji (%LOCALAPPDATA%)",
            "dziennik zmian"};
}

} // namespace journal
