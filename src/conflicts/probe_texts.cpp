// SPDX-License-Identifier: MIT
#include "conflicts/probe_texts.h"

namespace conflicts::texts {

std::string BadAddress(const std::string& address) { return "„" + address + "” nie jest adresem IPv4"; }

std::string NoSuchInterface(const std::string& name) { return "interfejs sieciowy „" + name + "” nie istnieje"; }

std::string InterfaceDown(const std::string& name) { return "interfejs sieciowy „" + name + "” jest wyłączony"; }

std::string InterfaceWithoutLink(const std::string& name)
{
    return "interfejs sieciowy „" + name + "” nie ma połączenia z siecią (kabel?)";
}

std::string InterfacesUnreadable(const std::string& error)
{
    return "nie można odczytać interfejsów sieciowych (" + error + ")";
}

std::string ProgramDidNotStart(const std::string& program, const std::string& error)
{
    return "nie można uruchomić programu „" + program + "” z pakietu iputils-arping (" + error + ")";
}

std::string TooFewDescriptors(int limit)
{
    return "za mało wolnych deskryptorów plików, by uruchomić program arping (limit " + std::to_string(limit) +
        ", ulimit -n)";
}

std::string ProgramFailed(const std::string& detail) { return "program arping zgłosił błąd: " + detail; }

std::string ProgramCrashed() { return "program arping przerwał pracę"; }

std::string ProgramTooSlow(long long seconds)
{
    return "program arping nie skończył w ciągu " + std::to_string(seconds) + " s";
}

std::string UnexpectedOutput(int exitStatus)
{
    return "program arping zakończył się kodem " + std::to_string(exitStatus) + " bez odpowiedzi do odczytania";
}

std::string Stopped() { return "sprawdzanie przerwano"; }

} // namespace conflicts::texts
