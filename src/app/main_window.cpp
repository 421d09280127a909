// SPDX-License-Identifier: MIT
#include "app/main_window.h"

#include "app/device_list_widget.h"
#include "app/focus_keeping.h"
#include "app/port_field.h"
#include "app/window_accessibility.h"
#include "app/window_messages.h"
#include "checks/new_settings_check.h"
#include "net/errors/socket_errors.h"
#include "net/socket_layer.h"
#include "protocol/event_loop_wait.h"
#include "protocol/socket_error_text.h"
#include "widgets/ripedit.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTreeWidget>

#include <algorithm>
#include <arpa/inet.h>
#include <cstdio>

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

bool IsMouseButtonEvent(QEvent::Type type)
{
    return type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
        type == QEvent::MouseButtonDblClick;
}

QString Latin1(const std::string& bytes) { return QString::fromLatin1(bytes.data(), qsizetype(bytes.size())); }

// The dotted form a write of `text` to an address control must show.
QString ShownAddress(const std::string& text)
{
    if (text.empty())
        return QStringLiteral("0.0.0.0"); // as the control shows an empty text
    in_addr address{};
    address.s_addr = text.find('\0') == std::string::npos ? inet_addr(text.c_str()) : INADDR_NONE;
    return QString::fromLatin1(inet_ntoa(address));
}

} // namespace

