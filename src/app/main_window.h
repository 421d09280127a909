// SPDX-License-Identifier: MIT
#pragma once
#include "app/device_list_adapter.h"
#include "app/window_messages.h"
#include "net/socket/udp_socket.h"
#include "protocol/device_protocol.h"

#include <QMainWindow>
#include <QTimer>
#include <functional>
#include <string>

class QFrame;
class QLabel;
class QPushButton;
class QSpinBox;
class QTreeWidget;

namespace widgets {
class TRIPEdit;
}

namespace app {

// The program's only window: the list of found multiplexers, the address,
// mask and port of the selected one, "Odśwież listę" and "Ustaw". It owns
// the command socket, the reply timer and the device protocol that runs on
// them.
class TForm1 : public QMainWindow {
    Q_OBJECT

public:
    explicit TForm1(WindowMessages& messages, QWidget* parent = nullptr);
    ~TForm1() override;

    net::TUDPSocket& CommandSocket() { return GniazdoTransmisjiRozkazowDoModulu; }
    protocol::DeviceProtocol& Protocol() { return protocol_; }

    // Handlers, named after the components they serve.
    void FormCreate(QObject* sender);
    void bPobierzIPClick(QObject* sender);
    void lvIPClick(QObject* sender);
    void lbIPClick(QObject* sender);
    void FormClose(QObject* sender);
    void GniazdoTransmisjiRozkazowDoModuluError(net::ASocket& sender);

    // True once a fatal socket error has asked the program to end.
    bool EndRequested() const { return endRequested_; }

    // Components, for the program and its tests.
    QFrame* Bevel1;
    QTreeWidget* lvIP;
    QLabel* Label2;
    widgets::TRIPEdit* IP;
    widgets::TRIPEdit* Subnet;
    QSpinBox* iPort;
    QPushButton* bPobierzIP;
    QPushButton* bZmienIP;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void SetTexts();
    void Refresh();
    // Runs a handler at the boundary to the event loop: a socket failure
    // raised inside it has already been shown by the error handler and ends
    // the program; it never escapes into Qt.
    void RunHandler(const std::function<void()>& handler);
    void EndProgram();
    bool Stopped() const;
    // The record shown by the selected row, or nullptr when no row is selected.
    const protocol::NumerIP* SelectedDevice() const;
    void ShowDeviceAddress(widgets::TRIPEdit* edit, const std::string& text);
    void SetOperationControlsEnabled(bool enabled);
    void WaitProcessingMessages(int milliseconds);

    net::TUDPSocket GniazdoTransmisjiRozkazowDoModulu;
    QTimer Timeout;
    WindowMessages& messages_;
    app::DeviceListAdapter listAdapter_;
    // The request state and the device table: one per process, for the whole run.
    protocol::DeviceProtocol protocol_{GniazdoTransmisjiRozkazowDoModulu, Timeout, listAdapter_, messages_};

    bool captionsPending_ = true;
    bool firstDisplayDone_ = false;
    bool refreshing_ = false;
    bool changing_ = false;
    bool closed_ = false;
    bool endRequested_ = false;
};

} // namespace app
