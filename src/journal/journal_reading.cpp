// SPDX-License-Identifier: MIT
#include "journal/journal_reading.h"

#include <cerrno>
#include <cstdio>
#include <map>
#include <memory>

namespace journal {

namespace {

// Longer lines are no record of ours; they are skipped without being kept.
constexpr std::size_t kLongestLine = 64 * 1024;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

class Pairing {
public:
    explicit Pairing(JournalContents& contents) : contents_(contents) {}

    void Add(const std::string& line)
    {
        const auto record = ParseRecordLine(line);
        if (!record) {
            ++contents_.SkippedLines;
        } else if (const auto* begin = std::get_if<BeginRecord>(&*record)) {
            if (!indexOf_.emplace(begin->Change, contents_.Changes.size()).second) {
                ++contents_.SkippedLines; // the same change begun twice: not ours
                return;
            }
            contents_.Changes.push_back({*begin, std::nullopt});
        } else {
            const auto& end = std::get<EndRecord>(*record);
            const auto found = indexOf_.find(end.Change);
            if (found == indexOf_.end())
                ++contents_.SkippedLines;
            else
                contents_.Changes[found->second].End = end;
        }
    }

private:
    JournalContents& contents_;
    std::map<std::string, std::size_t> indexOf_;
};

} // namespace

JournalContents ReadJournal(const std::string& path)
{
    JournalContents contents;
    const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rbe"));
    if (!file) {
        if (errno != ENOENT)
            contents.Status = FailureOf(errno, path);
        return contents;
    }
    Pairing pairing(contents);
    std::string line;
    bool tooLong = false;
    for (int c = std::getc(file.get()); c != EOF; c = std::getc(file.get())) {
        if (c != '\n') {
            tooLong = tooLong || line.size() >= kLongestLine;
            if (!tooLong)
                line += char(c);
            continue;
        }
        if (tooLong)
            ++contents.SkippedLines;
        else if (!line.empty())
            pairing.Add(line);
        line.clear();
        tooLong = false;
    }
    if (std::ferror(file.get()))
        contents.Status = FailureOf(errno, path);
    else if (tooLong)
        ++contents.SkippedLines;
    else if (!line.empty())
        pairing.Add(line); // without its line break: torn by a crash mid-write, unless complete
    return contents;
}

} // namespace journal
