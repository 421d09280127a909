// SPDX-License-Identifier: MIT
#pragma once
#include "app/device_list_adapter.h"
#include "app/window_messages.h"
#include "change/change_run.h"
#include "journal/change_journal.h"
#include "net/interfaces/interface_selection.h"
#include "protocol/device_session.h"
#include "protocol/socket_transport.h"

#include <QMainWindow>
#include <functional>
#include <optional>
#include <string>
#include <vector>

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
// the command socket (in its transport) and the device session on it.
class TForm1 : public QMainWindow, private change::FrontEnd {
    Q_OBJECT

public:
    explicit TForm1(WindowMessages& messages, net::InterfaceSelection interfaces = {}, QWidget* parent = nullptr);
    ~TForm1() override;

    protocol::DeviceSession& Session() { return session_; }
    net::TUDPSocket& CommandSocket() { return transport_.CommandSocket(); }

    // Handlers, named after the components they serve.
    void FormCreate(QObject* sender);
    void bPobierzIPClick(QObject* sender);
    void lvIPClick(QObject* sender);
    void lbIPClick(QObject* sender);
    void FormClose(QObject* sender);
    void GniazdoTransmisjiRozkazowDoModuluError(int32_t code, const std::string& description);

    // True once a fatal socket error has asked the program to end.
    bool EndRequested() const { return endRequested_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend void SetAccessibleNames(TForm1& form);

    // Components, owned by the window's widget tree; others find them by
    // their object names, which are these names.
    QFrame* Bevel1 = nullptr;
    QTreeWidget* lvIP = nullptr;
    QLabel* Label2 = nullptr;
    widgets::TRIPEdit* IP = nullptr;
    widgets::TRIPEdit* Subnet = nullptr;
    QSpinBox* iPort = nullptr;
    QPushButton* bPobierzIP = nullptr;
    QPushButton* bZmienIP = nullptr;

    // Geometry, fonts, tab order and texts (main_window_layout.cpp).
    void BuildControls();
    void SetTexts();

    void RefreshList();
    // Runs a handler at the boundary to the event loop: a failure raised
    // inside it ends the program; it never escapes into Qt.
    void RunHandler(const std::function<void()>& handler);
    void EndProgram();
    bool Stopped() const;
    // The device shown by the selected row, or nullptr when no row is selected.
    const protocol::DeviceRow* SelectedDevice() const;
    void ShowDeviceAddress(widgets::TRIPEdit* edit, const std::string& text);
    void SetOperationControlsEnabled(bool enabled);
    void EndChangeWithoutRefresh();
    void ReportStepFailure(const change::ChangeResult& result);

    // The change's front end: its messages, the busy controls, the refresh after it.
    void Report(const change::ChangeResult& result) override;
    void Warn(const std::string& text) override;
    bool StopRequested() const override { return Stopped(); }
    void Begin() override;
    protocol::DiscoveryResult Refresh() override;

    WindowMessages& messages_;
    protocol::SocketTransport transport_;
    protocol::DeviceSession session_{transport_};
    app::DeviceListAdapter listAdapter_;
    protocol::DiscoveryResult found_;       // the last refresh: every device that answered
    std::vector<protocol::DeviceRow> rows_; // what the list shows, row by row
    journal::ChangeJournal journal_;

    bool captionsPending_ = true;
    bool firstDisplayDone_ = false;
    bool refreshing_ = false;
    bool changing_ = false;
    bool closed_ = false;
    bool endRequested_ = false;
};

} // namespace app