TForm1::TForm1(WindowMessages& messages, QWidget* parent)
    : QMainWindow(parent,
                  Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                      Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      messages_(messages)
{
    BuildControls();

    GniazdoTransmisjiRozkazowDoModulu.OnError = [this](net::ASocket& sender) {
        GniazdoTransmisjiRozkazowDoModuluError(sender);
    };
    // A failure raised inside a socket notification (after the error handler
    // has shown it) ends the program instead of escaping into Qt.
    net::SocketLayer::instance().OnUnhandledException = [this](const std::exception&) { EndProgram(); };

    messages_.SetOwner(this);
    FormCreate(this); // window created: sets the texts
    SetAccessibleNames(*this);
}

TForm1::~TForm1()
{
    if (net::SocketLayer::exists())
        net::SocketLayer::instance().OnUnhandledException = nullptr;
    GniazdoTransmisjiRozkazowDoModulu.OnError = nullptr;
}

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
    listAdapter_.SetOperationCheck([this] { return refreshing_ || changing_; });
    connect(lvIP, &QTreeWidget::itemSelectionChanged, this, [this] {
        // The keyboard moves the selection too: the fields follow it, so
        // "Ustaw" always acts on what they show.
        if (!refreshing_)
            RunHandler([this] { lvIPClick(lvIP); });
    });

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
    connect(bPobierzIP, &QPushButton::clicked, this, [this] { RunHandler([this] { bPobierzIPClick(bPobierzIP); }); });

    bZmienIP = new QPushButton(client);
    bZmienIP->setObjectName(QStringLiteral("bZmienIP"));
    bZmienIP->setGeometry(189, 240, 97, 25);
    connect(bZmienIP, &QPushButton::clicked, this, [this] { RunHandler([this] { lbIPClick(bZmienIP); }); });

    setTabOrder(bPobierzIP, lvIP);
    setTabOrder(lvIP, bZmienIP);
    setTabOrder(bZmienIP, IP->section(1));
    for (int n = 1; n < TRIPEdit::SectionCount; ++n)
        setTabOrder(IP->section(n), IP->section(n + 1));
    setTabOrder(IP->section(TRIPEdit::SectionCount), Subnet->section(1));
    for (int n = 1; n < TRIPEdit::SectionCount; ++n)
        setTabOrder(Subnet->section(n), Subnet->section(n + 1));
    setTabOrder(Subnet->section(TRIPEdit::SectionCount), iPort);

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

void TForm1::FormCreate(QObject* /*sender*/)
{
    if (captionsPending_) {
        SetTexts();
        captionsPending_ = false;
        return;
    }
    Refresh();
}

void TForm1::Refresh()
{
    if (Stopped())
        return;
    refreshing_ = true;
    struct RefreshFlag {
        bool& flag;
        ~RefreshFlag() { flag = false; }
    } refreshFlag{refreshing_};

    ReleaseFocusBeforeDisabling({bPobierzIP, bZmienIP, lvIP});
    bPobierzIP->setEnabled(false);
    bZmienIP->setEnabled(false);
    setCursor(Qt::WaitCursor);
    lvIP->setEnabled(false);
    protocol_.StartDiscovery();
    if (Stopped())
        return;
    protocol_.ReadAllDevices();
    if (Stopped())
        return;
    setCursor(Qt::ArrowCursor);
    protocol_.ListDevices();
    lvIP->setEnabled(true);
    lvIP->setFocus();
    if (lvIP->topLevelItemCount() > 0) {
        QTreeWidgetItem* first = lvIP->topLevelItem(0);
        lvIP->setCurrentItem(first);
        first->setSelected(true);
    }
    lvIP->viewport()->repaint();
    refreshing_ = false;
    lvIPClick(lvIP);
    bPobierzIP->setEnabled(true);
    bZmienIP->setEnabled(true);
}

void TForm1::bPobierzIPClick(QObject* /*sender*/) { FormCreate(bPobierzIP); }

const protocol::NumerIP* TForm1::SelectedDevice() const
{
    const QList<QTreeWidgetItem*> selected = lvIP->selectedItems();
    if (selected.isEmpty())
        return nullptr;
    const int slot = protocol_.SlotOfRow(lvIP->indexOfTopLevelItem(selected.first()));
    return slot == 0 ? nullptr : &protocol_.Devices()[slot];
}

void TForm1::ShowDeviceAddress(TRIPEdit* edit, const std::string& text)
{
    const FocusStaysOut focusStaysWhereItIs(edit);
    edit->setIPString(Latin1(text));
    // The control skips a write of the address it remembers, even when the
    // operator has since changed a section; the field must show the device.
    const QString shown = ShownAddress(text);
    if (edit->IPString() != shown) {
        const QStringList parts = shown.split(QLatin1Char('.'));
        for (int n = 1; n <= TRIPEdit::SectionCount; ++n)
            edit->setIPSec(n, parts.at(n - 1).toInt());
    }
}

void TForm1::lvIPClick(QObject* /*sender*/)
{
    if (lvIP->topLevelItemCount() == 0) {
        IP->hide();
        Subnet->hide();
        iPort->hide();
        Label2->hide();
        bZmienIP->hide();
        return;
    }
    IP->show();
    Subnet->show();
    iPort->show();
    Label2->show();
    bZmienIP->show();
    const protocol::NumerIP* device = SelectedDevice();
    if (device == nullptr)
        return; // no row selected: the fields keep what they show
    ShowDeviceAddress(IP, device->Address);
    ShowDeviceAddress(Subnet, device->Mask);
    iPort->setEnabled(true);
    iPort->setValue(PortFieldValue(device->Port));
    iPort->setEnabled(false);
    lvIP->setFocus();
}

void TForm1::SetOperationControlsEnabled(bool enabled)
{
    bPobierzIP->setEnabled(enabled);
    bZmienIP->setEnabled(enabled);
    lvIP->setEnabled(enabled);
}

void TForm1::lbIPClick(QObject* /*sender*/)
{
    if (changing_ || refreshing_ || Stopped())
        return;
    const protocol::NumerIP* device = SelectedDevice();
    if (device == nullptr)
        return; // no row selected: nothing to change
    const std::string newAddress = IP->IPString().toStdString();
    const std::string newMask = Subnet->IPString().toStdString();
    if (const auto refusal = checks::RefusalOfNewSettings(newAddress, newMask)) {
        messages_.ShowMessage(*refusal);
        return;
    }
    const std::string currentAddress = device->Address;
    const std::string mac = device->Mac;

    // No refresh and no second change may start while this one runs.
    changing_ = true;
    ReleaseFocusBeforeDisabling({bPobierzIP, bZmienIP, lvIP});
    SetOperationControlsEnabled(false);
    setCursor(Qt::WaitCursor); // the refresh after it sets the arrow back
    const int result = protocol_.ChangeDevice(currentAddress, newAddress, mac, newMask);
    if (result == 0 && !Stopped())
        WaitProcessingMessages(protocol::kPauseAfterChangeMs);
    changing_ = false;
    if (Stopped())
        return;
    FormCreate(bZmienIP);
}

void TForm1::WaitProcessingMessages(int milliseconds)
{
    protocol::ProcessEventsUntil(QDeadlineTimer(milliseconds, Qt::PreciseTimer), [this] { return Stopped(); });
}

void TForm1::FormClose(QObject* /*sender*/)
{
    if (closed_)
        return;
    closed_ = true;
    if (!endRequested_)
        protocol_.SendClosingCommands();
    GniazdoTransmisjiRozkazowDoModulu.Terminate();
    // An operation interrupted by the close stops at its next wait and sends
    // nothing after the closing commands.
    Timeout.stop();
    protocol_.Abandon();
}

void TForm1::GniazdoTransmisjiRozkazowDoModuluError(net::ASocket& sender)
{
    if (endRequested_)
        return; // the program is already ending: one box is enough
    // An oversized datagram that arrived is no failure of this program (any
    // host can send one): the protocol drops it and the program goes on.
    if (sender.ErrorCode() == net::WSAEMSGSIZE && sender.ErrorMessage() == net::PacketTruncatedMessage)
        return;
    // Stop everything first: while the box is up nothing more is sent,
    // dispatched or shown.
    endRequested_ = true;
    Timeout.stop();
    protocol_.Abandon();
    const int32_t code = sender.ErrorCode();
    messages_.ShowSocketErrorBox(SocketErrorBoxText(code, QString::fromStdString(sender.ErrorDescription())));
    EndProgram();
}

void TForm1::EndProgram()
{
    endRequested_ = true;
    Timeout.stop();
    protocol_.Abandon();
    // exit(), not quit(): quit() would close the window and run the closing
    // handler, which must not send its commands after a fatal error.
    QCoreApplication::exit(1);
}

bool TForm1::Stopped() const { return endRequested_ || closed_ || protocol_.Abandoned(); }

void TForm1::RunHandler(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const std::exception& error) {
        // Socket failures were shown by the error handler before they were
        // raised; anything else is reported here. Either way the program ends.
        if (!endRequested_)
            std::fprintf(stderr, "muxconfig: %s\n", error.what());
        EndProgram();
    }
}

void TForm1::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (firstDisplayDone_)
        return;
    firstDisplayDone_ = true;
    // The first display activates the window, and that runs the first refresh
    // once the window is on screen. Later activations (another program, a
    // closed message box) refresh nothing.
    QMetaObject::invokeMethod(
        this, [this] { RunHandler([this] { FormCreate(this); }); }, Qt::QueuedConnection);
}

void TForm1::closeEvent(QCloseEvent* event)
{
    RunHandler([this] { FormClose(this); });
    event->accept();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lvIP->viewport() && IsMouseButtonEvent(event->type())) {
        // Only the primary button selects; the others change nothing.
        if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
            return true;
        // A disabled list (an operation runs) changes nothing either.
        if (event->type() == QEvent::MouseButtonRelease && !refreshing_ && lvIP->isEnabled())
            RunHandler([this] { lvIPClick(lvIP); });
        return false;
    }
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        auto* widget = qobject_cast<QWidget*>(watched);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && widget != nullptr &&
            widget->window() == this && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            auto* button = qobject_cast<QPushButton*>(widget);
            if (button == nullptr)
                button = bPobierzIP;
            if (button->isEnabled() && button->isVisible())
                button->click();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace app
