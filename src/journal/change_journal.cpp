// SPDX-License-Identifier: MIT
#include "journal/change_journal.h"

#include "journal/durable_file.h"
#include "journal/journal_place.h"
#include "journal/own_directory.h"
#include "journal/workstation.h"

#include <atomic>
#include <cerrno>
#include <ctime>
#include <exception>
#include <unistd.h>

namespace journal {

namespace {

// Change numbers are unique in the run, however many journals it opens.
std::atomic<int> lastChange{0};

} // namespace

ChangeJournal::ChangeJournal(std::string path) : path_(std::move(path)) {}

ChangeJournal::ChangeJournal() : ChangeJournal(JournalPath()) {}

ChangeJournal::Begun ChangeJournal::Begin(const ChangeStart& start)
{
    Begun begun{RunId() + '/' + std::to_string(++lastChange), {}};
    try {
        begun.Status = Append(RecordLine(
            BeginRecord{begun.Change, RunId(), LocalTimeText(std::time(nullptr)), UserName(), HostName(), start}));
    } catch (const std::exception&) {
        begun.Status = FailureOf(ENOMEM, path_);
    }
    return begun;
}

FileStatus ChangeJournal::End(const std::string& change, change::Outcome outcome, const std::string& detail)
{
    try {
        return Append(
            RecordLine(EndRecord{change, LocalTimeText(std::time(nullptr)), change::MachineName(outcome), detail}));
    } catch (const std::exception&) {
        return FailureOf(ENOMEM, path_);
    }
}

FileStatus ChangeJournal::Check() const
{
    if (path_.empty())
        return NoPlaceStatus();
    const std::string directory = DirectoryOf(path_);
    if (FileStatus made = MakeDirectories(directory); !made.Ok())
        return made;
    int fd = -1;
    FileStatus own = OpenOwnDirectory(directory, fd);
    if (fd >= 0)
        ::close(fd);
    return own;
}

FileStatus ChangeJournal::Append(const std::string& line)
{
    if (path_.empty())
        return NoPlaceStatus();
    return AppendLine(path_, line);
}

} // namespace journal
