// The rectangle selection in the main window: drawing and changing it with
// the pointer, keys, the status strip, crop, and operations limited to it.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <vector>

#include "Operations.h"
#include "SelectionOverlay.h"
#include "ShellFixture.h"

namespace {

using orvane::CDIB;
using orvane::PixelRect;

// A left-button press, move and release on the picture display, in its own pixels.
void drag(QWidget* target, QPointF from, QPointF to, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  const QPointF global = target->mapToGlobal(QPointF(0, 0));
  QMouseEvent press(QEvent::MouseButtonPress, from, global + from, Qt::LeftButton, Qt::LeftButton, mods);
  QApplication::sendEvent(target, &press);
  QMouseEvent move(QEvent::MouseMove, to, global + to, Qt::NoButton, Qt::LeftButton, mods);
  QApplication::sendEvent(target, &move);
  QMouseEvent release(QEvent::MouseButtonRelease, to, global + to, Qt::LeftButton, Qt::NoButton, mods);
  QApplication::sendEvent(target, &release);
}

uint8_t byteAt(CDIB& image, int x, int y, int c) {
  return image.DIBPointer()[(image.Height() - 1 - y) * image.SRB() + 3 * x + c];
}

std::vector<uint8_t> bytesOf(const CDIB& image) {
  return {image.DIBPointer(), image.DIBPointer() + image.ByteCount()};
}

class SelectionTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    open(writePicture("s.bmp", 40, 30));
    ASSERT_EQ(orvane::CurrentImage().Width(), 40);
  }
  orvane::SelectionOverlay& overlay() { return *main->selectionOverlay(); }
  void zoom(int menuIndex) { main->Stuff().Dispatch("mnu_Zoom", menuIndex); }
  // The picture point (x, y) in the display's pixels at the current zoom.
  QPointF on(double x, double y) const { return QPointF(x, y) * (main->ZoomPercent / 100.0); }
};

TEST_F(SelectionTest, ShiftDragSelectsInPicturePixelsAtEveryZoomAndPlainDragPans) {
  for (int menuIndex : {3, 5, 1}) {  // 100%, 200%, 50%
    zoom(menuIndex);
    SCOPED_TRACE(main->ZoomPercent);
    overlay().Clear();
    drag(main->picture(), on(30, 20), on(10, 6), Qt::ShiftModifier);  // drawn backwards
    ASSERT_TRUE(overlay().Selection());
    EXPECT_EQ(*overlay().Selection(), (PixelRect{10, 6, 20, 14}));
    EXPECT_TRUE(main->statusStrip()->text().contains(QString::fromUtf8("Selection 10, 6  20 \u00d7 14")))
        << main->statusStrip()->text().toStdString();
  }
  // Beyond the picture the rectangle stops at its edge.
  zoom(3);
  drag(main->picture(), on(35, 25), on(90, 70), Qt::ShiftModifier);
  EXPECT_EQ(*overlay().Selection(), (PixelRect{35, 25, 5, 5}));
  // The selection stays on the same picture pixels when the zoom changes.
  zoom(5);
  EXPECT_EQ(*overlay().Selection(), (PixelRect{35, 25, 5, 5}));

  // A plain drag outside the selection still moves the picture and keeps the selection.
  const QPoint before = main->picture()->pos();
  drag(main->picture(), on(2, 2), on(2, 2) + QPointF(15, 9));
  EXPECT_EQ(main->picture()->pos(), before + QPoint(15, 9));
  EXPECT_EQ(*overlay().Selection(), (PixelRect{35, 25, 5, 5}));
}

// At Fit the shown size, not the zoom percentage, maps the pointer to picture pixels.
TEST_F(SelectionTest, AtFitADragOverTheWholeShownPictureSelectsAllOfIt) {
  open(writePicture("large.bmp", 2000, 1000));  // larger than the area: it opens at Fit
  ASSERT_TRUE(main->ZoomFit);
  const QSize shown = main->picture()->size();
  ASSERT_LT(shown.width(), 2000);
  drag(main->picture(), QPointF(0, 0), QPointF(shown.width(), shown.height()), Qt::ShiftModifier);
  ASSERT_TRUE(overlay().Selection());
  EXPECT_EQ(*overlay().Selection(), (PixelRect{0, 0, 2000, 1000}));
}

TEST_F(SelectionTest, HandlesResizeADragInsideMovesAndBothStayInThePicture) {
  zoom(5);  // 200%
  drag(main->picture(), on(10, 5), on(20, 15), Qt::ShiftModifier);
  ASSERT_EQ(*overlay().Selection(), (PixelRect{10, 5, 10, 10}));
  drag(main->picture(), on(20, 15), on(26, 18));  // the bottom-right handle
  EXPECT_EQ(*overlay().Selection(), (PixelRect{10, 5, 16, 13}));
  drag(main->picture(), on(18, 5), on(18, 2));  // the top edge's handle
  EXPECT_EQ(*overlay().Selection(), (PixelRect{10, 2, 16, 16}));
  drag(main->picture(), on(10, 10), on(4, 10));  // the left edge's handle
  EXPECT_EQ(*overlay().Selection(), (PixelRect{4, 2, 22, 16}));
  drag(main->picture(), on(12, 12), on(15, 13));  // inside: moves
  EXPECT_EQ(*overlay().Selection(), (PixelRect{7, 3, 22, 16}));
  drag(main->picture(), on(12, 12), on(60, 60));  // kept inside the picture
  EXPECT_EQ(*overlay().Selection(), (PixelRect{18, 14, 22, 16}));
  // A plain click outside removes it.
  drag(main->picture(), on(2, 2), on(2, 2));
  EXPECT_FALSE(overlay().Selection());
}

