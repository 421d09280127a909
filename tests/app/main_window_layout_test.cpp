// SPDX-License-Identifier: MIT
// The window as the operator first sees it, before any refresh: geometry,
// texts, tab order and control states.
#include "running_program.h"

#include <QApplication>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QSpinBox>
#include <gtest/gtest.h>

using namespace app;

namespace {

TEST(MainWindowLayout, ControlsStandWhereTheFormPutsThem)
{
    RunningProgram program;
    TForm1& form = program.Form;
    EXPECT_EQ(program.Frame()->geometry(), QRect(0, 8, 353, 273));
    EXPECT_EQ(program.List()->geometry(), QRect(19, 20, 316, 161));
    EXPECT_EQ(program.Headings()->pos(), QPoint(8, 192));
    EXPECT_GE(program.Headings()->width(), 316);
    EXPECT_EQ(program.Headings()->height(), 13);
    EXPECT_EQ(program.AddressEdit()->geometry(), QRect(8, 208, 120, 20));
    EXPECT_EQ(program.MaskEdit()->geometry(), QRect(136, 208, 120, 20));
    EXPECT_EQ(program.PortBox()->geometry(), QRect(264, 208, 81, 22));
    EXPECT_EQ(program.RefreshButton()->geometry(), QRect(77, 240, 97, 25));
    EXPECT_EQ(program.SetButton()->geometry(), QRect(189, 240, 97, 25));
    // The window encloses its controls and cannot be maximised.
    EXPECT_EQ(form.centralWidget()->size(), QSize(353, 281));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(form.windowFlags() & Qt::WindowMinimizeButtonHint);
}

TEST(MainWindowLayout, TextsAreSetAtCreation)
{
    RunningProgram program;
    TForm1& form = program.Form;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Konfiguracja multipleksera LAN (v1.10)"));
    EXPECT_EQ(program.RefreshButton()->text(), QStringLiteral("Odśwież listę"));
    EXPECT_EQ(program.SetButton()->text(), QStringLiteral("Ustaw"));
    EXPECT_EQ(program.Headings()->text(),
              QString(15, ' ') + "AdresIP" + QString(21, ' ') + "Maska podsieci" + QString(18, ' ') + "Port TCP");
    QTreeWidgetItem* header = program.List()->headerItem();
    ASSERT_EQ(program.List()->columnCount(), 3);
    EXPECT_EQ(header->text(0), QStringLiteral("IP multipleksera"));
    EXPECT_EQ(header->text(1), QStringLiteral("Maska podsieci"));
    EXPECT_EQ(header->text(2), QStringLiteral("Adres MAC"));
    EXPECT_EQ(program.List()->header()->sectionSize(2), 120);
}

TEST(MainWindowLayout, StartStateBeforeTheFirstRefresh)
{
    RunningProgram program;
    TForm1& form = program.Form;
    EXPECT_EQ(program.AddressEdit()->IPString(), QStringLiteral("0.0.0.0"));
    EXPECT_EQ(program.MaskEdit()->IPString(), QStringLiteral("0.0.0.0"));
    EXPECT_EQ(program.PortBox()->value(), 1001);
    EXPECT_EQ(program.PortBox()->minimum(), 1001);
    EXPECT_EQ(program.PortBox()->maximum(), 65534);
    EXPECT_FALSE(program.PortBox()->isEnabled());
    EXPECT_TRUE(program.RefreshButton()->isDefault());
    // The list: report style, whole rows, one at a time, no editing.
    EXPECT_EQ(program.List()->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(program.List()->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(program.List()->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_FALSE(program.List()->rootIsDecorated());
    // Nothing is sent until the window is first shown.
    EXPECT_EQ(form.CommandSocket().SocketHandle(), -1);
}

TEST(MainWindowLayout, TabOrderRunsFromTheRefreshButtonToThePort)
{
    RunningProgram program;
    const std::vector<QWidget*> expected = {program.RefreshButton(),
                                            program.List(),
                                            program.SetButton(),
                                            program.AddressEdit()->Section(1),
                                            program.AddressEdit()->Section(2),
                                            program.AddressEdit()->Section(3),
                                            program.AddressEdit()->Section(4),
                                            program.MaskEdit()->Section(1),
                                            program.MaskEdit()->Section(2),
                                            program.MaskEdit()->Section(3),
                                            program.MaskEdit()->Section(4),
                                            program.PortBox()};
    for (std::size_t n = 0; n + 1 < expected.size(); ++n) {
        QWidget* next = expected[n]->nextInFocusChain();
        // Skip the focus proxies and inner widgets the toolkit puts between them.
        while (next != expected[n + 1] && next != expected[0] &&
               std::find(expected.begin(), expected.end(), next) == expected.end())
            next = next->nextInFocusChain();
        EXPECT_EQ(next, expected[n + 1]) << "after " << n;
    }
}

// The window has no protocol here: it sends nothing.
TEST(MainWindowLayout, MessageBoxesAreOwnedByAndCentredOnTheWindow)
{
    DialogWindowMessages messages;
    TForm1 form(messages);
    form.Session().Abandon(); // no first refresh: this test has no LAN
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    for (int box = 0; box < 2; ++box) {
        QWidget* owner = nullptr;
        QPoint offset(99, 99);
        QTimer::singleShot(300, [&] {
            QWidget* shown = QApplication::activeModalWidget();
            owner = shown->parentWidget();
            offset = shown->frameGeometry().center() - form.frameGeometry().center();
            shown->close();
        });
        box == 0 ? messages.ShowMessage("x") : messages.ShowSocketErrorBox(QStringLiteral("x"));
        EXPECT_EQ(owner, &form);
        EXPECT_LE(offset.manhattanLength(), 6);
    }
}

} // namespace
