// SPDX-License-Identifier: MIT
// What the window does: refresh, selection, change, close, and the end of
// the program after a socket failure.
#include "app/main_window.h"

#include "app/device_list_texts.h"
#include "app/focus_keeping.h"
#include "app/port_field.h"
#include "app/window_accessibility.h"
#include "checks/address_conversion.h"
#include "checks/dotted_address.h"
#include "checks/mac_text.h"
#include "protocol/socket_error_text.h"
#include "widgets/ripedit.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>

#include <algorithm>
#include <cstdio>

namespace app {

using widgets::TRIPEdit;

namespace {

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
    return QString::fromStdString(checks::DottedText(checks::ConvertedAddress(text)));
}

// "Ustaw" sends its commands whatever the device holds, and the refresh after
// it shows what the device holds now.
change::RunSettings WindowChangeSettings()
{
    change::RunSettings settings;
    settings.SkipUnchanged = false;
    settings.Verify = change::Verification::ByRefresh;
    return settings;
}

} // namespace

TForm1::TForm1(WindowMessages& messages, net::InterfaceSelection interfaces, QWidget* parent)
    : QMainWindow(parent,
                  Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                      Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      messages_(messages),
      transport_(std::move(interfaces))
{
    BuildControls();
    connect(lvIP, &QTreeWidget::itemSelectionChanged, this, [this] {
        // The keyboard moves the selection too: the fields follow it, so
        // "Ustaw" always acts on what they show.
        if (!refreshing_)
            RunHandler([this] { lvIPClick(lvIP); });
    });
    connect(bPobierzIP, &QPushButton::clicked, this, [this] { RunHandler([this] { bPobierzIPClick(bPobierzIP); }); });
    connect(bZmienIP, &QPushButton::clicked, this, [this] { RunHandler([this] { lbIPClick(bZmienIP); }); });

    session_.SetFailureHandler([this](int32_t code, const std::string& description) {
        GniazdoTransmisjiRozkazowDoModuluError(code, description);
    });
    session_.SetProgressHandler([this](const protocol::Progress& progress) { listAdapter_.ShowProgress(progress); });

    messages_.SetOwner(this);
    FormCreate(this); // window created: sets the texts
    SetAccessibleNames(*this);
}

TForm1::~TForm1()
{
    session_.SetFailureHandler(nullptr);
    session_.SetProgressHandler(nullptr);
}

void TForm1::FormCreate(QObject* /*sender*/)
{
    if (captionsPending_) {
        SetTexts();
        captionsPending_ = false;
        return;
    }
    RefreshList();
}

void TForm1::RefreshList()
{
    if (Stopped())
        return;
    refreshing_ = true;
    struct RefreshFlag {
        bool& Flag;
        ~RefreshFlag() { Flag = false; }
    } refreshFlag{refreshing_};

    ReleaseFocusBeforeDisabling({bPobierzIP, bZmienIP, lvIP});
    bPobierzIP->setEnabled(false);
    bZmienIP->setEnabled(false);
    setCursor(Qt::WaitCursor);
    lvIP->setEnabled(false);
    rows_.clear();
    found_ = {};
    listAdapter_.Clear();
    const protocol::DiscoveryResult found = session_.Discover();
    if (Stopped())
        return;
    setCursor(Qt::ArrowCursor);
    found_ = found;
    rows_ = found.Rows;
    listAdapter_.ShowRows(rows_);
    if (rows_.empty())
        listAdapter_.ExplainEmptyList(found.Searched);
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

const protocol::DeviceRow* TForm1::SelectedDevice() const
{
    const QList<QTreeWidgetItem*> selected = lvIP->selectedItems();
    if (selected.isEmpty())
        return nullptr;
    const int row = lvIP->indexOfTopLevelItem(selected.first());
    return row >= 0 && row < int(rows_.size()) ? &rows_[std::size_t(row)] : nullptr;
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
        for (int n = 1; n <= TRIPEdit::kSectionCount; ++n)
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
    const protocol::DeviceRow* device = SelectedDevice();
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
    const protocol::DeviceRow* selected = SelectedDevice();
    if (selected == nullptr)
        return; // no row selected: nothing to change
    const change::LineJudgement judged =
        change::JudgeLine({0, selected->Mac, IP->IPString().toStdString(), Subnet->IPString().toStdString()});
    if (!judged.Line) {
        messages_.ShowMessage(judged.Refusal); // nothing is sent, and the typed values stay
        return;
    }
    change::ChangeRun(session_, journal_, *this, WindowChangeSettings()).Run({*judged.Line}, found_);
    if (changing_ && !Stopped())
        EndChangeWithoutRefresh(); // refused before anything was sent
}

void TForm1::Begin()
{
    // No refresh and no second change may start while this one runs.
    changing_ = true;
    ReleaseFocusBeforeDisabling({bPobierzIP, bZmienIP, lvIP});
    SetOperationControlsEnabled(false);
    setCursor(Qt::WaitCursor); // the refresh after it sets the arrow back
}

void TForm1::EndChangeWithoutRefresh()
{
    changing_ = false;
    setCursor(Qt::ArrowCursor);
    SetOperationControlsEnabled(true);
}

protocol::DiscoveryResult TForm1::Refresh()
{
    changing_ = false;
    FormCreate(bZmienIP);
    return found_;
}

void TForm1::Report(const change::ChangeResult& result)
{
    using change::Outcome;
    if (Stopped())
        return;
    switch (result.Outcome) {
    case Outcome::MacTwice: { // found before the change, or by a step of it or its verification
        messages_.ShowMessage(result.Detail + (result.Sent ? "." : ". Nic nie wysłano."));
        break;
    }
    case Outcome::Conflict:
        EndChangeWithoutRefresh();
        messages_.ShowMessage("Adres IP jest zajęty: " + result.Detail + ". Nic nie wysłano.");
        break;
    case Outcome::Changed:
    case Outcome::Refused:
    case Outcome::Interrupted: ReportStepFailure(result); break;
    case Outcome::InterfaceGone:
        messages_.ShowMessage("Interfejs sieciowy " + result.Interface +
                              ", przez który odpowiadało urządzenie, jest niedostępny. Zmiana nie została wykonana.");
        break;
    case Outcome::Unverified:
        if (std::none_of(rows_.begin(), rows_.end(),
                         [&](const protocol::DeviceRow& row) { return checks::SameMac(row.Mac, result.Mac); }))
            listAdapter_.ShowNote(MissingAfterChangeText(result.Mac, result.Address));
        break;
    default: break;
    }
}

void TForm1::ReportStepFailure(const change::ChangeResult& result)
{
    if (!result.Failed)
        return;
    std::string text = protocol::StatusText(result.Failed->Answer);
    if (result.Failed->Which == change::FailedStep::Step::Mask) // only after the address was taken
        text += "\nAdres IP został zmieniony, ale maska podsieci nie.";
    messages_.ShowMessage(text);
}

void TForm1::Warn(const std::string& text) { messages_.ShowMessage(text); }

void TForm1::FormClose(QObject* /*sender*/)
{
    if (closed_)
        return;
    closed_ = true;
    if (!endRequested_)
        session_.Close();
    transport_.Terminate();
    // An operation interrupted by the close stops at its next wait and sends
    // nothing after the closing commands.
    session_.Abandon();
}

void TForm1::GniazdoTransmisjiRozkazowDoModuluError(int32_t code, const std::string& description)
{
    if (endRequested_)
        return; // the program is already ending: one box is enough
    // The session has stopped all work: while the box is up nothing more is
    // sent, dispatched or shown.
    endRequested_ = true;
    messages_.ShowSocketErrorBox(SocketErrorBoxText(code, QString::fromStdString(description)));
    EndProgram();
}

void TForm1::EndProgram()
{
    endRequested_ = true;
    session_.Abandon();
    // exit(), not quit(): quit() would close the window and run the closing
    // handler, which must not send its commands after a fatal error.
    QCoreApplication::exit(1);
}

bool TForm1::Stopped() const { return endRequested_ || closed_ || session_.Abandoned(); }

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
