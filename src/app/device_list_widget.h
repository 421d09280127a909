// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QTreeWidget>

namespace app {

// The window's device list. While the protocol works it shows what is
// happening as text painted inside its own viewport: across the empty list,
// or on a band at the bottom of the viewport over the rows, so nothing in the
// layout moves. The text is also the list's accessible description. Rows
// without an icon keep the icon's space, so all addresses line up.
class DeviceListWidget : public QTreeWidget {
public:
    explicit DeviceListWidget(QWidget* parent = nullptr);

    // An empty text takes the placeholder away.
    void SetPlaceholderText(const QString& text);
    const QString& PlaceholderText() const { return placeholderText_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString placeholderText_;
};

} // namespace app
