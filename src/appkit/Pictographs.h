#pragma once
// Pictographs (colour emoji) are measured without their font. Qt finds a colour emoji font only
// after searching the fallback fonts one by one, then decodes each glyph's bitmap to learn its
// width: about a tenth of the launch for the few controls that show one, most of them out of
// view. Their measure allows each pictograph a fixed width, a little more than the colour emoji
// fonts give it; they are drawn as always, when they are first shown.

#include <QFont>
#include <QString>

namespace appkit {

struct TextWithoutPictographs {
    QString text;
    int pictographs = 0;
};

TextWithoutPictographs withoutPictographs(const QString& text);

// The width one pictograph is allowed in a line of that font.
int pictographWidth(const QFont& font);

} // namespace appkit
