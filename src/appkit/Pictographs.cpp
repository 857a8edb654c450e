#include "appkit/Pictographs.h"

#include <QFontInfo>
#include <QList>

#include <algorithm>
#include <cmath>

namespace appkit {

namespace {

// The pictographic blocks of the supplementary plane: no text font has them.
bool isPictograph(char32_t c) {
    return c >= 0x1F000 && c <= 0x1FAFF;
}

// Colour emoji fonts advance a pictograph by about 1.25 em; the rest is room for rounding.
constexpr double kEmPerPictograph = 1.3;

} // namespace

TextWithoutPictographs withoutPictographs(const QString& text) {
    TextWithoutPictographs result;
    // Every pictograph is outside the basic plane: most texts are done at a glance.
    if (std::none_of(text.begin(), text.end(), [](QChar c) { return c.isHighSurrogate(); })) {
        result.text = text;
        return result;
    }
    for (char32_t c : text.toUcs4()) {
        if (isPictograph(c))
            ++result.pictographs;
        else
            result.text += QString::fromUcs4(&c, 1);
    }
    return result;
}

int pictographWidth(const QFont& font) {
    return int(std::ceil(QFontInfo(font).pixelSize() * kEmPerPictograph));
}

} // namespace appkit
