// SPDX-License-Identifier: MIT
// The main of every test binary: a real Qt application (offscreen unless a
// display is asked for) and the socket layer, so tests run on the real
// event loop.
#include "net/socket_layer.h"

#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    net::SocketLayer socketLayer;
    return RUN_ALL_TESTS();
}
