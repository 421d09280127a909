// SPDX-License-Identifier: MIT
#include "journal/journal_place.h"

#include <cerrno>
#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace journal {

namespace {

std::string HomeDirectory()
{
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/')
        return home;
    if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir != nullptr)
        return entry->pw_dir;
    return {};
}

} // namespace

std::string JournalPath()
{
    std::string state;
    if (const char* xdg = std::getenv("XDG_STATE_HOME"); xdg != nullptr && xdg[0] == '/')
        state = xdg;
    else if (const std::string home = HomeDirectory(); !home.empty())
        state = home + "/.local/state";
    else
        return {};
    return state + "/muxconfig/journal.jsonl";
}

FileStatus NoPlaceStatus()
{
    return {ENOENT,
            "nie ma gdzie prowadzić dziennika: zmienna HOME nie jest ustawiona, użytkownik uid " +
                std::to_string(::getuid()) + " nie ma wpisu w bazie użytkowników, nie ustawiono też XDG_STATE_HOME" +
                " (ustaw XDG_STATE_HOME lub HOME na katalog bezwzględny)",
            "dziennik zmian"};
}

} // namespace journal
