#include "widgets/section_font.h"

QFont SectionFont()
{
    QFont font(QStringLiteral("DejaVu Sans Mono"), 8);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    return font;
}
