// SPDX-License-Identifier: MIT
// The window's controls: where they sit, their fonts, sizes and tab order,
// and their texts. What they do lives in main_window.cpp.
#include "app/device_list_widget.h"
#include "app/main_window.h"
#include "app/port_field.h"
#include "widgets/ripedit.h"

#include <QFrame>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTreeWidget>

#include <algorithm>

namespace app {

using widgets::TRIPEdit;

namespace {

const QString kTitle = QStringLiteral("Konfiguracja multipleksera LAN (v1.10)");
const QString kHeadings =
    QStringLiteral("               AdresIP                     Maska podsieci                  Port TCP");

// MS Sans Serif is not on Linux; Liberation Sans (metric-compatible with
// Arial) is the closest face Debian ships. Sizes are in pixels, as 8 and 9
// points are at 96 dots per inch, so the layout holds whatever the screen.
QFont WindowFont(int pixelSize)
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    return font;
}

} // namespace

void TForm1::BuildControls()
{
    auto* client = new QWidget(this);
    client->setFixedSize(353, 281); // the frame's right and bottom edges
    setCentralWidget(client);
    setFont(WindowFont(11));

    Bevel1 = new QFrame(client);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameShape(QFrame::Box);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(0, 8, 353, 273);

    auto* list = new DeviceListWidget(client);
    lvIP = list;
    lvIP->setObjectName(QStringLiteral("lvIP"));
    lvIP->setGeometry(19, 20, 316, 161);
    lvIP->setColumnCount(3);
    lvIP->setRootIsDecorated(false);
    lvIP->setUniformRowHeights(true);
    lvIP->setSelectionMode(QAbstractItemView::SingleSelection);
    lvIP->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvIP->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvIP->setIconSize(QSize(16, 16));
    lvIP->setAllColumnsShowFocus(true);
    lvIP->header()->setStretchLastSection(false);
    lvIP->header()->setSectionsMovable(false);
    lvIP->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    lvIP->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    lvIP->header()->setSectionResizeMode(2, QHeaderView::Fixed);
    lvIP->header()->resizeSection(2, 120);
    lvIP->viewport()->installEventFilter(this);
    listAdapter_.SetWidget(list);

    Label2 = new QLabel(kHeadings, client);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setTextFormat(Qt::PlainText);
    // The label sizes itself to its text, as labels do; the substitute face
    // runs a little wider than the original one.
    Label2->setGeometry(8, 192, std::max(316, Label2->sizeHint().width()), 13);

    IP = new TRIPEdit(client);
    IP->setObjectName(QStringLiteral("IP"));
    IP->move(8, 208);
    IP->setIPString(QStringLiteral("0.0.0.0"));

    Subnet = new TRIPEdit(client);
    Subnet->setObjectName(QStringLiteral("Subnet"));
    Subnet->move(136, 208);
    Subnet->setIPString(QStringLiteral("0.0.0.0"));

    iPort = new QSpinBox(client);
    iPort->setObjectName(QStringLiteral("iPort"));
    iPort->setGeometry(264, 208, 81, 22);
    iPort->setRange(kPortFieldMinimum, kPortFieldMaximum);
    iPort->setValue(kPortFieldMinimum);
    iPort->setEnabled(false);

    bPobierzIP = new QPushButton(client);
    bPobierzIP->setObjectName(QStringLiteral("bPobierzIP"));
    bPobierzIP->setGeometry(77, 240, 97, 25);
    bPobierzIP->setFont(WindowFont(12));
    bPobierzIP->setDefault(true);

    bZmienIP = new QPushButton(client);
    bZmienIP->setObjectName(QStringLiteral("bZmienIP"));
    bZmienIP->setGeometry(189, 240, 97, 25);

    setTabOrder(bPobierzIP, lvIP);
    setTabOrder(lvIP, bZmienIP);
    setTabOrder(bZmienIP, IP->Section(1));
    for (int n = 1; n < TRIPEdit::kSectionCount; ++n)
        setTabOrder(IP->Section(n), IP->Section(n + 1));
    setTabOrder(IP->Section(TRIPEdit::kSectionCount), Subnet->Section(1));
    for (int n = 1; n < TRIPEdit::kSectionCount; ++n)
        setTabOrder(Subnet->Section(n), Subnet->Section(n + 1));
    setTabOrder(Subnet->Section(TRIPEdit::kSectionCount), iPort);

    // Enter presses the default button wherever the focus is in this
    // window, as in a dialog.
    for (QWidget* widget : client->findChildren<QWidget*>())
        widget->installEventFilter(this);

    setFixedSize(client->size());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TForm1::SetTexts()
{
    setWindowTitle(kTitle);
    bPobierzIP->setText(QStringLiteral("Odśwież listę"));
    bZmienIP->setText(QStringLiteral("Ustaw"));
    lvIP->setHeaderLabels(
        {QStringLiteral("IP multipleksera"), QStringLiteral("Maska podsieci"), QStringLiteral("Adres MAC")});
}

} // namespace app
