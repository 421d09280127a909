// SPDX-License-Identifier: MIT
#include "shown_control.h"

#include <QSignalSpy>
#include <memory>
#include <vector>

using namespace widgets;

namespace {

QStringList SectionTexts(const TRIPEdit& control)
{
    QStringList texts;
    for (int n = 1; n <= 4; ++n)
        texts << control.Section(n)->text();
    return texts;
}

// Counts the text changes of all four sections.
struct ChangeCounter {
    explicit ChangeCounter(const TRIPEdit& control)
    {
        for (int n = 1; n <= 4; ++n)
            Spies.push_back(std::make_unique<QSignalSpy>(control.Section(n), &QLineEdit::textChanged));
    }
    int Count() const
    {
        int total = 0;
        for (const auto& spy : Spies)
            total += static_cast<int>(spy->count());
        return total;
    }
    std::vector<std::unique_ptr<QSignalSpy>> Spies;
};

} // namespace

TEST(RIPEditAddress, ReadAndWriteFormsOf192_168_1_10)
{
    TRIPEdit control;
    control.setIPString("192.168.1.10");
    EXPECT_EQ(SectionTexts(control), QStringList({"192", "168", "1", "10"}));
    EXPECT_EQ(control.IPAddress(), 0xC0A8010Au);
    EXPECT_EQ(control.FIPAddress(), 0x0A01A8C0u);
    EXPECT_EQ(control.IP1Sec(), 192);
    EXPECT_EQ(control.IP4Sec(), 10);

    control.setIPAddress(0x04030201u);
    EXPECT_EQ(control.IPString(), "1.2.3.4");
    EXPECT_EQ(control.IPAddress(), 0x01020304u);
}

TEST(RIPEditAddress, TextWriteFollowsInetAddrRules)
{
    TRIPEdit control;
    const struct {
        const char* Written;
        const char* Shown;
    } cases[] = {
        {"abc", "255.255.255.255"},
        {"192.168.001.010", "192.168.1.8"}, // a leading zero makes a part octal
        {"10.1", "10.0.0.1"},
        {"0x7f.1", "127.0.0.1"},
        {"1.2.3.256", "255.255.255.255"},
        {"1.2.3.4", "1.2.3.4"},
        {"ą.1.1.1", "255.255.255.255"},
        {"", "0.0.0.0"}, // no address at all: nothing to show but zeros
        {" ", "255.255.255.255"},
    };
    for (const auto& c : cases) {
        control.setIPString(QString::fromUtf8(c.Written));
        EXPECT_EQ(control.IPString(), c.Shown) << c.Written;
    }
}

TEST(RIPEditAddress, StoredSettingsOnAFreshControlChangeNothing)
{
    TRIPEdit control;
    ChangeCounter changes(control);
    for (int n = 1; n <= 4; ++n)
        control.setIPSec(n, 0);
    control.setIPAddress(0);
    control.setIPString("0.0.0.0");
    EXPECT_EQ(changes.Count(), 0);
    EXPECT_EQ(control.IPString(), "0.0.0.0");
}

TEST(RIPEditAddress, WriteOfTheRememberedAddressIsSkippedEvenAfterAFieldWasEmptied)
{
    TRIPEdit control;
    control.setIPString("192.168.1.10");
    control.Section(2)->setText(""); // does not convert: the remembered address stays
    EXPECT_EQ(control.FIPAddress(), 0x0A01A8C0u);
    EXPECT_EQ(control.IPString(), "192..1.10");

    ChangeCounter changes(control);
    control.setIPAddress(0x0A01A8C0u);
    control.setIPString("192.168.1.10");
    EXPECT_EQ(changes.Count(), 0);
    EXPECT_EQ(control.IPString(), "192..1.10");

    control.setIPString("192.168.1.11"); // another address writes every section
    EXPECT_EQ(control.IPString(), "192.168.1.11");
}

