#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStringList>

#include "LumbraButton.h"
#include "SignalSpy.h"
#include "SkinResources.h"

using orvane::LumbraButton;

namespace {

// A button whose idea of "the widget under the pointer" the test sets.
class TestButton : public LumbraButton {
 public:
  using LumbraButton::LumbraButton;
  QWidget* under = nullptr;

 protected:
  QWidget* widgetUnderPointer() const override { return under; }
};

void mouse(QWidget* w, QEvent::Type type, Qt::MouseButton button, QPoint pos,
           Qt::KeyboardModifiers mods = Qt::NoModifier) {
  const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
  QMouseEvent e(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), button, held, mods);
  QApplication::sendEvent(w, &e);
}

void key(QWidget* w, QEvent::Type type, int k, bool autoRepeat = false) {
  QKeyEvent e(type, k, Qt::NoModifier, k == Qt::Key_Space ? QStringLiteral(" ") : QString(), autoRepeat);
  QApplication::sendEvent(w, &e);
}

class LumbraButtonTest : public testing::Test {
 protected:
  void SetUp() override {
    orvane::SetSoundPlayer([this](const QString& f) { sounds << f; });
    LumbraButton::SetUrlOpener([this](const QString& u, bool shell) {
      urls << (shell ? "shell:" : "web:") + u;
      return true;
    });
    button.resize(80, 30);
  }
  void TearDown() override {
    orvane::SetSoundPlayer(nullptr);
    LumbraButton::SetUrlOpener(nullptr);
  }
  QStringList sounds;
  QStringList urls;
  TestButton button{nullptr, "bOK"};
};

TEST_F(LumbraButtonTest, DefaultsOfAFreshButton) {
  EXPECT_EQ(button.Caption(), "bOK");
  EXPECT_EQ(button.PicturePosition(), 1);
  EXPECT_EQ(button.PictureWidth(), 32);
  EXPECT_EQ(button.BEVELDEPTH(), 8);
  EXPECT_TRUE(button.DefCurHand());
  EXPECT_EQ(button.MousePointer(), 99);  // the hand pointer is custom
  EXPECT_TRUE(button.XPWinStyle());
  EXPECT_EQ(button.SoundOver(), ".\\resources\\over.wav");
  EXPECT_EQ(button.SoundClick(), ".\\resources\\click.wav");
  EXPECT_EQ(button.version(), "2712015");
  button.setVersion("1");
  EXPECT_EQ(button.version(), "2712015");
}

TEST_F(LumbraButtonTest, ClickOnlyWhenReleasedInsideWithANonRightButton) {
  SignalSpy clicks(&button, &LumbraButton::Click);
  SignalSpy ups(&button, &LumbraButton::MouseUp);
  SignalSpy downs(&button, &LumbraButton::MouseDown);

  mouse(&button, QEvent::MouseButtonPress, Qt::LeftButton, {10, 10});
  EXPECT_TRUE(button.looksPressed());
  mouse(&button, QEvent::MouseButtonRelease, Qt::LeftButton, {10, 10});
  EXPECT_EQ(clicks.count(), 1);
  EXPECT_FALSE(button.isPressed());
  EXPECT_EQ(sounds.count(".\\resources\\click.wav"), 1);

  // Released outside: MouseUp, no Click, no sound.
  mouse(&button, QEvent::MouseButtonPress, Qt::LeftButton, {10, 10});
  mouse(&button, QEvent::MouseButtonRelease, Qt::LeftButton, {200, 10});
  EXPECT_EQ(clicks.count(), 1);
  EXPECT_EQ(ups.count(), 2);
  EXPECT_EQ(sounds.count(".\\resources\\click.wav"), 1);
  // The right edge is outside (x < width).
  mouse(&button, QEvent::MouseButtonPress, Qt::LeftButton, {10, 10});
  mouse(&button, QEvent::MouseButtonRelease, Qt::LeftButton, {80, 10});
  EXPECT_EQ(clicks.count(), 1);

  // Right button: never pressed, never clicks, still raises its events.
  mouse(&button, QEvent::MouseButtonPress, Qt::RightButton, {10, 10}, Qt::ShiftModifier);
  EXPECT_FALSE(button.isPressed());
  mouse(&button, QEvent::MouseButtonRelease, Qt::RightButton, {10, 10});
  EXPECT_EQ(clicks.count(), 1);
  ASSERT_EQ(downs.count(), 4);
  EXPECT_EQ(downs.last().at(0).toInt(), 2);
  EXPECT_EQ(downs.last().at(1).toInt(), 1);  // Shift
}

