// SPDX-License-Identifier: MIT
// What the list tells the operator in words: what a refresh or a change is
// doing while the list is empty or disabled, and why a row is marked.
#include "simulated_lan_window.h"

#include <QAccessible>
#include <QImage>
#include <gtest/gtest.h>

using namespace app;

namespace {

using Json = nlohmann::json;

// Each time the list is painted, what a screen reader is told about it then,
// from the first non-empty description on.
class ToldWhenPainted : public QObject {
public:
    explicit ToldWhenPainted(QTreeWidget* list) : list_(list) { list->viewport()->installEventFilter(this); }
    bool eventFilter(QObject* /*watched*/, QEvent* event) override
    {
        if (event->type() != QEvent::Paint)
            return false;
        const std::string told =
            QAccessible::queryAccessibleInterface(list_)->text(QAccessible::Description).toStdString();
        if (Told.empty() ? !told.empty() : Told.back() != told)
            Told.push_back(told);
        return false;
    }
    std::vector<std::string> Told;

private:
    QTreeWidget* list_;
};

bool DrawsSomething(QWidget* widget)
{
    const QImage drawn = widget->grab().toImage();
    QImage blank(drawn.size(), drawn.format());
    blank.fill(QColor::fromRgba(drawn.pixel(0, 0)));
    return drawn != blank;
}

TEST(MainWindowProgress, RefreshAndChangeAreNarratedAndMarkedRowsSayWhy)
{
    SimulatedLanWindow window(
        Json{{"devices",
              {MuxSimProcess::Device("192.168.1.70", "MAC-E", {{"flags", "00E"}}),
               MuxSimProcess::Device("192.168.1.60", "MAC-M", {{"faults", {{"replies", {{"GNM", "C"}}}}}}),
               MuxSimProcess::Device("192.168.1.50", "MAC-A"), MuxSimProcess::Device("192.168.1.50", "MAC-B")}}});
    QTreeWidget* list = window.List();
    ToldWhenPainted painted(list);
    bool searchDrawn = false; // the empty list, 1 s into the collection window
    QTimer::singleShot(1000, [&] { searchDrawn = DrawsSomething(list->viewport()); });
    ASSERT_TRUE(window.Show());
    const std::vector<std::string>& toldDescriptions = painted.Told;

    ASSERT_EQ(toldDescriptions.size(), 6u);
    EXPECT_EQ(toldDescriptions[0], "Szukam multiplekserów…");
    for (int k = 1; k <= 4; ++k)
        EXPECT_EQ(toldDescriptions[k].rfind("Odczytuję urządzenie " + std::to_string(k) + " z 4: 192.168.1.", 0), 0u)
            << toldDescriptions[k];
    EXPECT_EQ(toldDescriptions[5], "") << "the placeholder goes when the rows come";
    EXPECT_TRUE(searchDrawn);

    QAccessibleTableInterface* table = QAccessible::queryAccessibleInterface(list)->tableInterface();
    const auto told = [&](int row, QAccessible::Text what) { return table->cellAt(row, 0)->text(what).toStdString(); };
    EXPECT_EQ(told(0, QAccessible::Name), "192.168.1.70, znacznik E");
    EXPECT_EQ(told(1, QAccessible::Name), "192.168.1.60, maska nieodczytana");
    EXPECT_EQ(told(1, QAccessible::Description), "Nie udało się odczytać maski podsieci tego urządzenia.");
    for (int row : {2, 3})
        EXPECT_EQ(told(row, QAccessible::Name), "192.168.1.50, adres współdzielony z innym urządzeniem");
    EXPECT_EQ(list->topLevelItem(1)->toolTip(2).toStdString(), told(1, QAccessible::Description) + "\nInterfejs: mux0")
        << "the reason, then the interface the device answered on";

    // "Ustaw" on the first row: the list names the device while it is changed.
    painted.Told.clear();
    window.SetButton()->click();
    ASSERT_TRUE(window.WaitForRefreshes(2));
    ASSERT_GE(toldDescriptions.size(), 3u);
    EXPECT_EQ(toldDescriptions[0], "Zmieniam ustawienia urządzenia 192.168.1.70…");
    EXPECT_EQ(toldDescriptions[1], "");
    EXPECT_EQ(toldDescriptions[2], "Szukam multiplekserów…");
}

} // namespace