TEST(RIPEditAddress, SectionWritesClampAndKeepTheMinusSign)
{
    TRIPEdit control;
    control.setIP2Sec(300);
    EXPECT_EQ(control.Section(2)->text(), "255");
    control.setIP2Sec(7);
    EXPECT_EQ(control.Section(2)->text(), "7");
    control.setIP3Sec(-5);
    EXPECT_EQ(control.Section(3)->text(), "-5");
    EXPECT_EQ(control.IP3Sec(), -5);
    control.setIP4Sec(-1000); // three characters hold no more than -99
    EXPECT_EQ(control.Section(4)->text(), "-99");

    control.setIP1Sec(-1); // each section gives only its low 8 bits
    control.setIP2Sec(1);
    control.setIP3Sec(2);
    control.setIP4Sec(3);
    EXPECT_EQ(control.IPAddress(), 0xFF010203u);
    EXPECT_EQ(control.FIPAddress(), 0x030201FFu);
}

TEST(RIPEditAddress, NumericReadsFailOnEmptyOrDottedSectionsButTextReadsNever)
{
    TRIPEdit control;
    control.setIPString("192.168.1.10");
    control.Section(3)->setText("1.");
    EXPECT_EQ(control.IPString(), "192.168.1..10");
    EXPECT_THROW(control.IP3Sec(), EConvertError);
    EXPECT_THROW(control.IPAddress(), EConvertError);
    EXPECT_THROW(control.RefreshIPAddress(), EConvertError);
    EXPECT_EQ(control.IP4Sec(), 10);
    EXPECT_EQ(control.FIPAddress(), 0x0A01A8C0u);

    control.Section(1)->setText("");
    EXPECT_THROW(control.IP1Sec(), EConvertError);
    EXPECT_EQ(control.IPString(), ".168.1..10");

    control.Section(1)->setText("007");
    control.Section(3)->setText("$1F");
    EXPECT_EQ(control.IP1Sec(), 7);
    EXPECT_EQ(control.IPString(), "007.168.$1F.10");
    EXPECT_EQ(control.IPAddress(), 0x07A81F0Au);
    EXPECT_EQ(control.FIPAddress(), 0x0A1FA807u); // refreshed once all four convert
}

TEST(RIPEditAddress, SectionTestHasNoLowerBoundAndCountsNonNumbersAsZero)
{
    for (const char* text : {"255", "-99", "", "1.", "abc", "$FF"})
        EXPECT_TRUE(TRIPEdit::SecValid(text)) << text;
    for (const char* text : {"256", "300", "$100"})
        EXPECT_FALSE(TRIPEdit::SecValid(text)) << text;
}

TEST_F(ShownControl, WritingAMaskLeavesTheFocusInTheLastField)
{
    other_->setFocus();
    control_->setIPString("255.255.255.0");
    EXPECT_EQ(Focused(), Field(4));
    EXPECT_EQ(control_->IPString(), "255.255.255.0");
    EXPECT_EQ(control_->FIPAddress(), 0x00FFFFFFu);
}

TEST_F(ShownControl, ProgramWritesIntoAHiddenOrDisabledControlLeaveTheFocusAndRememberTheAddress)
{
    other_->setFocus();
    control_->hide();
    control_->setIPString("192.168.1.100");
    EXPECT_EQ(Focused(), other_);
    EXPECT_EQ(control_->FIPAddress(), 0x6401A8C0u);
    control_->setIPString("192.168.1.0"); // must not be taken for the address already held
    EXPECT_EQ(control_->IPString(), "192.168.1.0");

    control_->show();
    control_->setEnabled(false);
    control_->setIPString("10.200.200.200");
    EXPECT_EQ(Focused(), other_);
    EXPECT_EQ(control_->IPString(), "10.200.200.200");
    EXPECT_EQ(control_->FIPAddress(), 0xC8C8C80Au);
}

TEST_F(ShownControl, WritingTheTextASectionShowsRunsNoChangeReaction)
{
    control_->setIPString("255.1.1.1"); // three digits in field 1 pass the focus on
    Enter(3);
    control_->setIP1Sec(255);
    EXPECT_EQ(Focused(), Field(3));
    control_->setIP1Sec(254);
    EXPECT_EQ(Focused(), Field(2));
}
