// SPDX-License-Identifier: MIT
#include "widgets/section_font.h"

namespace widgets {

QFont SectionFont()
{
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPixelSize(kSectionFontPixels);
    return font;
}

} // namespace widgets
