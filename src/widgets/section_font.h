// SPDX-License-Identifier: MIT
#pragma once

#include <QFont>

namespace widgets {

// 8 points at 96 dots per inch, which the font engine rounds to whole pixels.
// Held in pixels, like the window's own fonts, so the fields' 25 pixels hold
// three characters whatever the screen's font resolution.
inline constexpr int kSectionFontPixels = 11;

// The face of the section fields and dots: a fixed-pitch face in which three
// characters fit a 25-pixel field (DejaVu Sans Mono: 20 px). Any other
// fixed-pitch face stands in where DejaVu is missing.
QFont SectionFont();

} // namespace widgets
