// SPDX-License-Identifier: MIT
#include "app/device_list_texts.h"

#include <vector>

namespace app {

namespace {

QString Latin1(const std::string& bytes) { return QString::fromLatin1(bytes.data(), qsizetype(bytes.size())); }

struct Mark {
    const char* ShortText;
    const char* Reason;
};

const Mark kFlagE{"znacznik E", "Urządzenie zgłasza znacznik E."};
const Mark kMaskUnread{"maska nieodczytana", "Nie udało się odczytać maski podsieci tego urządzenia."};
const Mark kSettingsUnread{"ustawienia nieodczytane", "Nie udało się odczytać ustawień tego urządzenia."};
const Mark kAddressShared{"adres współdzielony z innym urządzeniem",
                          "Ten sam adres IP ma jeszcze inne urządzenie z listy."};
const Mark kMacTwice{"MAC w dwóch miejscach",
                     "Ten sam adres MAC odpowiada też z innego adresu IP; żadne polecenie nie rozróżni tych urządzeń, "
                     "więc zmiana jest zablokowana."};

std::vector<const Mark*> MarksOf(const protocol::DeviceRow& row)
{
    std::vector<const Mark*> marks;
    if (row.FlagE)
        marks.push_back(&kFlagE);
    // Of two devices on one address only one is read; the other one's read
    // failing says nothing about the device itself.
    if (!row.ReadOk && !row.AddressShared)
        marks.push_back(row.Mask.empty() ? &kMaskUnread : &kSettingsUnread);
    if (row.AddressShared)
        marks.push_back(&kAddressShared);
    if (!row.MacAlsoAt.empty())
        marks.push_back(&kMacTwice);
    return marks;
}

} // namespace

QStringList RowMarks(const protocol::DeviceRow& row)
{
    QStringList texts;
    for (const Mark* mark : MarksOf(row))
        texts << QString::fromUtf8(mark->ShortText);
    return texts;
}

QStringList RowReasons(const protocol::DeviceRow& row)
{
    QStringList texts;
    for (const Mark* mark : MarksOf(row))
        texts << QString::fromUtf8(mark->Reason);
    return texts;
}

QString RowToolTip(const protocol::DeviceRow& row, bool macCut)
{
    QStringList lines = RowReasons(row);
    if (!row.MacAlsoAt.empty())
        lines << QStringLiteral("Ten MAC odpowiada też z adresu %1.").arg(Latin1(row.MacAlsoAt));
    if (macCut)
        lines << QStringLiteral("Adres MAC: %1").arg(Latin1(row.Mac));
    if (!row.Interface.empty())
        lines << QStringLiteral("Interfejs: %1").arg(QString::fromStdString(row.Interface));
    return lines.join(QLatin1Char('\n'));
}

QString ProgressText(const protocol::Progress& progress)
{
    using Activity = protocol::Progress::Activity;
    switch (progress.What) {
    case Activity::Searching: return QStringLiteral("Szukam multiplekserów…");
    case Activity::Reading:
        return QStringLiteral("Odczytuję urządzenie %1 z %2: %3…")
            .arg(progress.Current)
            .arg(progress.Total)
            .arg(Latin1(progress.Device));
    case Activity::Changing: return QStringLiteral("Zmieniam ustawienia urządzenia %1…").arg(Latin1(progress.Device));
    case Activity::Idle: break;
    }
    return {};
}

QString MissingAfterChangeText(const std::string& mac, const std::string& address)
{
    return QStringLiteral("Zmienione urządzenie %1 (%2) nie odpowiedziało; może się jeszcze uruchamiać. "
                          "Odśwież listę za kilka sekund.")
        .arg(Latin1(mac), Latin1(address));
}

QString EmptyListText(const std::vector<protocol::SearchedInterface>& searched)
{
    QStringList where;
    for (const protocol::SearchedInterface& searched : searched)
        where << QStringLiteral("%1 (%2)").arg(QString::fromStdString(searched.Name), Latin1(searched.Address));
    QString text = where.isEmpty()
        ? QStringLiteral("Nie znaleziono multiplekserów (szukano przez domyślną trasę).")
        : QStringLiteral("Nie znaleziono multiplekserów. Szukano przez: %1.").arg(where.join(QStringLiteral(", ")));
    return text +
        QStringLiteral("\nSprawdź, czy zapora nie blokuje odpowiedzi na port UDP 1153 "
                       "i czy VPN nie przejmuje rozgłoszeń.");
}

} // namespace app
