// SPDX-License-Identifier: MIT
#include "protocol/socket_error_text.h"

#include "protocol/protocol_constants.h"

#include <QStringList>

QString SocketErrorBoxText(int32_t errorCode, const QString& description)
{
    QStringList lines;
    lines << QStringLiteral("Błąd przy wysyłaniu ramki UDP - program zostanie zakończony.")
          << QStringLiteral("Numer błędu: ") + QString::number(errorCode)
          << QStringLiteral("Opis błędu:  ") + description;
    if (errorCode == protocol::kErrorNetworkUnreachable || errorCode == protocol::kErrorHostUnreachable) {
        lines << QStringLiteral("Sprawdź czy komputer posiada stały adres IP")
              << QStringLiteral("i czy lokalna sieć komputerowa jest dostępna")
              << QStringLiteral("(połączenie lokalne jest włączone).");
    } else if (errorCode == protocol::kErrorAddressInUse) {
        lines << QStringLiteral("Port UDP %1 zajmuje inny program (może drugie okno muxconfig);")
                     .arg(QLatin1String(protocol::kCommandLocalPort))
              << QStringLiteral("zamknij go i uruchom program ponownie.") << QString();
    } else {
        lines << QStringLiteral("Sprawdź czy sieć lokalna jest dostępna")
              << QStringLiteral("i prawidłowo skonfigurowana.") << QString();
    }
    return lines.join(QChar(13));
}
