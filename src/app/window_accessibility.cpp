// SPDX-License-Identifier: MIT
#include "app/window_accessibility.h"

#include "app/main_window.h"
#include "widgets/ripedit.h"

#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>

namespace app {

void SetAccessibleNames(TForm1& form)
{
    form.lvIP->setAccessibleName(QStringLiteral("Lista multiplekserów"));
    form.IP->setAccessibleNames(QStringLiteral("Adres IP"));
    form.Subnet->setAccessibleNames(QStringLiteral("Maska podsieci"));
    form.iPort->setAccessibleName(QStringLiteral("Port TCP"));
    // The headings line is laid out with runs of spaces; read it as words.
    form.Label2->setAccessibleName(form.Label2->text().simplified());
    form.bPobierzIP->setAccessibleName(form.bPobierzIP->text());
    form.bZmienIP->setAccessibleName(form.bZmienIP->text());
}

} // namespace app
