#include "appkit/Button.h"
#include "appkit/Image.h"
#include "appkit/RoundedPlate.h"
#include "ui/OneLineLabel.h"

#include <QCheckBox>
#include <QFontInfo>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace {

// The plate as one fill and one stroke of its whole outline.
QImage outlineDrawn(QSize size, qreal scale, const appkit::RoundedPlate::Look& look) {
    QImage image((QSizeF(size) * scale).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    const double inset = look.borderWidth / 2;
    QPainterPath path;
    path.addRoundedRect(QRectF(QPointF(0, 0), QSizeF(size)).adjusted(inset, inset, -inset, -inset),
                        look.radius, look.radius);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillPath(path, look.fill);
    if (look.borderWidth > 0) p.strokePath(path, QPen(look.border, look.borderWidth));
    return image;
}

QImage platePainted(QSize size, qreal scale, const appkit::RoundedPlate::Look& look) {
    QImage image((QSizeF(size) * scale).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    appkit::RoundedPlate plate;
    QPainter p(&image);
    plate.paint(p, QRect(QPoint(0, 0), size), scale, look);
    return image;
}

int largestDifference(const QImage& a, const QImage& b) {
    int most = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            most = std::max({most, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                             std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
        }
    return most;
}

} // namespace

TEST(Drawing, APlatePutTogetherFromItsCornersLooksLikeItsWholeOutlineDrawn) {
    const appkit::RoundedPlate::Look card{12, QColor(250, 250, 252), QColor(0, 0, 0, 40), 1};
    const appkit::RoundedPlate::Look knob{4.5, QColor(120, 120, 120, 200), QColor(), 0};
    const appkit::RoundedPlate::Look thick{6, QColor(30, 60, 200), QColor(255, 200, 0), 3};
    for (const auto& look : {card, knob, thick})
        for (qreal scale : {1.0, 2.0, 1.5})
            for (QSize size : {QSize(546, 300), QSize(41, 37), QSize(9, 400), QSize(7, 7)}) {
                SCOPED_TRACE(QStringLiteral("%1x%2 at %3, radius %4")
                                 .arg(size.width())
                                 .arg(size.height())
                                 .arg(scale)
                                 .arg(look.radius)
                                 .toStdString());
                const QImage painted = platePainted(size, scale, look);
                const QImage drawn = outlineDrawn(size, scale, look);
                ASSERT_EQ(painted.size(), drawn.size());
                EXPECT_LE(largestDifference(painted, drawn), 2);
            }
}

TEST(Drawing, AOneLineLabelIsAsBigAsQtsOwnLabelForTheSameTextAndFollowsItsChanges) {
    QFont small;
    small.setPointSize(9);
    QFont title;
    title.setPointSize(13);
    title.setWeight(QFont::DemiBold);
    const QStringList texts{"",
                            "80%",
                            "--%",
                            "외장 디스플레이 (DELL U2723QE)",
                            "ℹ️ 밝기 ⌃⌥⌘1 ♂",
                            "a & b",
                            "1512 x 982 (120Hz)",
                            "<b>not rich</b> text"};
    for (const QFont& font : {small, title})
        for (const auto& text : texts) {
            SCOPED_TRACE(text.toStdString());
            ui::OneLineLabel ours(text);
            QLabel qts(text);
            ours.setFont(font);
            qts.setFont(font);
            EXPECT_EQ(ours.sizeHint(), qts.sizeHint());
            EXPECT_EQ(ours.minimumSizeHint(), qts.minimumSizeHint());
            // A new text and a new font are measured again, not remembered.
            ours.setText(text + " 밝기");
            qts.setText(text + " 밝기");
            EXPECT_EQ(ours.sizeHint(), qts.sizeHint());
            QFont bigger = font;
            bigger.setPointSize(font.pointSize() + 5);
            ours.setFont(bigger);
            qts.setFont(bigger);
            EXPECT_EQ(ours.sizeHint(), qts.sizeHint());
            ui::OneLineLabel oursAtLeast(text);
            QLabel qtsAtLeast(text);
            oursAtLeast.setMinimumWidth(300);
            qtsAtLeast.setMinimumWidth(300);
            EXPECT_EQ(oursAtLeast.sizeHint(), qtsAtLeast.sizeHint());
            EXPECT_EQ(oursAtLeast.minimumSizeHint(), qtsAtLeast.minimumSizeHint());
        }
    // Word-wrapped text is QLabel's own business.
    ui::OneLineLabel wrapped("A long sentence that wraps when the label is narrow enough.");
    QLabel qts(wrapped.text());
    wrapped.setWordWrap(true);
    qts.setWordWrap(true);
    EXPECT_EQ(wrapped.sizeHint(), qts.sizeHint());
    EXPECT_EQ(wrapped.minimumSizeHint(), qts.minimumSizeHint());
}

TEST(Drawing, PictographsGetAtLeastTheRoomTheyAreDrawnInAndTitlesKeepThem) {
    QFont small;
    small.setPointSize(9);
    QFont title;
    title.setPointSize(13);
    title.setWeight(QFont::DemiBold);
    const QStringList texts{"🔋 배터리 충전 제한", "🧘♂️ 명상", "🍅 Pomodoro", "A 🌙 between"};
    // Qt's own measure, which reads the colour font: the room needed, with a little to spare.
    auto fits = [](QSize ours, QSize qts, const QFont& font) {
        EXPECT_EQ(ours.height(), qts.height());
        EXPECT_GE(ours.width(), qts.width());
        EXPECT_LE(ours.width(), qts.width() + QFontInfo(font).pixelSize() / 2);
    };
    for (const QFont& font : {small, title})
        for (const auto& text : texts) {
            SCOPED_TRACE(text.toStdString());
            ui::OneLineLabel label(text);
            QLabel qtsLabel(text);
            label.setFont(font);
            qtsLabel.setFont(font);
            fits(label.sizeHint(), qtsLabel.sizeHint(), font);

            appkit::Button checkbox(appkit::ButtonType::checkbox, text.toStdString());
            QCheckBox qtsCheckbox(text);
            checkbox.setFont(font);
            qtsCheckbox.setFont(font);
            fits(checkbox.sizeHint(), qtsCheckbox.sizeHint(), font);
            EXPECT_EQ(checkbox.title(), text.toStdString());

            appkit::Button push(appkit::ButtonType::push, "");
            QPushButton qtsPush(text);
            push.setTitle(text.toStdString());
            push.setFont(font);
            qtsPush.setFont(font);
            fits(push.sizeHint(), qtsPush.sizeHint(), font);
            EXPECT_EQ(push.title(), text.toStdString());
            // A new title is measured again.
            push.setTitle("🍅 진행 상태 및 설정");
            qtsPush.setText("🍅 진행 상태 및 설정");
            fits(push.sizeHint(), qtsPush.sizeHint(), font);
            // So is a borderless one, whose style sheet changes its padding.
            push.setBordered(false);
            qtsPush.setFlat(true);
            qtsPush.setStyleSheet("QPushButton { border: none; padding: 0; }");
            fits(push.sizeHint(), qtsPush.sizeHint(), font);
        }
}

TEST(Drawing, ATintedTemplateIsTheColourWhereTheImageIsAsQtWouldCompositeIt) {
    // Every alpha, with colours in it that must not show through, at a Retina scale.
    QImage symbol(256, 3, QImage::Format_ARGB32);
    for (int x = 0; x < 256; ++x) {
        symbol.setPixel(x, 0, qRgba(255 - x, x, 7, x));
        symbol.setPixel(x, 1, qRgba(0, 0, 0, x));
        symbol.setPixel(x, 2, qRgba(x, 255, x / 2, 255 - x));
    }
    symbol.setDevicePixelRatio(2);
    for (const QColor tint : {QColor(10, 132, 255), QColor(255, 255, 255, 128), QColor(0, 0, 0),
                              QColor(200, 40, 90, 3)}) {
        QImage expected = symbol.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        expected.setDevicePixelRatio(1);
        {
            QPainter p(&expected);
            p.setCompositionMode(QPainter::CompositionMode_SourceIn);
            p.fillRect(expected.rect(), tint);
        }
        const QImage shown = appkit::tinted(symbol, tint);
        EXPECT_EQ(shown.devicePixelRatio(), 2);
        ASSERT_EQ(shown.size(), expected.size());
        ASSERT_EQ(shown.format(), QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x)
                ASSERT_EQ(shown.pixel(x, y), expected.pixel(x, y))
                    << "at " << x << "," << y << " tinted "
                    << tint.name(QColor::HexArgb).toStdString();
    }
}
