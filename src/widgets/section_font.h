#pragma once

#include <QFont>

// The face of the section fields and dots: a fixed-pitch face at 8 points in
// which three characters fit a 25-pixel field (DejaVu Sans Mono: 20 px at
// 96 dpi). Any other fixed-pitch face stands in where DejaVu is missing.
QFont SectionFont();
