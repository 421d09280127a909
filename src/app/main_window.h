#pragma once
#include "net/udp_socket.h"
#include "protocol/device_list_view.h"

#include <QIcon>
#include <QMainWindow>
#include <QTimer>
#include <functional>
#include <string>

class QFrame;
class QLabel;
class QPushButton;
class QSpinBox;
class QTreeWidget;
class TRIPEdit;
class WindowMessages;

namespace protocol {
class DeviceProtocol;
struct NumerIP;
}

// The program's only window: the list of found multiplexers, the address,
// mask and port of the selected one, "Odśwież listę" and "Ustaw". It owns
// the command socket and the reply timer the device protocol runs on.
class TForm1 : public QMainWindow, public protocol::DeviceListView {
    Q_OBJECT

public:
    explicit TForm1(WindowMessages& messages, QWidget* parent = nullptr);
    ~TForm1() override;

    // main() creates the device protocol over this window's socket and timer
    // and attaches it before the window is shown.
    net::TUDPSocket& CommandSocket() { return GniazdoTransmisjiRozkazowDoModulu; }
    QTimer& ReplyTimer() { return Timeout; }
    void AttachProtocol(protocol::DeviceProtocol& protocol);

    // Handlers, named after the components they serve.
    void FormCreate(QObject* sender);
    void bPobierzIPClick(QObject* sender);
    void lvIPClick(QObject* sender);
    void lbIPClick(QObject* sender);
    void FormClose(QObject* sender);
    void GniazdoTransmisjiRozkazowDoModuluError(net::ASocket& sender);

    // True once a fatal socket error has asked the program to end.
    bool EndRequested() const { return endRequested_; }

    // The list as the device protocol fills it.
    void Clear() override;
    void SetEnabled(bool enabled) override;
    void AddRow(const std::string& caption, const std::string& subItem1, const std::string& subItem2,
                int imageIndex) override;
    void Repaint() override;

    // Components, for the program and its tests.
    QFrame* Bevel1;
    QTreeWidget* lvIP;
    QLabel* Label2;
    TRIPEdit* IP;
    TRIPEdit* Subnet;
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
    void ShowDeviceAddress(TRIPEdit* edit, const std::string& text);
    void SetOperationControlsEnabled(bool enabled);
    void WaitProcessingMessages(uint32_t milliseconds);

    net::TUDPSocket GniazdoTransmisjiRozkazowDoModulu;
    QTimer Timeout;
    QIcon rowImages_[2];
    WindowMessages& messages_;
    protocol::DeviceProtocol* protocol_ = nullptr;

    bool captionsPending_ = true;
    bool firstDisplayDone_ = false;
    bool refreshing_ = false;
    bool changing_ = false;
    bool closed_ = false;
    bool endRequested_ = false;
};
