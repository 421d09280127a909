// SPDX-License-Identifier: MIT
#include "change/outcome.h"

namespace change {

const char* MachineName(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Verified: return "verified";
    case Outcome::Partial: return "partial";
    case Outcome::Unverified: return "unverified";
    case Outcome::Refused: return "refused";
    case Outcome::NotFound: return "not_found";
    case Outcome::Planned: return "planned";
    case Outcome::Unchanged: return "unchanged";
    case Outcome::Conflict: return "conflict";
    case Outcome::Unchecked: return "unchecked";
    case Outcome::MacTwice: return "mac_in_two_places";
    case Outcome::InterfaceGone: return "interface_gone";
    case Outcome::Changed: return "changed";
    case Outcome::Interrupted: return "interrupted";
    case Outcome::NotAttempted: return "not_attempted";
    }
    return "refused";
}

const char* PolishName(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Verified: return "zmieniono i potwierdzono";
    case Outcome::Partial: return "zmieniono częściowo";
    case Outcome::Unverified: return "zmieniono, ale nie potwierdzono";
    case Outcome::Refused: return "odmowa urządzenia";
    case Outcome::NotFound: return "nie znaleziono";
    case Outcome::Planned: return "zostanie zmienione";
    case Outcome::Unchanged: return "bez zmian";
    case Outcome::Conflict: return "adres zajęty";
    case Outcome::Unchecked: return "adres niesprawdzony";
    case Outcome::MacTwice: return "MAC w dwóch miejscach";
    case Outcome::InterfaceGone: return "brak interfejsu sieciowego";
    case Outcome::Changed: return "zmieniono, sprawdzam";
    case Outcome::Interrupted: return "przerwano";
    case Outcome::NotAttempted: return "nie podjęto";
    }
    return "odmowa urządzenia";
}

} // namespace change
