#include "widgets/section_font.h"

QFont SectionFont()
{
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPixelSize(SectionFontPixels);
    return font;
}
