// SPDX-License-Identifier: MIT
#include "muxsim_process.h"

#include "byte_text.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::milliseconds kReadyTimeout{15000};
constexpr std::chrono::milliseconds kStopTimeout{10000};
constexpr std::chrono::milliseconds kPollSlice{5};

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::vector<std::string> SplitWords(const std::string& text)
{
    std::istringstream stream(text);
    std::vector<std::string> words;
    for (std::string word; stream >> word;)
        words.push_back(word);
    return words;
}

int ExitCodeOf(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return -1;
}

// Lets the code under test run while a test waits; plain sleep without Qt.
void PassTime()
{
    if (QCoreApplication::instance()) {
        QEventLoop loop;
        QTimer::singleShot(kPollSlice, &loop, &QEventLoop::quit);
        loop.exec();
    } else {
        std::this_thread::sleep_for(kPollSlice);
    }
}

} // namespace

MuxSimProcess::MuxSimProcess(const nlohmann::json& config, std::vector<std::string> extraArgs, std::string execVariable)
    : execVariable_(std::move(execVariable))
{
    const char* base = std::getenv("TMPDIR");
    std::string templ = std::string(base && *base ? base : "/tmp") + "/muxsim-XXXXXX";
    if (!mkdtemp(templ.data()))
        throw std::runtime_error("MuxSimProcess: mkdtemp " + templ + ": " + std::strerror(errno));
    directory_ = templ;
    logPath_ = directory_ + "/log.jsonl";
    readyPath_ = directory_ + "/ready";
    try {
        Start(config, extraArgs);
        WaitUntilReady();
    } catch (...) {
        Stop();
        throw;
    }
}

MuxSimProcess::~MuxSimProcess()
{
    Stop();
    const bool keep = std::getenv("MUXSIM_KEEP_LOGS") || ::testing::Test::HasFailure();
    if (keep) {
        std::fprintf(stderr, "MuxSimProcess: muxsim's config, log and output kept in %s\n", directory_.c_str());
        return;
    }
    std::error_code ignored;
    std::filesystem::remove_all(directory_, ignored);
}

void MuxSimProcess::Start(const nlohmann::json& config, const std::vector<std::string>& extraArgs)
{
    const char* execPrefix = std::getenv(execVariable_.c_str());
    if (!execPrefix || !*execPrefix)
        throw std::runtime_error("MuxSimProcess: " + execVariable_ +
                                 " is not set: this test must run under scripts/netlab "
                                 "(add_test(NAME x COMMAND ${MUX_NETLAB} $<TARGET_FILE:x>))");
    const std::string binary = std::string(MUX_BIN_DIR) + "/muxsim";
    if (access(binary.c_str(), X_OK) != 0)
        throw std::runtime_error("MuxSimProcess: " + binary + " is missing: build the muxsim target");

    const std::string configPath = directory_ + "/config.json";
    std::ofstream(configPath) << config.dump(2) << "\n";

    std::vector<std::string> args = SplitWords(execPrefix);
    for (const std::string& arg : {binary, std::string("--config"), configPath, std::string("--log"), logPath_,
                                   std::string("--ready-file"), readyPath_})
        args.push_back(arg);
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    const std::string outPath = directory_ + "/stdout.txt";
    const std::string errPath = directory_ + "/stderr.txt";
    posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&files, STDERR_FILENO, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);

    // The test process may block or ignore signals (Qt, gtest); muxsim must
    // start with a clean slate so that SIGTERM stops it.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGTERM);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    pid_t pid = -1;
    const int error = posix_spawnp(&pid, argv[0], &files, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&files);
    posix_spawnattr_destroy(&attributes);
    if (error != 0)
        throw std::runtime_error("MuxSimProcess: cannot start " + args[0] + ": " + std::strerror(error));
    pid_ = pid;
}

void MuxSimProcess::WaitUntilReady()
{
    const auto deadline = Clock::now() + kReadyTimeout;
    while (access(readyPath_.c_str(), F_OK) != 0) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            exitCode_ = ExitCodeOf(status);
            throw std::runtime_error("MuxSimProcess: muxsim ended before it was ready (exit code " +
                                     std::to_string(exitCode_) + "): " + StderrText());
        }
        if (Clock::now() > deadline)
            throw std::runtime_error("MuxSimProcess: muxsim was not ready within " +
                                     std::to_string(kReadyTimeout.count()) + " ms: " + StderrText());
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

