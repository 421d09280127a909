// SPDX-License-Identifier: MIT
#include "fuzz_process.h"

#include "fuzz_check.h"

#include "net/socket_layer.h"

#include <QApplication>
#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <string>

std::string Escaped(const std::string& bytes, std::size_t limit)
{
    std::string out;
    for (std::size_t i = 0; i < bytes.size() && i < limit; ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    if (bytes.size() > limit)
        out += "... (" + std::to_string(bytes.size()) + " bytes)";
    return out;
}

namespace fuzz {

void StartQtApplication(bool widgets)
{
    static int argc = 1;
    static char name[] = "muxconfig-fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = nullptr;
    if (app)
        return;
    // Both live until the process ends and are never destroyed: libFuzzer
    // leaves through exit(), when Qt's own globals may already be gone.
    if (widgets) {
        if (!std::getenv("QT_QPA_PLATFORM"))
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
        app = new QApplication(argc, argv);
    } else {
        app = new QCoreApplication(argc, argv);
    }
    new net::SocketLayer;
}

} // namespace fuzz
