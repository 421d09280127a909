// SPDX-License-Identifier: MIT
#include "protocol/status_codes.h"

namespace protocol {

std::string StatusText(Status code)
{
    switch (code) {
    case kStatusOk: return "";
    case kStatusBadCommand: return "Niewłaściwa nazwa/parametr funkcji.";
    case kStatusInternalError: return "Błąd wewnętrzny.";
    case kStatusAccessDenied: return "Brak dostępu - prawdopodobnie złe hasło.";
    case kStatusNoReply: return "Brak odpowiedzi z multipleksera1";
    case kStatusNotSent: return "Rozkaz nie został wysłany.";
    default: return "Błąd spoza zakresu";
    }
}

const char* StatusCode(Status code)
{
    switch (code) {
    case kStatusBadCommand: return "bad_command";
    case kStatusInternalError: return "internal_error";
    case kStatusAccessDenied: return "access_denied";
    case kStatusNoReply: return "no_reply";
    case kStatusNotSent: return "not_sent";
    default: return "other";
    }
}

Status StatusOfReplyLetter(const std::string& text)
{
    if (text.empty())
        return kStatusPending;
    switch (text[0]) {
    case 'A': return kStatusOk;
    case 'C': return kStatusBadCommand;
    case 'F': return kStatusInternalError; // "F" is 2 and "D" is 3: not the order of the letters
    case 'D': return kStatusAccessDenied;
    default: return kStatusPending;
    }
}

} // namespace protocol
