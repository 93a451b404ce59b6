#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>

#include "MyXPFrm.h"
#include "SignalSpy.h"
#include "XPTopButtons.h"

using orvane::MyXPFrm;
using orvane::XPTopButtons;

namespace {

class TestTopButton : public XPTopButtons {
 public:
  using XPTopButtons::XPTopButtons;
  QPoint pointer;

 protected:
  QPoint pointerPosition() const override { return mapToGlobal(pointer); }
};

void mouse(QWidget* w, QEvent::Type type, Qt::MouseButton button, QPoint pos) {
  const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
  QMouseEvent e(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), button, held, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}

TEST(XPTopButtons, AllNinePicturesShareOneSizeAndTheControlTakesIt) {
  const QSize size = XPTopButtons::picture(2, XPTopButtons::Normal).size();
  EXPECT_FALSE(size.isEmpty());
  for (int value = 0; value < 3; ++value)
    for (auto state : {XPTopButtons::Normal, XPTopButtons::Over, XPTopButtons::Down})
      EXPECT_EQ(XPTopButtons::picture(value, state).size(), size) << value << " " << state;
  XPTopButtons b(nullptr, 1);
  b.resize(100, 100);
  EXPECT_EQ(b.size(), size);
}

TEST(XPTopButtons, PictureStatesFollowThePointerAndTheButton) {
  TestTopButton b(nullptr, 0);
  SignalSpy clicks(&b, &XPTopButtons::Click);
  SignalSpy left(&b, &XPTopButtons::PointerLeft);
  const auto is = [&](int value, XPTopButtons::PictureState s) {
    return b.shownPicture().toImage() == XPTopButtons::picture(value, s).toImage();
  };
  EXPECT_TRUE(is(0, XPTopButtons::Normal));

  mouse(&b, QEvent::MouseMove, Qt::NoButton, {3, 3});
  EXPECT_EQ(b.pictureState(), XPTopButtons::Over);
  EXPECT_TRUE(is(0, XPTopButtons::Over));
  EXPECT_TRUE(b.leaveTimerActive());

  mouse(&b, QEvent::MouseButtonPress, Qt::LeftButton, {3, 3});
  EXPECT_TRUE(is(0, XPTopButtons::Down));
  // Released over the button: the normal picture until the pointer moves again.
  mouse(&b, QEvent::MouseButtonRelease, Qt::LeftButton, {3, 3});
  EXPECT_TRUE(is(0, XPTopButtons::Normal));
  EXPECT_EQ(clicks.count(), 1);

  b.pointer = {3, 3};
  b.timerTick();
  EXPECT_TRUE(b.leaveTimerActive());
  EXPECT_EQ(left.count(), 0);
  // Moved quickly off: one tick brings back the normal picture.
  mouse(&b, QEvent::MouseMove, Qt::NoButton, {3, 3});
  b.pointer = {b.width() + 5, 3};
  b.timerTick();
  EXPECT_FALSE(b.leaveTimerActive());
  EXPECT_EQ(left.count(), 1);
  EXPECT_TRUE(is(0, XPTopButtons::Normal));

  // Released away from the button: no click.
  mouse(&b, QEvent::MouseButtonPress, Qt::LeftButton, {3, 3});
  mouse(&b, QEvent::MouseButtonRelease, Qt::LeftButton, {b.width() + 5, 3});
  EXPECT_EQ(clicks.count(), 1);
}

TEST(XPTopButtons, ValueSelectsTheKindAndOtherValuesChangeNothing) {
  XPTopButtons b(nullptr, 0);
  b.setValue(2);
  EXPECT_TRUE(b.propertiesChanged());
  EXPECT_EQ(b.shownPicture().toImage(), XPTopButtons::picture(2, XPTopButtons::Normal).toImage());
  b.setValue(1);
  EXPECT_EQ(b.shownPicture().toImage(), XPTopButtons::picture(1, XPTopButtons::Normal).toImage());
  b.setValue(7);
  EXPECT_EQ(b.Value(), 7);
  EXPECT_EQ(b.shownPicture().toImage(), XPTopButtons::picture(1, XPTopButtons::Normal).toImage());
}

TEST(MyXPFrm, PaintsBorderAndTitleBarAndDrawsOnlyNonEmptyTexts) {
  MyXPFrm frame;
  frame.resize(300, 200);
  frame.show();
  const QImage plain = frame.drawing().toImage();
  EXPECT_EQ(plain.size(), QSize(300, 200));
  EXPECT_EQ(plain.pixel(0, 150), MyXPFrm::kBorderColour);
  EXPECT_EQ(plain.pixel(299, 150), MyXPFrm::kBorderColour);
  EXPECT_EQ(plain.pixel(150, 199), MyXPFrm::kBorderColour);
  EXPECT_EQ(plain.pixel(150, 150), QColor(25, 118, 218).rgb());

  frame.SetCaption("Orvane", "");
  EXPECT_EQ(frame.drawing().toImage(), plain);  // stored, not drawn yet
  frame.Caption("Orvane", "");
  const QImage named = frame.drawing().toImage();
  EXPECT_NE(named, plain);
  // Nothing of an empty version text: the area right of the name stays untouched.
  const int versionLeft = static_cast<int>(6 * 6.7 + 3 + 0.5);
  EXPECT_EQ(named.copy(versionLeft + 40, 0, 100, 26), plain.copy(versionLeft + 40, 0, 100, 26));
  frame.Caption("Orvane", "---2003 May");
  EXPECT_NE(frame.drawing().toImage().copy(versionLeft, 6, 100, 18), named.copy(versionLeft, 6, 100, 18));
}

TEST(MyXPFrm, TheSmallTitleTextNeverCoversTheBoldName) {
  const auto titleOf = [](const QString& version) {
    MyXPFrm frame;
    frame.resize(300, 200);
    frame.show();
    frame.Caption("Adjust for:", version);
    return frame.drawing().toImage();
  };
  const QImage nameOnly = titleOf("");
  const QImage both = titleOf("Persian Blinds");
  // At 6.7 pixels a character the small text would start at x = 77, inside the bold name.
  EXPECT_EQ(both.copy(0, 0, 90, 30), nameOnly.copy(0, 0, 90, 30));
  EXPECT_NE(both, nameOnly);
}

TEST(MyXPFrm, DescendersOfTheTitleAreDrawnWholeInsideTheTitleBar) {
  // The lowest row holding the title's white: letters with descenders must
  // reach clearly lower than letters without, and stay on the title bar.
  const auto lowestWhite = [](const QString& name, const QString& version) {
    MyXPFrm frame;
    frame.resize(300, 200);
    frame.show();
    frame.Caption(name, version);
    const QImage image = frame.drawing().toImage();
    int lowest = -1;
    for (int y = 0; y < 60; ++y)
      for (int x = 0; x < 300; ++x)
        if (image.pixel(x, y) == qRgb(255, 255, 255)) lowest = y;
    return std::pair{lowest, frame.titleBarHeight()};
  };
  for (const auto& [plainName, deepName] : {std::pair{"ooo", "ggg"}, std::pair{"About", "Abyg"}}) {
    const auto [plain, bar] = lowestWhite(plainName, "");
    const auto [deep, bar2] = lowestWhite(deepName, "");
    ASSERT_GE(plain, 0);
    EXPECT_GE(deep - plain, 3) << deepName;
    EXPECT_LT(deep, bar) << deepName;
  }
  const auto [plainSmall, bar] = lowestWhite("", "ooo");
  const auto [deepSmall, bar2] = lowestWhite("", "gjpqy");
  EXPECT_GE(deepSmall - plainSmall, 2);
  EXPECT_LT(deepSmall, bar);
}

TEST(MyXPFrm, DragsOnlyANormalWindowAndStillRaisesMouseDown) {
  QWidget window;
  window.resize(200, 100);
  MyXPFrm frame(&window);
  frame.resize(200, 100);
  int moves = 0;
  frame.startMove = [&](QWidget* w) {
    EXPECT_EQ(w, &window);
    ++moves;
    return true;
  };
  SignalSpy downs(&frame, &MyXPFrm::MouseDown);
  mouse(&frame, QEvent::MouseButtonPress, Qt::LeftButton, {150, 80});
  EXPECT_EQ(moves, 1);
  window.setWindowState(Qt::WindowMaximized);
  mouse(&frame, QEvent::MouseButtonPress, Qt::LeftButton, {150, 80});
  window.setWindowState(Qt::WindowMinimized);
  mouse(&frame, QEvent::MouseButtonPress, Qt::LeftButton, {150, 80});
  EXPECT_EQ(moves, 1);
  EXPECT_EQ(downs.count(), 3);
}

}  // namespace
