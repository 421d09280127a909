// SPDX-License-Identifier: MIT
// A workstation without a network: the first broadcast fails with
// "network unreachable" and the box advises a permanent address.
#include "running_program.h"

#include <gtest/gtest.h>

#include <sched.h>

namespace {

TEST(MainWindowNoRoute, AnUnreachableNetworkEndsTheProgramWithTheAddressAdvice)
{
    // A fresh network namespace for this thread: no interface, no route, so
    // nothing can leave whatever namespace the test was started in.
    ASSERT_EQ(unshare(CLONE_NEWNET), 0) << "needs root or a user namespace";

    RunningProgram program;
    program.Form.show();
    ASSERT_TRUE(RunLoopUntil([&] { return program.Form.EndRequested(); }, 5000));
    QTest::qWait(300);

    ASSERT_EQ(program.Recorder.SocketErrors.size(), 1u);
    const QString text = program.Recorder.SocketErrors.front();
    EXPECT_TRUE(text.contains("\rNumer błędu: 10051\r")) << text.toStdString();
    EXPECT_TRUE(text.contains("\rOpis błędu:  Send failed: The network is unreachable\r")) << text.toStdString();
    EXPECT_TRUE(text.endsWith("\rSprawdź czy komputer posiada stały adres IP\ri czy lokalna sieć komputerowa jest "
                              "dostępna\r(połączenie lokalne jest włączone)."));
    EXPECT_EQ(program.List()->topLevelItemCount(), 0);
}

} // namespace