int MuxSimProcess::Stop()
{
    if (pid_ <= 0)
        return exitCode_;
    kill(pid_, SIGTERM);
    const auto deadline = Clock::now() + kStopTimeout;
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(pid_, &status, WNOHANG);
        if (done == pid_)
            break;
        if (done < 0 && errno != EINTR) {
            ADD_FAILURE() << "MuxSimProcess: waitpid " << pid_ << ": " << std::strerror(errno);
            pid_ = -1;
            exitCode_ = -1;
            return exitCode_;
        }
        if (Clock::now() > deadline) {
            ADD_FAILURE() << "MuxSimProcess: muxsim did not stop within " << kStopTimeout.count()
                          << " ms of SIGTERM; killed";
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    pid_ = -1;
    exitCode_ = ExitCodeOf(status);
    return exitCode_;
}

void MuxSimProcess::ReadNewLines() const
{
    std::ifstream file(logPath_, std::ios::binary);
    if (!file)
        return;
    file.seekg(static_cast<std::streamoff>(logOffset_));
    std::ostringstream fresh;
    fresh << file.rdbuf();
    const std::string text = fresh.str();
    logOffset_ += text.size();
    partialLine_ += text;
    std::size_t start = 0;
    for (std::size_t end; (end = partialLine_.find('\n', start)) != std::string::npos; start = end + 1)
        entries_.push_back(nlohmann::json::parse(partialLine_.begin() + static_cast<std::ptrdiff_t>(start),
                                                 partialLine_.begin() + static_cast<std::ptrdiff_t>(end)));
    partialLine_.erase(0, start);
}

std::vector<MuxSimProcess::Entry> MuxSimProcess::Log() const
{
    ReadNewLines();
    return entries_;
}

std::vector<MuxSimProcess::Entry> MuxSimProcess::Received() const
{
    std::vector<Entry> received;
    for (const Entry& entry : Log()) {
        if (entry.value("event", "") == "received")
            received.push_back(entry);
    }
    return received;
}

std::vector<MuxSimProcess::Entry> MuxSimProcess::ReceivedWithPayload(std::string_view bytes) const
{
    std::vector<Entry> matching;
    for (const Entry& entry : Received()) {
        if (PayloadBytes(entry) == bytes)
            matching.push_back(entry);
    }
    return matching;
}

std::size_t MuxSimProcess::CountReceived(std::string_view bytes) const { return ReceivedWithPayload(bytes).size(); }

std::vector<std::string> MuxSimProcess::ReceivedPayloads() const
{
    std::vector<std::string> payloads;
    for (const Entry& entry : Received())
        payloads.push_back(PayloadBytes(entry));
    return payloads;
}

std::vector<MuxSimProcess::Entry> MuxSimProcess::StateChanges(std::string_view field) const
{
    std::vector<Entry> changes;
    for (const Entry& entry : Log()) {
        if (entry.value("event", "") == "state" && entry.value("field", "") == field)
            changes.push_back(entry);
    }
    return changes;
}

bool MuxSimProcess::WaitForLog(const Match& match, std::size_t count, std::chrono::milliseconds timeout) const
{
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        ReadNewLines();
        std::size_t found = 0;
        for (const Entry& entry : entries_) {
            if (match(entry))
                ++found;
        }
        if (found >= count)
            return true;
        if (Clock::now() > deadline)
            return false;
        PassTime();
    }
}

bool MuxSimProcess::WaitForReceived(const Match& match, std::size_t count, std::chrono::milliseconds timeout) const
{
    return WaitForLog([&](const Entry& entry) { return entry.value("event", "") == "received" && match(entry); }, count,
                      timeout);
}

bool MuxSimProcess::WaitForReceived(std::size_t count, std::chrono::milliseconds timeout) const
{
    return WaitForReceived([](const Entry&) { return true; }, count, timeout);
}

bool MuxSimProcess::WaitForPayload(std::string_view bytes, std::size_t count, std::chrono::milliseconds timeout) const
{
    const std::string wanted(bytes);
    return WaitForReceived([&](const Entry& entry) { return PayloadBytes(entry) == wanted; }, count, timeout);
}

std::string MuxSimProcess::PayloadBytes(const Entry& entry)
{
    return muxsim::FromHex(entry.value("hex", "")).value_or("");
}

std::vector<std::string> MuxSimProcess::ReplyPayloads(const Entry& received)
{
    std::vector<std::string> payloads;
    if (received.contains("replies")) {
        for (const Entry& reply : received["replies"])
            payloads.push_back(PayloadBytes(reply));
    }
    return payloads;
}

std::string MuxSimProcess::BytesAsJsonText(std::string_view bytes) { return muxsim::BytesToUtf8(bytes); }

nlohmann::json MuxSimProcess::Config(std::vector<nlohmann::json> devices) { return {{"devices", std::move(devices)}}; }

nlohmann::json MuxSimProcess::Device(std::string_view ip, std::string_view mac, const nlohmann::json& extra)
{
    nlohmann::json device = {{"ip", std::string(ip)}, {"mac", BytesAsJsonText(mac)}};
    if (extra.is_object())
        device.update(extra);
    return device;
}

std::string MuxSimProcess::StdoutText() const { return ReadWholeFile(directory_ + "/stdout.txt"); }

std::string MuxSimProcess::StderrText() const { return ReadWholeFile(directory_ + "/stderr.txt"); }
