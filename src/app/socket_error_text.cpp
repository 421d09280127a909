#include "app/socket_error_text.h"

#include <QStringList>

QString SocketErrorBoxText(int32_t errorCode, const QString& description)
{
    constexpr int32_t kNetworkUnreachable = 10051;
    constexpr int32_t kHostUnreachable = 10065;

    QStringList lines;
    lines << QStringLiteral("Błąd przy wysyłaniu ramki UDP - program zostanie zakończony.")
          << QStringLiteral("Numer błędu: ") + QString::number(errorCode)
          << QStringLiteral("Opis błędu:  ") + description;
    if (errorCode == kNetworkUnreachable || errorCode == kHostUnreachable) {
        lines << QStringLiteral("Sprawdź czy komputer posiada stały adres IP")
              << QStringLiteral("i czy lokalna sieć komputerowa jest dostępna")
              << QStringLiteral("(połączenie lokalne jest włączone).");
    } else {
        lines << QStringLiteral("Sprawdź czy sieć lokalna jest dostępna")
              << QStringLiteral("i prawidłowo skonfigurowana.") << QString();
    }
    return lines.join(QChar(13));
}
