// SPDX-License-Identifier: MIT
#pragma once
#include <QPointer>
#include <QString>
#include <QWidget>
#include <string>

namespace app {

// Everything the main window says to the operator: the plain modal message
// window (OK button, no icon, titled with the program's name) and the
// "UWAGA" box for socket errors.
class WindowMessages {
public:
    virtual ~WindowMessages() = default;
    virtual void ShowMessage(const std::string& text) = 0;
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
