// SPDX-License-Identifier: MIT
// The journal of every address change, from the window and the command
// line: an append-only file of JSON lines (journal/journal_place.h), each
// record on the disk (fsync) before the call returns.
//
//   journal::ChangeJournal journal;
//   const auto begun = journal.Begin({interfaceName, mac, oldAddress, oldMask, newAddress, newMask});
//   if (!begun.Status.Ok()) warn(journal::WarningText(begun.Status));   // and go on with the change
//   ... the change's datagrams ...
//   journal.End(begun.Change, change::Outcome::Verified, "");
//
// A journal that cannot be written never stops a change: Begin and End
// report the failure and never throw. A record that could not be written
// whole leaves the file as it was (journal/durable_file.h: AppendLine), and
// a journal directory others can reach is never written into.
#pragma once
#include "change/outcome.h"
#include "journal/file_status.h"
#include "journal/journal_records.h"

#include <string>

namespace journal {

class ChangeJournal {
public:
    explicit ChangeJournal(std::string path);
    ChangeJournal(); // at JournalPath()

    struct Begun {
        std::string Change; // for End, also when the record could not be written
        FileStatus Status;
    };
    // Call before the change's first datagram.
    Begun Begin(const ChangeStart& start);
    // Recorded by its machine name (change::MachineName); `detail`: why, for
    // the operator.
    FileStatus End(const std::string& change, change::Outcome outcome, const std::string& detail);

    const std::string& Path() const { return path_; }
    // Whether records could be written now: the directory made and the
    // user's own (nothing is written); for a run that insists on a journal.
    FileStatus Check() const;

private:
    FileStatus Append(const std::string& line);

    std::string path_;
};

} // namespace journal
