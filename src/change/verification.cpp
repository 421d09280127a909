// SPDX-License-Identifier: MIT
#include "change/verification.h"
#include "protocol/device_text.h"

namespace change {

using protocol::Latin1ToUtf8;

namespace {

void Settle(ChangeResult& result, Outcome outcome, const std::string& why)
{
    result.Outcome = outcome;
    if (!why.empty())
        result.Detail = result.Detail.empty() ? why : why + "; " + result.Detail;
}

} // namespace

void JudgeVerification(ChangeResult& result, const protocol::DeviceRow* now)
{
    if (now == nullptr)
        return Settle(result, Outcome::Unverified, "urządzenie nie odpowiedziało po zmianie");
    const bool maskKnown = !now->Mask.empty();
    const bool newAddress = now->Address == result.Address, newMask = maskKnown && now->Mask == result.Mask;
    if (newAddress && newMask)
        return Settle(result, Outcome::Verified, "");
    if (newAddress && !maskKnown)
        return Settle(result, Outcome::Unverified, "adres potwierdzony, maski nie odczytano");
    if (newAddress)
        return Settle(result, Outcome::Partial, "adres zmieniony, maska nie (jest " + Latin1ToUtf8(now->Mask) + ")");
    if (now->Address != result.OldAddress)
        return Settle(result, Outcome::Unverified,
                      "urządzenie ma teraz adres " + Latin1ToUtf8(now->Address) + ": ani poprzedni, ani nowy");
    if (newMask)
        return Settle(result, Outcome::Partial, "maska zmieniona, adres nie (jest " + Latin1ToUtf8(now->Address) + ")");
    if (!maskKnown)
        return Settle(result, Outcome::Unverified, "adres bez zmian, maski nie odczytano");
    if (now->Mask == result.OldMask)
        return Settle(result, Outcome::Refused, "urządzenie ma nadal poprzedni adres i maskę");
    Settle(result, Outcome::Unverified,
           "adres bez zmian, maska " + Latin1ToUtf8(now->Mask) + ": ani poprzednia, ani nowa");
}

} // namespace change