TEST_F(LumbraButtonTest, DoubleClickGivesTwoClicks) {
  SignalSpy clicks(&button, &LumbraButton::Click);
  mouse(&button, QEvent::MouseButtonPress, Qt::LeftButton, {5, 6});
  mouse(&button, QEvent::MouseButtonRelease, Qt::LeftButton, {5, 6});
  mouse(&button, QEvent::MouseButtonDblClick, Qt::LeftButton, {5, 6});
  EXPECT_TRUE(button.isPressed());
  mouse(&button, QEvent::MouseButtonRelease, Qt::LeftButton, {5, 6});
  EXPECT_EQ(clicks.count(), 2);
}

TEST_F(LumbraButtonTest, HeldSpaceClicksOnceAndLooksPressedUntilReleased) {
  SignalSpy clicks(&button, &LumbraButton::Click);
  SignalSpy keyDowns(&button, &LumbraButton::KeyDown);
  key(&button, QEvent::KeyPress, Qt::Key_Space);
  key(&button, QEvent::KeyPress, Qt::Key_Space, true);
  key(&button, QEvent::KeyPress, Qt::Key_Space, true);
  EXPECT_EQ(clicks.count(), 1);
  EXPECT_EQ(keyDowns.count(), 3);
  EXPECT_TRUE(button.looksPressed());
  key(&button, QEvent::KeyRelease, Qt::Key_Space);
  EXPECT_FALSE(button.isPressed());
  EXPECT_FALSE(button.isKeyHeld());
  // Enter clicks without pressing.
  key(&button, QEvent::KeyPress, Qt::Key_Return);
  EXPECT_EQ(clicks.count(), 2);
  EXPECT_FALSE(button.isPressed());
  key(&button, QEvent::KeyRelease, Qt::Key_Return);
}

TEST_F(LumbraButtonTest, HoverEntersOnceAndLeavesThroughTheTimer) {
  SignalSpy ins(&button, &LumbraButton::MouseIn);
  SignalSpy outs(&button, &LumbraButton::MouseOut);
  QPixmap normal(8, 8), hover(8, 8);
  normal.fill(Qt::red);
  hover.fill(Qt::green);
  button.setPicture(normal);
  button.setPictureHover(hover);
  button.under = &button;

  mouse(&button, QEvent::MouseMove, Qt::NoButton, {3, 3});
  mouse(&button, QEvent::MouseMove, Qt::NoButton, {4, 3});
  EXPECT_EQ(ins.count(), 1);
  EXPECT_TRUE(button.isHovering());
  EXPECT_TRUE(button.hoverTimerActive());
  EXPECT_EQ(button.shownPicture().toImage().pixelColor(0, 0), QColor(Qt::green));
  EXPECT_EQ(sounds, QStringList{".\\resources\\over.wav"});

  button.overTimerTick();  // still over the button
  EXPECT_TRUE(button.isHovering());

  // Pressed, then the pointer leaves: drawn unpressed but still held.
  mouse(&button, QEvent::MouseButtonPress, Qt::LeftButton, {3, 3});
  button.under = nullptr;
  button.overTimerTick();
  EXPECT_EQ(outs.count(), 1);
  EXPECT_FALSE(button.isHovering());
  EXPECT_FALSE(button.hoverTimerActive());
  EXPECT_TRUE(button.isPressed());
  EXPECT_FALSE(button.looksPressed());
  EXPECT_EQ(button.shownPicture().toImage().pixelColor(0, 0), QColor(Qt::red));
}

TEST_F(LumbraButtonTest, UrlsOpenAfterTheClickByKind) {
  QStringList order;
  QObject::connect(&button, &LumbraButton::Click, [&] { order << "click"; });
  LumbraButton::SetUrlOpener([&](const QString& u, bool shell) {
    order << (shell ? "shell:" : "web:") + u;
    return true;
  });
  button.setURL("mailto:someone@example.org");
  mouse(&button, QEvent::MouseButtonPress, Qt::LeftButton, {1, 1});
  mouse(&button, QEvent::MouseButtonRelease, Qt::LeftButton, {1, 1});
  button.setURL("https://example.org");
  key(&button, QEvent::KeyPress, Qt::Key_Return);
  key(&button, QEvent::KeyRelease, Qt::Key_Return);
  button.setURL("");
  button.GoToURL();
  EXPECT_EQ(order,
            (QStringList{"click", "shell:mailto:someone@example.org", "click", "web:https://example.org"}));
}

