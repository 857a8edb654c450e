#include "app/AppTestSupport.h"
#include "appkit/Button.h"
#include "appkit/Colors.h"
#include "ui/CapsuleButtons.h"
#include "ui/CardView.h"
#include "ui/ClickableTitleStackView.h"
#include "ui/StyledPopUpButton.h"

#include <QAbstractItemView>
#include <QComboBox>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMouseEvent>

TEST_F(AppTest, CollapsibleCardStartsAsStoredAndToggledByItsHeaderButNotItsControls) {
    defaults().set("collapseTest", true);
    ui::CollapsibleCard card("collapseTest");
    card.setFixedWidth(520);
    auto* title = new QLabel("Title");
    auto* body = new QLabel("Body");
    card.setup(title, {body});
    EXPECT_TRUE(card.isCollapsed());
    EXPECT_EQ(card.arrowButton()->imageName(), "chevron.down");
    EXPECT_FALSE(body->isVisibleTo(&card));

    int adjusted = 0;
    card.setHost({nullptr, [&] { ++adjusted; }, nullptr});
    // A plain label in the header toggles the card; the arrow is a control and toggles too.
    EXPECT_FALSE(card.header()->isControlAt(title));
    card.header()->onClick();
    EXPECT_FALSE(card.isCollapsed());
    EXPECT_EQ(defaults().boolValue("collapseTest"), false);
    EXPECT_EQ(card.arrowButton()->imageName(), "chevron.up");
    EXPECT_TRUE(body->isVisibleTo(&card));
    EXPECT_EQ(adjusted, 1);

    // A checkbox placed in the header works as a checkbox, the card stays as it is.
    auto* box = new appkit::Button(appkit::ButtonType::checkbox, "Sync");
    card.header()->addArrangedSubview(box);
    EXPECT_TRUE(card.header()->isControlAt(box));
    box->performClick();
    EXPECT_EQ(box->state(), appkit::ControlState::on);
    EXPECT_FALSE(card.isCollapsed());
}

TEST_F(AppTest, CardsRepaintForTheAppearanceAndCapsulesReturnToNormalWhenReleasedOutside) {
    launch();
    auto& window = *controller().controlWindow;
    auto cardPixel = [&] {
        auto cards = appkit::subviews<ui::CollapsibleCard>(window.widget());
        auto* card = cards.front();
        QImage image = card->grab().toImage();
        return image.pixelColor(card->width() / 2, card->height() - 4);
    };
    window.setAppearance(appkit::Appearance::darkAqua);
    const QColor dark = cardPixel();
    window.setAppearance(appkit::Appearance::aqua);
    const QColor light = cardPixel();
    EXPECT_LT(dark.lightness(), 90) << "white 0.16 over the dark window";
    EXPECT_GT(light.lightness(), 200) << "a faint black veil over the light window";

    ui::CustomCapsuleButton pill("Start");
    pill.resize(120, 36);
    auto* control = pill.findChild<QAbstractButton*>();
    ASSERT_TRUE(control);
    const QPointF inside(10, 10), outside(500, 500);
    QEnterEvent enter(inside, inside, inside);
    QApplication::sendEvent(control, &enter);
    EXPECT_EQ(pill.currentBackground(), QColor::fromRgbF(1, 1, 1, 0.15));
    QMouseEvent press(QEvent::MouseButtonPress, inside, inside, Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(control, &press);
    EXPECT_EQ(pill.currentBackground(), QColor::fromRgbF(1, 1, 1, 0.25));
    QMouseEvent release(QEvent::MouseButtonRelease, outside, outside, Qt::LeftButton, {}, {});
    QApplication::sendEvent(control, &release);
    EXPECT_FALSE(pill.isPressed());
    EXPECT_EQ(pill.currentBackground(), QColor::fromRgbF(1, 1, 1, 0.08));
}

TEST_F(AppTest, PopUpsDrawTheirRecessedBezelAndMenusInTheAppearance) {
    launch();
    auto& window = *controller().controlWindow;
    auto popups = appkit::subviews<ui::StyledPopUpButton>(window.widget());
    ASSERT_FALSE(popups.empty());
    auto* popup = popups.front();
    auto* box = popup->findChild<QComboBox*>();
    ASSERT_TRUE(box);
    ASSERT_GE(box->count(), 2);
    auto plate = [&] { return box->grab().toImage().pixelColor(4, box->height() / 2); };
    // The open menu, behind its second item's text.
    auto menuOf = [&](QComboBox* of) {
        of->showPopup();
        QCoreApplication::processEvents();
        auto* viewport = of->view()->viewport();
        const QRect item = of->view()->visualRect(of->model()->index(1, 0));
        const int y = viewport->mapTo(viewport->window(), item.center()).y();
        const QImage image = viewport->window()->grab().toImage();
        of->hidePopup();
        return image.pixelColor(image.width() - 8, y);
    };
    auto menu = [&] { return menuOf(box); };
    const QColor darkLabel = appkit::color(appkit::SystemColor::label).resolve(true);

    window.setAppearance(appkit::Appearance::aqua);
    EXPECT_TRUE(popup->hasBezelColor());
    EXPECT_EQ(plate().red(), 224) << "the calibrated white 0.88";
    EXPECT_GT(menu().lightness(), 200);

    window.setAppearance(appkit::Appearance::darkAqua);
    EXPECT_FALSE(popup->hasBezelColor());
    EXPECT_LT(plate().lightness(), 90) << "no plate over the dark window";
    EXPECT_LT(menu().lightness(), 90) << "a light menu would hide the light titles";
    // A menu first opened in the dark appearance (built only then) is dark too.
    QComboBox* second = nullptr;
    for (auto* other : popups)
        if (auto* b = other->findChild<QComboBox*>(); b && b != box && b->count() >= 2) second = b;
    ASSERT_TRUE(second);
    EXPECT_LT(menuOf(second).lightness(), 90);
    // Items added later take the label colour too; an unavailable one is dimmed.
    popup->addItem("Later");
    const int later = box->count() - 1;
    auto titleColour = [&] {
        return box->itemData(later, Qt::ForegroundRole).value<QBrush>().color();
    };
    EXPECT_EQ(titleColour(), darkLabel);
    popup->setItemEnabled(later, false);
    EXPECT_EQ(titleColour(), appkit::color(appkit::SystemColor::tertiaryLabel).resolve(true));
}
