// SPDX-License-Identifier: MIT
#pragma once

#include "widgets/convert_error.h"
#include "widgets/ipmaskedit.h"

#include <QString>
#include <QWidget>
#include <array>
#include <functional>

class QLabel;

namespace widgets {

// The IP address edit control: a sunken 120 x 20 box with four section
// fields "inRIP1".."inRIP4" and three dots, in the palette's Base and Text
// colours. The section texts are its state; every read computes from them.
//
// Address forms: the read form of IPAddress has section 1 in bits 24-31;
// the write form (IPAddress write, FIPAddress) has section 1 in bits 0-7,
// the way inet_addr's network-order result lies in memory on a
// little-endian machine. 192.168.1.10 reads 0xC0A8010A, writes 0x0A01A8C0.
//
// Reads of the sections and of IPAddress throw EConvertError when a section
// text is no number (empty, or holding a "."); IPString reads never fail.
class TRIPEdit : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString IPString READ IPString WRITE setIPString)

public:
    static constexpr int kSectionCount = 4;

    explicit TRIPEdit(QWidget* owner = nullptr);
    ~TRIPEdit() override;

    int IP1Sec() const { return IPSec(1); }
    int IP2Sec() const { return IPSec(2); }
    int IP3Sec() const { return IPSec(3); }
    int IP4Sec() const { return IPSec(4); }
    void setIP1Sec(int value) { setIPSec(1, value); }
    void setIP2Sec(int value) { setIPSec(2, value); }
    void setIP3Sec(int value) { setIPSec(3, value); }
    void setIP4Sec(int value) { setIPSec(4, value); }

    // The number of section 1..4.
    int IPSec(int position) const;
    // Shows value in section 1..4; above 255 shows 255, below -99 (which
    // three characters cannot hold) shows -99.
    void setIPSec(int position, int value);

    quint32 IPAddress() const;
    // Takes a write-form value; a value equal to FIPAddress changes nothing.
    void setIPAddress(quint32 value);

    // The four section texts joined by ".", as they stand.
    QString IPString() const;
    // Converts with inet_addr (octal, hexadecimal and short forms; a rejected
    // text shows 255.255.255.255) and writes the result as IPAddress. An
    // empty text is address 0 and shows 0.0.0.0.
    void setIPString(const QString& text);

    // The remembered write-form address.
    quint32 FIPAddress() const { return fipAddress_; }

    // A section text is acceptable when its number is at most 255; a text
    // that is no number counts as 0.
    static bool SecValid(const QString& text);
    // Runs on every change of a section text.
    void SecChange(TIPMaskEdit* field);
    // Runs when the focus leaves a section field within the window.
    void SecExit(TIPMaskEdit* field);
    // Remembers the write form of the sections when all four are numbers;
    // throws EConvertError otherwise, leaving FIPAddress as it was.
    void RefreshIPAddress();

    TIPMaskEdit* Section(int position) const;
    QLabel* Dot(int position) const;

    // Names the control for assistive technology, and each section field
    // after it: "Adres IP" gives "Adres IP, część 1" to "Adres IP, część 4".
    void setAccessibleNames(const QString& name);

    // The sound of a refused character in any section.
    void setBeeper(std::function<void()> beep);
    // Shows a failed exit check; a modal message box unless replaced.
    void setMessageBox(std::function<void(const QString&)> show);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int PositionOf(const TIPMaskEdit* field) const;
    void MoveFocusTo(int position);

    std::array<TIPMaskEdit*, kSectionCount> sections_{};
    std::array<QLabel*, kSectionCount - 1> dots_{};
    quint32 fipAddress_ = 0;
    QString spokenAddress_; // the dotted address assistive technology was last told
    bool destroying_ = false;
    std::function<void(const QString&)> messageBox_;
};

} // namespace widgets
