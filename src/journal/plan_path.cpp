// SPDX-License-Identifier: MIT
#include "journal/plan_path.h"

namespace journal {

std::string SameFileRefusal(const std::string& kept)
{
    return "to ten sam plik co " + kept + ", podaj inną nazwę planu cofnięcia";
}

std::string NotAnUndoPlanRefusal()
{
    return "plik istnieje i nie jest planem cofnięcia (pierwszy wiersz inny niż " + std::string(kUndoPlanHeader) +
        "), nie zastąpię go";
}

} // namespace journal
