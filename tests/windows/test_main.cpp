// SPDX-License-Identifier: MIT
// The main of the cross-built tests under wine: Qt's platform is chosen on
// the command line ("-platform offscreen"), since wine does not pass the
// Linux environment's QT_QPA_PLATFORM on to Qt.
#include "net/socket_layer.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    net::SocketLayer socketLayer;
    return RUN_ALL_TESTS();
}
