// SPDX-License-Identifier: MIT
// A window that never freezes: the longest stall of the event loop while the
// real window (offscreen) refreshes its list of N simulated multiplexers.
// A precise timer ticks every few milliseconds on the window's thread; the
// gaps between its ticks while the refresh runs show how long the window
// could not repaint or answer. Prints one table.
//
// Runs only inside the private LAN: scripts/bench (or scripts/netlab).
//   window_stall_bench [--devices 255] [--tick 5]
#include "command_line.h"
#include "lan_program.h"
#include "simulated_fleet.h"

#include "app/main_window.h"
#include "app/window_messages.h"
#include "net/socket_layer.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

class MessagesToStderr : public app::WindowMessages {
public:
    void ShowMessage(const std::string& text) override { std::fprintf(stderr, "message: %s\n", text.c_str()); }
    void ShowSocketErrorBox(const QString& text) override
    {
        std::fprintf(stderr, "socket error: %s\n", qPrintable(text));
    }
};

double Percentile(std::vector<double> values, double share)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, std::size_t(share * double(values.size())))];
}

int Measure(int count, int tickMs)
{
    QTemporaryDir directory;
    if (!directory.isValid())
        throw std::runtime_error("no temporary directory");
    bench::LanProgram sim({bench::MuxSimProgram(), "--config", bench::WriteSimulatedFleet(count, directory)},
                          "the simulated devices");
    MessagesToStderr messages;
    app::TForm1 form(messages);
    const auto* refreshButton = form.findChild<QPushButton*>(QStringLiteral("bPobierzIP"));
    const auto* list = form.findChild<QTreeWidget*>(QStringLiteral("lvIP"));
    if (refreshButton == nullptr || list == nullptr)
        throw std::runtime_error("the window has no refresh button or list");

    // The window's first display starts its refresh; it runs while the
    // refresh button is disabled.
    std::vector<double> gaps;
    bool wasRefreshing = false;
    Clock::time_point last = Clock::now(), started{}, ended{};
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(tickMs);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const Clock::time_point now = Clock::now();
        const bool refreshing = !refreshButton->isEnabled();
        if (refreshing && !wasRefreshing)
            started = now;
        if (refreshing || wasRefreshing)
            gaps.push_back(std::chrono::duration<double, std::milli>(now - last).count());
        if (wasRefreshing && !refreshing) {
            ended = now;
            QCoreApplication::quit();
        }
        wasRefreshing = refreshing;
        last = now;
    });
    QTimer::singleShot(count * 2000 + 60000, [] {
        std::fprintf(stderr, "window_stall_bench: the refresh did not end\n");
        QCoreApplication::exit(1);
    });
    ticker.start();
    form.show();
    if (QCoreApplication::exec() != 0)
        return 1;

    const int listed = list->topLevelItemCount();
    std::printf("| Devices | Listed | Refresh (s) | Tick (ms) | Ticks | Median gap (ms) | p99 gap (ms) | Longest gap "
                "(ms) |\n");
    std::printf("|--------:|-------:|------------:|----------:|------:|----------------:|-------------:|------------"
                "-----:|\n");
    std::printf("| %7d | %6d | %11.1f | %9d | %5zu | %15.1f | %12.1f | %17.1f |\n", count, listed,
                std::chrono::duration<double>(ended - started).count(), tickMs, gaps.size(), Percentile(gaps, 0.5),
                Percentile(gaps, 0.99), gaps.empty() ? 0.0 : *std::max_element(gaps.begin(), gaps.end()));
    std::fflush(stdout);
    return listed == count ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("window_stall_bench"));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("The longest event-loop stall while the window refreshes N simulated multiplexers; run inside "
                       "scripts/netlab."));
    parser.addHelpOption();
    const QCommandLineOption devices(QStringLiteral("devices"), QStringLiteral("Devices, 1 to 255 (default 255)."),
                                     QStringLiteral("N"), QStringLiteral("255"));
    const QCommandLineOption tick(QStringLiteral("tick"), QStringLiteral("Timer interval in ms (default 5)."),
                                  QStringLiteral("MS"), QStringLiteral("5"));
    parser.addOptions({devices, tick});
    parser.process(app);
    if (!parser.positionalArguments().isEmpty())
        bench::UsageError(QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().constFirst()));

    net::SocketLayer socketLayer;
    try {
        return Measure(bench::NumberValue(parser, devices, 1, 255), bench::NumberValue(parser, tick, 1, 100));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "window_stall_bench: %s\n", e.what());
        return 1;
    }
}
