// SPDX-License-Identifier: MIT
#pragma once
#include "protocol/operator_messages.h"

#include <QPointer>
#include <QString>
#include <QWidget>

namespace app {

// Everything the main window says to the operator: the plain message window
// (through the protocol's interface) and the "UWAGA" box for socket errors.
class WindowMessages : public protocol::OperatorMessages {
public:
    virtual void ShowSocketErrorBox(const QString& text) = 0;
    // The window the messages belong to: boxes are modal to it and centred on it.
    virtual void SetOwner(QWidget* /*owner*/) {}
};

// The real thing: modal message boxes.
class DialogWindowMessages : public WindowMessages {
public:
    void ShowMessage(const std::string& text) override;
    void ShowSocketErrorBox(const QString& text) override;
    void SetOwner(QWidget* owner) override { owner_ = owner; }

private:
    QPointer<QWidget> owner_;
};

} // namespace app