TEST_F(LumbraButtonTest, MissingSoundFileIsSilentAndTheClickStillHappens) {
  orvane::SetSoundPlayer(nullptr);  // the real player
  button.setSoundClick("./resources/no-such-sound.wav");
  SignalSpy clicks(&button, &LumbraButton::Click);
  mouse(&button, QEvent::MouseButtonPress, Qt::LeftButton, {1, 1});
  mouse(&button, QEvent::MouseButtonRelease, Qt::LeftButton, {1, 1});
  EXPECT_EQ(clicks.count(), 1);
  EXPECT_TRUE(orvane::ResolveResourceFile("./resources/no-such-sound.wav").isEmpty());
}

TEST_F(LumbraButtonTest, PictureSizeAndPointerRules) {
  QPixmap pic(20, 12);
  button.setPictureSize(0);
  EXPECT_EQ(QSize(button.PictureWidth(), button.PictureHeight()), QSize(16, 16));
  button.setPictureSize(2);  // no picture yet: 32 x 32
  EXPECT_EQ(QSize(button.PictureWidth(), button.PictureHeight()), QSize(32, 32));
  button.setPicture(pic);
  button.setPictureSize(2);
  EXPECT_EQ(QSize(button.PictureWidth(), button.PictureHeight()), QSize(20, 12));
  button.setPictureSize(7);
  EXPECT_EQ(QSize(button.PictureWidth(), button.PictureHeight()), QSize(20, 12));

  button.setMousePointer(3);
  button.setDefCurHand(false);  // leaves MousePointer alone
  EXPECT_EQ(button.MousePointer(), 3);
  EXPECT_TRUE(button.MouseIcon().isNull());
  button.setDefCurHand(true);
  EXPECT_EQ(button.MousePointer(), 99);
}

TEST_F(LumbraButtonTest, TinySizesGrowAndXPCornersAreCut) {
  button.show();  // hidden widgets get their resize events only when shown
  button.resize(4, 30);
  EXPECT_EQ(button.width(), 10);
  button.resize(40, 20);
  button.setXPStyle(true);
  const QRegion mask = button.mask();
  EXPECT_FALSE(mask.contains(QPoint(0, 0)));
  EXPECT_FALSE(mask.contains(QPoint(1, 0)));
  EXPECT_FALSE(mask.contains(QPoint(0, 1)));
  EXPECT_TRUE(mask.contains(QPoint(1, 1)));
  EXPECT_TRUE(mask.contains(QPoint(2, 0)));
  EXPECT_FALSE(mask.contains(QPoint(38, 19)));
  EXPECT_FALSE(mask.contains(QPoint(39, 18)));
  EXPECT_TRUE(mask.contains(QPoint(38, 18)));
  button.setXPWinStyle(false);
  EXPECT_TRUE(button.mask().isEmpty());
}

TEST_F(LumbraButtonTest, SavedPropertiesRoundTripUnderTheirNames) {
  button.setRAISED(true);
  button.setBEVEL(3);
  button.setURL("https://example.org");
  EXPECT_TRUE(button.propertiesChanged());
  const QVariantMap bag = button.WriteProperties();
  EXPECT_FALSE(button.propertiesChanged());
  EXPECT_TRUE(bag.value("Raised").toBool());
  EXPECT_FALSE(bag.contains("RAISED"));
  EXPECT_EQ(bag.value("OriginalPicSizeW").toInt(), 32);
  TestButton other(nullptr, "bOther");
  other.ReadProperties(bag);
  EXPECT_TRUE(other.RAISED());
  EXPECT_EQ(other.BEVEL(), 3);
  EXPECT_EQ(other.Caption(), "bOK");
  other.ReadProperties({});
  EXPECT_FALSE(other.RAISED());
  EXPECT_EQ(other.Caption(), "bOther");
}

TEST(ShadeColor, ShiftsRedAndGreenScalesBlueAndClamps) {
  EXPECT_EQ(orvane::ShadeColor(QColor(100, 100, 100), 20), QColor(120, 120, 110));  // 100*20/192 = 10.4
  EXPECT_EQ(orvane::ShadeColor(QColor(250, 5, 200), 30), QColor(255, 35, 231));     // 6000/192 = 31.25
  EXPECT_EQ(orvane::ShadeColor(QColor(10, 10, 100), -20), QColor(0, 0, 90));        // -2000/192 = -10.4
}

}  // namespace