TEST_F(SelectionTest, CtrlASelectsAllAndEscapeRemoves) {
  EXPECT_TRUE(main->HandleKey(Qt::Key_A, Qt::ControlModifier));
  ASSERT_TRUE(overlay().Selection());
  EXPECT_EQ(*overlay().Selection(), (PixelRect{0, 0, 40, 30}));
  EXPECT_FALSE(main->HandleKey(Qt::Key_Escape, Qt::ShiftModifier));
  EXPECT_TRUE(main->HandleKey(Qt::Key_Escape, Qt::NoModifier));
  EXPECT_FALSE(overlay().Selection());
  EXPECT_FALSE(main->statusStrip()->text().contains("Selection"));
  EXPECT_FALSE(main->HandleKey(Qt::Key_Escape, Qt::NoModifier));  // nothing left to remove
}

// Filter > Blur with a selection changes only its inside, as the
// whole-picture blur does there; Ctrl+Z gives the picture back.
TEST_F(SelectionTest, AnOperationChangesOnlyTheSelectionAndUndoes) {
  CDIB& image = orvane::CurrentImage();
  // Noise, which a blur cannot leave as it is (the opened picture is smooth).
  uint32_t state = 12345;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 120; ++x)
      image.DIBPointer()[y * image.SRB() + x] = (state = state * 1103515245 + 12345) >> 24;
  const std::vector<uint8_t> original = bytesOf(image);
  CDIB whole;
  whole.Create(40, 30);
  whole.CloneHDC(image.hDC(), orvane::SRCCOPY, 0, 0);
  orvane::FindOperation("GaussBlur")->apply(whole, {});

  overlay().SetSelection({11, 7, 17, 13});
  main->Stuff().Dispatch("mnu_Blur", 1);
  CDIB before;
  before.Create(40, 30);
  std::copy(original.begin(), original.end(), before.DIBPointer());
  int changed = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x)
      for (int c = 0; c < 3; ++c) {
        const bool inside = x >= 11 && x < 28 && y >= 7 && y < 20;
        ASSERT_EQ(byteAt(image, x, y, c), byteAt(inside ? whole : before, x, y, c)) << x << "," << y;
        changed += byteAt(image, x, y, c) != byteAt(before, x, y, c);
      }
  EXPECT_GT(changed, 100);
  // The padding bytes too.
  EXPECT_TRUE(main->HandleKey(Qt::Key_Z, Qt::ControlModifier));
  EXPECT_EQ(bytesOf(image), original);
}

TEST_F(SelectionTest, CropGivesTheRectangleAndUndoes) {
  CDIB& image = orvane::CurrentImage();
  const std::vector<uint8_t> original = bytesOf(image);
  CDIB source;
  source.Create(40, 30);
  source.CloneHDC(image.hDC(), orvane::SRCCOPY, 0, 0);
  // Without a selection the command says what to do.
  EXPECT_TRUE(main->HandleKey(Qt::Key_X, Qt::ControlModifier | Qt::ShiftModifier));
  EXPECT_EQ(messages.size(), 1);
  EXPECT_EQ(image.Width(), 40);

  overlay().SetSelection({3, 4, 13, 9});
  EXPECT_TRUE(main->HandleKey(Qt::Key_X, Qt::ControlModifier | Qt::ShiftModifier));
  ASSERT_EQ(image.Width(), 13);
  ASSERT_EQ(image.Height(), 9);
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 13; ++x)
      for (int c = 0; c < 3; ++c) ASSERT_EQ(byteAt(image, x, y, c), byteAt(source, 3 + x, 4 + y, c));
  EXPECT_FALSE(overlay().Selection());
  EXPECT_EQ(ends, 0);  // Ctrl+Shift+X is not Ctrl+X
  EXPECT_TRUE(main->HandleKey(Qt::Key_Z, Qt::ControlModifier));
  EXPECT_EQ(bytesOf(image), original);
}

// Rotate works on the whole picture even with a selection (its caption says
// so); the selection is then clamped to the picture's new size.
TEST_F(SelectionTest, WholePictureOperationsSaySoAndTheSelectionFollowsTheSize) {
  auto rotateCaption = [this] {
    for (QAction* a : main->Stuff().menu("Effect")->findChildren<QAction*>())
      if (a->property("array").toString() == "mnu_Effect_Rotate" && a->property("index").toInt() == 0)
        return a->text();
    return QString();
  };
  EXPECT_EQ(rotateCaption(), "90 Degree");
  overlay().SetSelection({20, 2, 20, 28});
  EXPECT_EQ(rotateCaption(), "90 Degree  (whole picture)");
  main->Stuff().Dispatch("mnu_Effect_Rotate", 0);
  ASSERT_EQ(orvane::CurrentImage().Width(), 30);
  ASSERT_EQ(orvane::CurrentImage().Height(), 40);
  EXPECT_EQ(*overlay().Selection(), (PixelRect{20, 2, 10, 28}));
  // Undone to the wider picture, the clamped selection stays as it is.
  EXPECT_TRUE(main->HandleKey(Qt::Key_Z, Qt::ControlModifier));
  EXPECT_EQ(*overlay().Selection(), (PixelRect{20, 2, 10, 28}));
  overlay().Clear();
  EXPECT_EQ(rotateCaption(), "90 Degree");
}

}  // namespace
