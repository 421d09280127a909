// SPDX-License-Identifier: MIT
#include "journal/durable_file.h"

#include "journal/own_directory.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace journal {

namespace {

std::string NameOf(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

// Closes the descriptor on every way out.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }
    // close(2) can report a write-back failure: it counts.
    int Close()
    {
        const int result = ::close(fd_);
        fd_ = -1;
        return result;
    }

private:
    int fd_;
};

bool WriteAll(int fd, const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t written = ::write(fd, text.data() + done, text.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written == 0)
            errno = EIO;
        if (written <= 0)
            return false;
        done += std::size_t(written);
    }
    return true;
}

// Opens the file `name` in the directory `directory` for appending, creating
// it (mode 0600) when it is missing. A symbolic link in its place is never
// followed (ELOOP): the records would land in whatever it points to.
int OpenForAppending(int directory, const std::string& name, bool& created)
{
    constexpr int kFlags = O_RDWR | O_APPEND | O_NOFOLLOW | O_CLOEXEC;
    const int fd = ::openat(directory, name.c_str(), kFlags | O_CREAT | O_EXCL, 0600);
    created = fd >= 0;
    if (fd >= 0 || errno != EEXIST)
        return fd;
    return ::openat(directory, name.c_str(), kFlags);
}

int LockExclusively(int fd)
{
    int result = 0;
    while ((result = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
    }
    return result;
}

// Writes `text` at the end of `fd` (`length` bytes long) and fsyncs it. When
// either fails, the file is cut back to `length`: a record that did not
// reach the disk whole leaves no torn line behind.
FileStatus AppendDurably(int fd, off_t length, const std::string& text, const std::string& path)
{
    if (WriteAll(fd, text) && ::fsync(fd) == 0)
        return {};
    FileStatus failed = FailureOf(errno, path);
    if (::ftruncate(fd, length) != 0 || ::fsync(fd) != 0)
        failed.Text += "; nie cofnięto niepełnego zapisu: " + std::system_category().message(errno);
    return failed;
}

FileStatus SyncDirectory(const std::string& directory)
{
    Descriptor fd(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    // Some file systems cannot sync a directory (EINVAL): the file itself is on the disk.
    if (fd.Get() < 0 || (::fsync(fd.Get()) != 0 && errno != EINVAL))
        return FailureOf(errno, directory);
    return {};
}

// Writes, fsyncs and closes `fd`; the status names `path`.
FileStatus Finish(Descriptor& fd, const std::string& text, const std::string& path)
{
    if (!WriteAll(fd.Get(), text) || ::fsync(fd.Get()) != 0 || fd.Close() != 0)
        return FailureOf(errno, path);
    return {};
}

} // namespace

FileStatus MakeDirectories(const std::string& directory)
{
    for (std::size_t at = 1; at <= directory.size(); ++at) {
        if (at != directory.size() && directory[at] != '/')
            continue;
        const std::string prefix = directory.substr(0, at);
        if (::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST)
            return FailureOf(errno, prefix);
    }
    return {};
}

FileStatus AppendLine(const std::string& path, const std::string& line)
{
    const std::string directory = DirectoryOf(path);
    if (FileStatus made = MakeDirectories(directory); !made.Ok())
        return made;
    int directoryFd = -1;
    if (FileStatus own = OpenOwnDirectory(directory, directoryFd); !own.Ok())
        return own;
    Descriptor folder(directoryFd);
    bool created = false;
    Descriptor fd(OpenForAppending(folder.Get(), NameOf(path), created));
    // Another run appending at the same time must not have its record cut
    // away by this one's rollback.
    if (fd.Get() < 0 || LockExclusively(fd.Get()) != 0)
        return FailureOf(errno, path);
    struct stat file {};
    if (::fstat(fd.Get(), &file) != 0)
        return FailureOf(errno, path);
    if (!S_ISREG(file.st_mode))
        return {EINVAL, "to nie jest zwykły plik", path};
    std::string text = line + '\n';
    char last = '\n';
    if (file.st_size > 0 && ::pread(fd.Get(), &last, 1, file.st_size - 1) != 1)
        return FailureOf(errno, path);
    if (last != '\n')
        text.insert(text.begin(), '\n');
    if (FileStatus written = AppendDurably(fd.Get(), file.st_size, text, path); !written.Ok())
        return written;
    // The record is on the disk; a failing close still says something went wrong.
    if (fd.Close() != 0)
        return FailureOf(errno, path);
    // A new file's name reaches the disk only with its directory; some file
    // systems cannot sync a directory (EINVAL).
    if (created && ::fsync(folder.Get()) != 0 && errno != EINVAL)
        return FailureOf(errno, directory);
    return {};
}

FileStatus WriteWholeFile(const std::string& path, const std::string& content)
{
    struct stat existing {};
    const bool exists = ::stat(path.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) {
        Descriptor fd(::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC));
        if (fd.Get() < 0 || !WriteAll(fd.Get(), content) || fd.Close() != 0)
            return FailureOf(errno, path);
        return {};
    }
    if (!exists) {
        Descriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (fd.Get() < 0)
            return FailureOf(errno, path);
        // A plan that did not reach the disk whole (a full disk) leaves no file behind.
        if (FileStatus written = Finish(fd, content, path); !written.Ok()) {
            ::unlink(path.c_str());
            return written;
        }
        return SyncDirectory(DirectoryOf(path));
    }
    std::string temporary = path + ".XXXXXX";
    Descriptor fd(::mkstemp(temporary.data()));
    if (fd.Get() < 0)
        return FailureOf(errno, temporary);
    FileStatus written = ::fchmod(fd.Get(), existing.st_mode & 07777) == 0 ? Finish(fd, content, temporary)
                                                                           : FailureOf(errno, temporary);
    if (written.Ok() && ::rename(temporary.c_str(), path.c_str()) != 0)
        written = FailureOf(errno, path);
    if (!written.Ok()) {
        ::unlink(temporary.c_str());
        return written;
    }
    return SyncDirectory(DirectoryOf(path));
}

} // namespace journal
