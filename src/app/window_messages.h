#pragma once
#include "protocol/operator_messages.h"

#include <QString>

// Everything the main window says to the operator: the plain message window
// (through the protocol's interface) and the "UWAGA" box for socket errors.
class WindowMessages : public protocol::OperatorMessages {
public:
    virtual void ShowSocketErrorBox(const QString& text) = 0;
};

// The real thing: modal message boxes.
class DialogWindowMessages : public WindowMessages {
public:
    void ShowMessage(const std::string& text) override;
    void ShowSocketErrorBox(const QString& text) override;
};
