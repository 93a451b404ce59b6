// The adjustment dialog: loading every mode, preview and live apply, OK,
// Cancel and close, and the pane rules that tie controls together.
#include <QApplication>
#include <QCheckBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRadioButton>
#include <memory>

#include "AdjustModes.h"
#include "AdjustTestSupport.h"
#include "AdjustWidgets.h"
#include "DialogSupport.h"
#include "LumbraButton.h"
#include "MyXPFrm.h"
#include "XPTopButtons.h"
#include "cEffectDIB.h"
#include "cFilterDIB.h"

namespace adjust_test {
namespace {

using orvane::CurrentImage;
using orvane::frmAdjust;

class AdjustDialog : public AdjustFixture {
 protected:
  std::unique_ptr<frmAdjust> Open(int mode) {
    auto dlg = std::make_unique<frmAdjust>();
    dlg->AdjustType = mode;
    dlg->Load();
    Settle(*dlg);
    return dlg;
  }
  static void Ok(frmAdjust& dlg) { emit dlg.okButton()->Click(); }
  static void Cancel(frmAdjust& dlg) { emit dlg.cancelButton()->Click(); }
  // The pane's operation on a copy of the picture the dialog opened on.
  template <typename Op>
  std::vector<uint8_t> Expected(Op op) {
    CDIB copy;
    CopyInto(copy, CurrentImage());
    std::memcpy(copy.DIBPointer(), original.data(), original.size());
    op(copy);
    return Bytes(copy);
  }
};

TEST_F(AdjustDialog, EveryModeShowsItsPaneTitleAndStartValues) {
  const char* titles[] = {"Brightness and Contrast",
                          "Exposal",
                          "Adjust Levels",
                          "Hue and Saturation",
                          "Mix Solid Color",
                          "Red Green Blue",
                          "RGB Bounds",
                          "Black and White",
                          "Average Blur",
                          "Direction Blur",
                          "Sharpen Balance",
                          "Emboss",
                          "Canvas",
                          "Diffuse",
                          "Nostalgic",
                          "Neon",
                          "Ice",
                          "Erode",
                          "Wave",
                          "Wind",
                          "Fog",
                          "WaterColour",
                          "Comedy",
                          "Spotted",
                          "Resize",
                          "Persian Blinds",
                          "Parallel",
                          "Trapezia",
                          "Pentagon"};
  for (int mode = 1; mode <= 29; ++mode) {
    SCOPED_TRACE(mode);
    auto dlg = Open(mode);
    EXPECT_EQ(dlg->frame()->programName(), "Adjust for:");
    EXPECT_EQ(dlg->frame()->versionText(), titles[mode - 1]);
    for (int n = 0; n <= 29; ++n) EXPECT_EQ(dlg->pane(n)->isVisibleTo(dlg.get()), n == mode) << n;
    // Every value label shows its slider's value.
    for (const orvane::SliderSpec* desc : orvane::SlidersOfMode(mode)) {
      QScrollBar* s = Slider(*dlg, desc->name);
      EXPECT_EQ(Label(*dlg, desc->valueLabel), QString::number(s->value())) << desc->name;
      EXPECT_EQ(s->value(), desc->start == orvane::kStartAtMin ? s->minimum() : desc->start) << desc->name;
    }
    EXPECT_TRUE(dlg->previewCheck()->isChecked());
    Cancel(*dlg);
  }
  EXPECT_EQ(Bytes(CurrentImage()), original);
}

TEST_F(AdjustDialog, StartValuesRangesAndLargeChanges) {
  {
    auto dlg = Open(6);
    EXPECT_EQ(Slider(*dlg, "HSRGBBlue")->value(), 1);
    EXPECT_EQ(Label(*dlg, "LabRGBBlue"), "1");
    EXPECT_EQ(Slider(*dlg, "HSRGBRed")->value(), 0);
    EXPECT_EQ(Label(*dlg, "LabRGBRed"), "0");
    EXPECT_EQ(Slider(*dlg, "HSRGBGreen")->value(), 0);
    EXPECT_EQ(Label(*dlg, "LabRGBGreen"), "0");
    EXPECT_EQ(Slider(*dlg, "HSRGBRed")->minimum(), -255);
    EXPECT_EQ(Slider(*dlg, "HSRGBRed")->pageStep(), 85);
  }
  {
    // Set directly, not through the common set-up: large change stays 1.
    auto dlg = Open(1);
    EXPECT_EQ(Slider(*dlg, "HSBright")->value(), 0);
    EXPECT_EQ(Slider(*dlg, "HSContrast")->value(), 100);
    EXPECT_EQ(Label(*dlg, "LabContrast"), "100");
    EXPECT_EQ(Label(*dlg, "LabBrightness"), "0");
    EXPECT_EQ(Slider(*dlg, "HSContrast")->maximum(), 600);
    EXPECT_EQ(Slider(*dlg, "HSContrast")->pageStep(), 1);
    EXPECT_EQ(Slider(*dlg, "HSBright")->pageStep(), 1);
  }
  {
    auto dlg = Open(10);  // direction starts at its minimum
    EXPECT_EQ(Slider(*dlg, "HSDBlurDirection")->value(), 1);
    EXPECT_EQ(Label(*dlg, "LabDBlurDirection"), "1");
    EXPECT_EQ(Slider(*dlg, "HSDBlur")->value(), 5);
    EXPECT_EQ(Label(*dlg, "LabDBlurIntensity"), "5");
  }
  {
    auto dlg = Open(8);
    EXPECT_TRUE(dlg->findChild<QRadioButton*>("OpAverage")->isChecked());
    EXPECT_FALSE(dlg->findChild<QRadioButton*>("OpFull")->isChecked());
    EXPECT_EQ(Label(*dlg, "LabBlackWhite"), "128");
  }
}

// Setting the start values is not a change: opening leaves the picture and
// the preview as they were, and OK untouched keeps the bytes, even where the
// start values are not neutral (Brightness/Contrast, Hue/Saturation, ...).
TEST_F(AdjustDialog, NothingIsAppliedUntilAControlIsChanged) {
  for (int mode = 1; mode <= 29; ++mode) {
    SCOPED_TRACE(mode);
    shell = RecordingShell{};
    auto dlg = Open(mode);
    EXPECT_EQ(Bytes(CurrentImage()), original);
    EXPECT_EQ(Bytes(dlg->previewImage()), Bytes(dlg->previewSource()));
    EXPECT_EQ(shell.changePics, 0);
    // Ticking "Preview" again does not apply the untouched values either.
    dlg->previewCheck()->setChecked(false);
    dlg->previewCheck()->setChecked(true);
    Settle(*dlg);
    EXPECT_EQ(Bytes(CurrentImage()), original);
    Ok(*dlg);
    EXPECT_EQ(Bytes(CurrentImage()), original);
    EXPECT_TRUE(warnings.empty());
  }
  // The first change applies the pane with all its values.
  auto dlg = Open(1);
  Slider(*dlg, "HSBright")->setValue(5);
  Settle(*dlg);
  const auto expected = Expected([](CDIB& c) {
    orvane::FilterObject().Brightness(c, 5);
    orvane::FilterObject().Contrast(c, 100);
  });
  EXPECT_EQ(Bytes(CurrentImage()), expected);
  EXPECT_NE(Bytes(dlg->previewImage()), Bytes(dlg->previewSource()));
  Ok(*dlg);
  EXPECT_EQ(Bytes(CurrentImage()), expected);
}

// Held down, "Before" shows the picture as the dialog found it in the main
// window; let go, the changed picture again.
TEST_F(AdjustDialog, BeforeShowsThePictureAsItWasWhileHeld) {
  auto dlg = Open(1);
  Slider(*dlg, "HSBright")->setValue(40);
  Settle(*dlg);
  ASSERT_NE(Bytes(CurrentImage()), original);
  emit dlg->beforeButton()->MouseDown(1, 0, 1, 1);
  EXPECT_EQ(shell.shownInstead, original);
  emit dlg->beforeButton()->MouseUp(1, 0, 1, 1);
  EXPECT_TRUE(shell.shownInstead.empty());
  EXPECT_EQ(shell.shows, 2);
  Cancel(*dlg);
}

// Rectangle `r` (from the top left) of `image`, read pixel by pixel.
QImage Part(const CDIB& image, QRect r) {
  return image.ToQImage().copy(r).convertToFormat(QImage::Format_RGB888);
}
QImage Whole(const CDIB& image) { return image.ToQImage().convertToFormat(QImage::Format_RGB888); }

// The preview shows a detail of the picture at 1:1, from under the image
// area's centre, as large as the box allows and never beyond the picture.
TEST_F(AdjustDialog, ThePreviewShowsADetailAtOneToOne) {
  Fill(CurrentImage(), 400, 100, 3);
  auto dlg = Open(6);
  const QRect inner = dlg->previewBox()->contentsRect();
  ASSERT_LT(inner.width(), 400);
  EXPECT_EQ(dlg->detailRect(), QRect(200 - inner.width() / 2, 0, inner.width(), 100));
  EXPECT_EQ(Whole(dlg->previewSource()), Part(dlg->backupImage(), dlg->detailRect()));
  EXPECT_EQ(dlg->previewBox()->picture().size(), QSize(inner.width(), 100));
  // Centred: equal bands above and below.
  const QRect at = dlg->previewBox()->pictureRect();
  EXPECT_LE(std::abs((at.top() - inner.top()) - (inner.bottom() - at.bottom())), 1);

  // Dragging moves the detail the other way, and no further than the picture's edge.
  const QRect before = dlg->detailRect();
  auto mouse = [&](QEvent::Type type, QPoint p) {
    QMouseEvent e(type, QPointF(p), QPointF(dlg->previewBox()->mapToGlobal(p)), Qt::LeftButton,
                  type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(dlg->previewBox(), &e);
  };
  mouse(QEvent::MouseButtonPress, {100, 50});
  mouse(QEvent::MouseMove, {90, 50});
  EXPECT_EQ(dlg->detailRect(), before.translated(10, 0));
  EXPECT_EQ(Whole(dlg->previewSource()), Part(dlg->backupImage(), dlg->detailRect()));
  mouse(QEvent::MouseMove, {-900, 50});
  mouse(QEvent::MouseButtonRelease, {-900, 50});
  EXPECT_EQ(dlg->detailRect().right(), 399);
  Cancel(*dlg);

  Fill(CurrentImage(), 10, 300, 4);
  auto tall = Open(2);
  EXPECT_EQ(tall->detailRect(), QRect(0, 150 - inner.height() / 2, 10, inner.height()));
  Cancel(*tall);
}

// What the preview shows is what the picture gets over the same rectangle:
// for an operation that depends on the picture's size (the blinds' count) once
// the live apply is in, and for a per-pixel one also without it.
TEST_F(AdjustDialog, ThePreviewShowsWhatThePictureGets) {
  Fill(CurrentImage(), 500, 400, 5);
  auto dlg = Open(26);
  Slider(*dlg, "HSBlinds")->setValue(7);
  Settle(*dlg);
  QCoreApplication::processEvents();
  EXPECT_EQ(Whole(dlg->previewImage()), Part(CurrentImage(), dlg->detailRect()));
  const QRect shown = dlg->detailRect();
  const QImage preview = Whole(dlg->previewImage());
  Ok(*dlg);
  EXPECT_EQ(Part(CurrentImage(), shown), preview);

  auto bright = Open(1);
  bright->previewCheck()->setChecked(false);
  Slider(*bright, "HSBright")->setValue(40);
  Settle(*bright);
  CDIB expected;
  CopyInto(expected, bright->backupImage());
  orvane::FilterObject().Brightness(expected, 40);
  orvane::FilterObject().Contrast(expected, 100);
  EXPECT_EQ(Whole(bright->previewImage()), Part(expected, bright->detailRect()));
  Cancel(*bright);
}

TEST_F(AdjustDialog, CancelAfterSeveralChangesGivesThePictureBack) {
  auto dlg = Open(21);
  Slider(*dlg, "HSFog")->setValue(30);
  Settle(*dlg);
  Slider(*dlg, "HSFogArea")->setValue(700);
  EXPECT_EQ(Label(*dlg, "LabFogArea"), "700");
  Settle(*dlg);
  dlg->previewCheck()->setChecked(false);
  Slider(*dlg, "HSFog")->setValue(50);
  Settle(*dlg);
  EXPECT_NE(Bytes(CurrentImage()), original);
  const int zoomsBefore = shell.zooms;
  Cancel(*dlg);
  EXPECT_EQ(Bytes(CurrentImage()), original);
  EXPECT_EQ(shell.zooms, zoomsBefore + 1);
  EXPECT_FALSE(dlg->isLoaded());
  EXPECT_EQ(dlg->backupImage().DIBPointer(), nullptr);
  EXPECT_EQ(dlg->previewImage().DIBPointer(), nullptr);
}

TEST_F(AdjustDialog, EveryOtherWayOfClosingAlsoRestores) {
  auto Open = [this](int mode) {
    auto dlg = AdjustDialog::Open(mode);
    Slider(*dlg, "HSNeon")->setValue(40);
    Settle(*dlg);
    return dlg;
  };
  {
    auto dlg = Open(16);
    ASSERT_NE(Bytes(CurrentImage()), original);
    emit dlg->closeButton()->Click();
    EXPECT_EQ(Bytes(CurrentImage()), original);
  }
  {
    auto dlg = Open(16);
    dlg->reject();  // Escape
    EXPECT_EQ(Bytes(CurrentImage()), original);
  }
  {
    auto dlg = Open(16);
    dlg->show();
    dlg->close();  // the window manager's close
    EXPECT_EQ(Bytes(CurrentImage()), original);
  }
}

TEST_F(AdjustDialog, OkWithPreviewUntickedAppliesThePaneValues) {
  auto dlg = Open(6);
  dlg->previewCheck()->setChecked(false);
  Cancel(*dlg);  // back to the original first
  auto fresh = std::make_unique<frmAdjust>();
  fresh->AdjustType = 6;
  fresh->previewCheck()->setChecked(false);
  fresh->Load();
  Settle(*fresh);
  EXPECT_EQ(Bytes(CurrentImage()), original);
  Slider(*fresh, "HSRGBRed")->setValue(30);
  Slider(*fresh, "HSRGBGreen")->setValue(-20);
  Slider(*fresh, "HSRGBBlue")->setValue(5);
  Settle(*fresh);
  EXPECT_EQ(Bytes(CurrentImage()), original);
  Ok(*fresh);
  EXPECT_EQ(Bytes(CurrentImage()),
            Expected([](CDIB& c) { orvane::FilterObject().RGBBalance(c, 30, -20, 5); }));
}

TEST_F(AdjustDialog, UntickingKeepsTheLastLiveResultAndOkRecomputesFromTheBackup) {
  auto dlg = Open(1);
  Slider(*dlg, "HSBright")->setValue(40);
  Settle(*dlg);
  const auto live = Bytes(CurrentImage());
  dlg->previewCheck()->setChecked(false);
  Slider(*dlg, "HSBright")->setValue(-60);
  Settle(*dlg);
  EXPECT_EQ(Bytes(CurrentImage()), live);
  // Ticking again applies at once.
  dlg->previewCheck()->setChecked(true);
  Settle(*dlg);
  const auto expected = Expected([](CDIB& c) {
    orvane::FilterObject().Brightness(c, -60);
    orvane::FilterObject().Contrast(c, 100);
  });
  EXPECT_EQ(Bytes(CurrentImage()), expected);
  dlg->previewCheck()->setChecked(false);
  Ok(*dlg);
  EXPECT_EQ(Bytes(CurrentImage()), expected);
}

TEST_F(AdjustDialog, MovingASliderBackLeavesNoTrace) {
  auto dlg = Open(4);
  Slider(*dlg, "HSHue")->setValue(5);  // a change, then back to the start
  Slider(*dlg, "HSHue")->setValue(0);
  Settle(*dlg);
  const auto atStartImage = Bytes(CurrentImage());
  ASSERT_NE(atStartImage, original);  // saturation 10 applies
  const auto atStartPreview = Bytes(dlg->previewImage());
  for (int hue : {100, -250, 360, 0}) {
    Slider(*dlg, "HSHue")->setValue(hue);
    Settle(*dlg);
  }
  EXPECT_EQ(Label(*dlg, "LabHue"), "0");
  EXPECT_EQ(Bytes(CurrentImage()), atStartImage);
  EXPECT_EQ(Bytes(dlg->previewImage()), atStartPreview);
  Cancel(*dlg);
}

TEST_F(AdjustDialog, AMinimumNeverReachesItsMaximum) {
  for (int mode : {3, 7}) {
    SCOPED_TRACE(mode);
    const char* const names[2][6] = {
        {"HSLevelsRMin", "HSLevelsRMax", "HSLevelsGMin", "HSLevelsGMax", "HSLevelsBMin", "HSLevelsBMax"},
        {"HSBoundsRMin", "HSBoundsRMax", "HSBoundsGMin", "HSBoundsGMax", "HSBoundsBMin", "HSBoundsBMax"}};
    const char* const labels[2][6] = {
        {"LabRedMin", "LabRedMax", "LabGreenMin", "LabGreenMax", "LabBlueMin", "LabBlueMax"},
        {"LabBoundsRMin", "LabBoundsRMax", "LabBoundsGMin", "LabBoundsGMax", "LabBoundsBMin",
         "LabBoundsBMax"}};
    const auto& n = names[mode == 3 ? 0 : 1];
    const auto& l = labels[mode == 3 ? 0 : 1];
    auto dlg = Open(mode);
    EXPECT_EQ(Slider(*dlg, n[0])->pageStep(), 42);
    for (int pair = 0; pair < 3; ++pair) {
      QScrollBar* min = Slider(*dlg, n[2 * pair]);
      QScrollBar* max = Slider(*dlg, n[2 * pair + 1]);
      min->setValue(100);
      EXPECT_EQ(Label(*dlg, l[2 * pair]), "100");
      max->setValue(100);  // dragged down onto the minimum
      EXPECT_EQ(min->value(), 0);
      EXPECT_EQ(Label(*dlg, l[2 * pair]), "0");
      EXPECT_EQ(Label(*dlg, l[2 * pair + 1]), "100");
      min->setValue(150);  // moved up past the maximum
      EXPECT_EQ(min->value(), 0);
      max->setValue(255);
    }
    Settle(*dlg);
    Cancel(*dlg);
  }
}

TEST_F(AdjustDialog, LevelsArePassedInPaneOrder) {
  auto dlg = Open(3);
  Slider(*dlg, "HSLevelsRMin")->setValue(10);
  Slider(*dlg, "HSLevelsRMax")->setValue(200);
  Slider(*dlg, "HSLevelsGMin")->setValue(20);
  Slider(*dlg, "HSLevelsGMax")->setValue(180);
  Slider(*dlg, "HSLevelsBMin")->setValue(30);
  Slider(*dlg, "HSLevelsBMax")->setValue(160);
  Settle(*dlg);
  EXPECT_EQ(Bytes(CurrentImage()),
            Expected([](CDIB& c) { orvane::FilterObject().AdjLevel(c, 10, 200, 20, 180, 30, 160); }));
  Cancel(*dlg);
}

TEST_F(AdjustDialog, SecondaryControlsRunThePanesOperationWithAllValues) {
  {  // the three ratios go bottom, median, top
    auto dlg = Open(29);
    Slider(*dlg, "HSPentagonTop")->setValue(10);
    Slider(*dlg, "HSPentagonBottom")->setValue(90);
    EXPECT_EQ(Label(*dlg, "LabPentagonBottom"), "90");
    Slider(*dlg, "HSPentagonMedian")->setValue(60);
    Settle(*dlg);
    EXPECT_EQ(Bytes(CurrentImage()),
              Expected([](CDIB& c) { orvane::EffectObject().Pentagon(c, 90, 60, 10); }));
    Cancel(*dlg);
  }
  {
    auto dlg = Open(27);
    dlg->findChild<QCheckBox*>("CheckParallelRev")->setChecked(true);
    Settle(*dlg);
    EXPECT_EQ(Bytes(CurrentImage()),
              Expected([](CDIB& c) { orvane::EffectObject().Parallel(c, 50, true, false); }));
    Cancel(*dlg);
  }
  {
    auto dlg = Open(28);
    dlg->findChild<QCheckBox*>("CheckTrapeziaHor")->setChecked(true);
    Slider(*dlg, "HSTrapezia")->setValue(70);
    Settle(*dlg);
    EXPECT_EQ(Bytes(CurrentImage()),
              Expected([](CDIB& c) { orvane::EffectObject().Trapezia(c, 70, false, true); }));
    Cancel(*dlg);
  }
  {
    auto dlg = Open(8);
    dlg->findChild<QRadioButton*>("OpFull")->setChecked(true);
    Settle(*dlg);
    EXPECT_EQ(Bytes(CurrentImage()),
              Expected([](CDIB& c) { orvane::FilterObject().BlackWhite(c, false, 128); }));
    Cancel(*dlg);
  }
  {  // a count of 0 is run as 1 but the slider stays at 0
    auto dlg = Open(26);
    dlg->findChild<QCheckBox*>("CheckBlindsBump")->setChecked(true);
    Slider(*dlg, "HSBlinds")->setValue(0);
    Settle(*dlg);
    EXPECT_EQ(Slider(*dlg, "HSBlinds")->value(), 0);
    EXPECT_EQ(Label(*dlg, "LabBlinds"), "0");
    EXPECT_EQ(Bytes(CurrentImage()), Expected([](CDIB& c) {
                int32_t n = 0;
                orvane::EffectObject().Blinds(c, n, false, false, true);
              }));
    Cancel(*dlg);
  }
}

TEST_F(AdjustDialog, ColourBoxesAskForAColourAndRerunThePreview) {
  QColor offered;
  QColor answer(10, 20, 30);
  orvane::frmAdjust::SetColorChooser([&](const QColor& initial, QWidget*) {
    offered = initial;
    return answer;
  });
  {
    auto dlg = Open(5);
    auto* box = dlg->findChild<orvane::ColorBox*>("picColor");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->toolTip(), "Click to  Choose a Color");
    const int before = shell.changePics;
    emit box->clicked();
    Settle(*dlg);
    EXPECT_EQ(offered, QColor(0, 0, 100));
    EXPECT_EQ(box->color(), answer);
    EXPECT_GT(shell.changePics, before);
    EXPECT_EQ(Bytes(CurrentImage()),
              Expected([](CDIB& c) { orvane::EffectObject().MixColor(c, 50, 10, 20, 30); }));
    // Cancelling the chooser keeps the colour and still re-runs.
    answer = QColor();
    const int again = shell.changePics;
    emit box->clicked();
    Settle(*dlg);
    EXPECT_EQ(box->color(), QColor(10, 20, 30));
    EXPECT_GT(shell.changePics, again);
    Cancel(*dlg);
  }
  {
    answer = QColor(200, 100, 50);
    auto dlg = Open(12);
    auto* box = dlg->findChild<orvane::ColorBox*>("PicEmbossColor");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->toolTip(), "Please choose a color");
    emit box->clicked();
    EXPECT_EQ(offered, QColor(128, 128, 128));
    dlg->findChild<QCheckBox*>("CheckEmboss")->setChecked(false);
    Slider(*dlg, "HSEmbossDirection")->setValue(6);
    Slider(*dlg, "HSEmbossIntensity")->setValue(3);
    Settle(*dlg);
    EXPECT_EQ(Bytes(CurrentImage()),
              Expected([](CDIB& c) { orvane::FilterObject().Emboss(c, false, 3, 6, 200, 100, 50); }));
    Cancel(*dlg);
  }
}

TEST_F(AdjustDialog, ErodeAppliesLiveLikeTheOtherPanes) {
  auto dlg = Open(18);
  const auto preview = Bytes(dlg->previewImage());
  Slider(*dlg, "HSErode")->setValue(12);
  Settle(*dlg);
  EXPECT_EQ(Label(*dlg, "LabErode"), "12");
  EXPECT_NE(Bytes(dlg->previewImage()), preview);
  EXPECT_EQ(Bytes(CurrentImage()), Expected([](CDIB& c) { orvane::FilterObject().Erode(c, 12); }));
  EXPECT_GE(shell.changePics, 1);
  Slider(*dlg, "HSErode")->setValue(2);
  Settle(*dlg);
  const auto eroded = Expected([](CDIB& c) { orvane::FilterObject().Erode(c, 2); });
  EXPECT_EQ(Bytes(CurrentImage()), eroded);
  Ok(*dlg);
  EXPECT_EQ(Bytes(CurrentImage()), eroded);
}

// A burst of changes runs one apply with the latest value, and changes that
// arrive while an apply runs add exactly one more.
TEST_F(AdjustDialog, ChangesDuringWorkCollapseIntoOneApply) {
  auto dlg = Open(6);
  shell.changePics = 0;
  QScrollBar* red = Slider(*dlg, "HSRGBRed");
  for (int v = 1; v <= 40; ++v) red->setValue(v);
  EXPECT_EQ(Label(*dlg, "LabRGBRed"), "40");
  Settle(*dlg);
  EXPECT_EQ(shell.changePics, 1);
  EXPECT_EQ(Bytes(CurrentImage()), Expected([](CDIB& c) { orvane::FilterObject().RGBBalance(c, 40, 0, 1); }));

  shell.changePics = 0;
  int nested = 0;
  shell.duringChangePic = [&] {
    if (nested++ == 0)
      for (int v = 41; v <= 60; ++v) red->setValue(v);
  };
  red->setValue(-10);
  Settle(*dlg);
  EXPECT_EQ(shell.changePics, 2);
  EXPECT_EQ(Bytes(CurrentImage()), Expected([](CDIB& c) { orvane::FilterObject().RGBBalance(c, 60, 0, 1); }));
  shell.duringChangePic = nullptr;

  // Changes made while the apply is at work wait for it and then run once.
  shell.changePics = 0;
  red->setValue(5);
  QCoreApplication::processEvents();  // starts the apply
  for (int v = 6; v <= 30; ++v) red->setValue(v);
  Settle(*dlg);
  EXPECT_EQ(shell.changePics, 2);
  EXPECT_EQ(Bytes(CurrentImage()), Expected([](CDIB& c) { orvane::FilterObject().RGBBalance(c, 30, 0, 1); }));

  // Cancel while it is at work still restores.
  red->setValue(-200);
  QCoreApplication::processEvents();
  Cancel(*dlg);
  EXPECT_FALSE(dlg->applyPending());
  EXPECT_EQ(Bytes(CurrentImage()), original);
}

TEST_F(AdjustDialog, OkWhileAnApplyIsAtWorkRecomputesFromTheBackup) {
  auto dlg = Open(9);
  Slider(*dlg, "HSAverageBlur")->setValue(5);
  QCoreApplication::processEvents();
  Slider(*dlg, "HSAverageBlur")->setValue(2);
  Ok(*dlg);
  EXPECT_FALSE(dlg->applyPending());
  EXPECT_EQ(Bytes(CurrentImage()), Expected([](CDIB& c) { orvane::FilterObject().FastBlurPlus(c, 2); }));
}

TEST_F(AdjustDialog, CancelWhileAnApplyIsWaitingRestores) {
  auto dlg = Open(16);
  Slider(*dlg, "HSNeon")->setValue(200);
  ASSERT_TRUE(dlg->applyPending());
  Cancel(*dlg);
  QCoreApplication::processEvents();
  EXPECT_EQ(Bytes(CurrentImage()), original);
}

// Keyboard and mouse: the sliders take the focus and keys, a click in a track
// moves by a page, and Enter is OK.
TEST_F(AdjustDialog, SlidersTakeKeysAndClicksAndEnterIsOk) {
  auto dlg = Open(6);
  dlg->show();
  QScrollBar* red = Slider(*dlg, "HSRGBRed");  // -255..255, page 85
  EXPECT_TRUE(red->focusPolicy() & Qt::TabFocus);
  auto press = [](QWidget* w, int key) {
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &down);
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &up);
  };
  press(red, Qt::Key_Right);
  EXPECT_EQ(red->value(), 1);
  press(red, Qt::Key_PageUp);  // a tenth of the range of 510
  EXPECT_EQ(red->value(), 52);
  press(red, Qt::Key_PageDown);
  press(red, Qt::Key_PageDown);
  press(red, Qt::Key_Left);
  EXPECT_EQ(red->value(), -51);
  EXPECT_EQ(Label(*dlg, "LabRGBRed"), "-51");

  // Near the right end of the track, away from the handle: one page up.
  const QPoint inTrack(red->width() - red->height() - 4, red->height() / 2);
  QMouseEvent down(QEvent::MouseButtonPress, inTrack, red->mapToGlobal(inTrack), Qt::LeftButton,
                   Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(red, &down);
  QMouseEvent up(QEvent::MouseButtonRelease, inTrack, red->mapToGlobal(inTrack), Qt::LeftButton, Qt::NoButton,
                 Qt::NoModifier);
  QCoreApplication::sendEvent(red, &up);
  EXPECT_EQ(red->value(), -51 + red->pageStep());
  const int value = red->value();

  Settle(*dlg);
  press(red, Qt::Key_Return);  // unhandled by the slider: reaches the dialog
  EXPECT_FALSE(dlg->isLoaded());
  EXPECT_EQ(Bytes(CurrentImage()),
            Expected([value](CDIB& c) { orvane::FilterObject().RGBBalance(c, value, 0, 1); }));
}

TEST(AdjustPlacement, BesideTheMainWindowAndOnTheScreen) {
  const QRect screen(0, 0, 1920, 1080);
  const QSize size(337, 345);
  // Room on the right: the dialog's top edge level with the main window's.
  EXPECT_EQ(orvane::PlaceBeside(QRect(100, 50, 800, 600), size, screen), QPoint(908, 50));
  // No room on the right, room on the left.
  EXPECT_EQ(orvane::PlaceBeside(QRect(1000, 50, 900, 600), size, screen), QPoint(1000 - 8 - 337, 50));
  // Room on neither side: against the screen's right edge, kept on the screen vertically.
  EXPECT_EQ(orvane::PlaceBeside(QRect(0, 900, 1920, 600), size, screen), QPoint(1920 - 337, 1080 - 345));
  // No screen known: simply to the right.
  EXPECT_EQ(orvane::PlaceBeside(QRect(10, 20, 100, 100), size, QRect()), QPoint(118, 20));
}

class ResizePane : public AdjustDialog {
 protected:
  QLineEdit* Box(frmAdjust& dlg, const char* name) { return dlg.findChild<QLineEdit*>(name); }
  static void LeaveBox(QLineEdit* box) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(box, &out);
  }
};

TEST_F(ResizePane, StartsWithTheSizeAndRunsNothing) {
  auto dlg = Open(25);
  EXPECT_EQ(Box(*dlg, "txtResizeWid")->text(), "64");
  EXPECT_EQ(Box(*dlg, "txtResizeHei")->text(), "48");
  dlg->previewCheck()->setChecked(false);
  dlg->previewCheck()->setChecked(true);
  Settle(*dlg);
  EXPECT_EQ(Bytes(CurrentImage()), original);
  Cancel(*dlg);
  EXPECT_EQ(CurrentImage().Width(), 64);
}

TEST_F(ResizePane, LeavingABoxWithABadValueWarnsWithTheBound) {
  auto dlg = Open(25);
  QLineEdit* wid = Box(*dlg, "txtResizeWid");
  QLineEdit* hei = Box(*dlg, "txtResizeHei");
  for (const char* bad : {"31", "x", "641", ""}) {
    SCOPED_TRACE(bad);
    warnings.clear();
    wid->setText(bad);
    LeaveBox(wid);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0], "Please input a Number that >=32 and <=640");
    EXPECT_EQ(titles[0], "Orvane");
    EXPECT_EQ(wid->text(), "64");
    EXPECT_EQ(wid->selectedText(), "64");
  }
  warnings.clear();
  hei->setText("481");
  LeaveBox(hei);
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_EQ(warnings[0], "Please input a Number that >=32 and <=480");
  EXPECT_EQ(hei->text(), "48");
  // The bounds themselves are fine.
  warnings.clear();
  for (const char* good : {"32", "640", " 100 "}) {
    wid->setText(good);
    LeaveBox(wid);
  }
  hei->setText("480");
  LeaveBox(hei);
  EXPECT_TRUE(warnings.empty());
  Cancel(*dlg);
}

TEST_F(ResizePane, OkResizesOnlyWithinBoundsAndAlwaysCloses) {
  {
    auto dlg = Open(25);
    Box(*dlg, "txtResizeWid")->setText("100");
    Box(*dlg, "txtResizeHei")->setText("20");
    Ok(*dlg);
    EXPECT_TRUE(warnings.empty());
    EXPECT_FALSE(dlg->isLoaded());
    EXPECT_EQ(Bytes(CurrentImage()), original);
  }
  {
    auto dlg = Open(25);
    Box(*dlg, "txtResizeWid")->setText("abc");
    Ok(*dlg);
    EXPECT_EQ(CurrentImage().Width(), 64);
  }
  {
    auto dlg = Open(25);
    Box(*dlg, "txtResizeWid")->setText("128");
    Box(*dlg, "txtResizeHei")->setText("32");
    const int before = shell.changePics;
    Ok(*dlg);
    EXPECT_EQ(CurrentImage().Width(), 128);
    EXPECT_EQ(CurrentImage().Height(), 32);
    EXPECT_EQ(shell.changePics, before + 1);
    EXPECT_TRUE(warnings.empty());
  }
}

// A size whose bytes cannot be had: the user is told why, the dialog stays
// open with the picture as it was, and another size can then be chosen.
TEST_F(ResizePane, ASizeThatCannotBeHadSaysSoAndKeepsTheDialogOpen) {
  ASSERT_TRUE(CurrentImage().Create(2700, 2700));  // ten times each side is over 2 GB
  const auto before = Bytes(CurrentImage());
  auto dlg = Open(25);
  Box(*dlg, "txtResizeWid")->setText("27000");
  Box(*dlg, "txtResizeHei")->setText("27000");
  Ok(*dlg);
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_TRUE(warnings[0].contains(QStringLiteral("not enough memory for 27000 × 27000")))
      << warnings[0].toStdString();
  EXPECT_TRUE(dlg->isLoaded());
  EXPECT_EQ(CurrentImage().Width(), 2700);
  EXPECT_EQ(Bytes(CurrentImage()), before);
  Box(*dlg, "txtResizeWid")->setText("100");
  Box(*dlg, "txtResizeHei")->setText("50");
  Ok(*dlg);
  EXPECT_FALSE(dlg->isLoaded());
  EXPECT_EQ(CurrentImage().Width(), 100);
  EXPECT_EQ(CurrentImage().Height(), 50);
}

// The largest size the pane allows may be more than can be made; the picture must survive that.
TEST_F(ResizePane, AResizeThatCannotBeMadeKeepsThePicture) {
  Fill(CurrentImage(), 1000, 1000, 9);
  const auto before = Bytes(CurrentImage());
  auto dlg = Open(25);
  Box(*dlg, "txtResizeWid")->setText("10000");
  Box(*dlg, "txtResizeHei")->setText("10000");
  Ok(*dlg);
  if (CurrentImage().Width() == 1000) {
    EXPECT_EQ(CurrentImage().Height(), 1000);
    EXPECT_EQ(Bytes(CurrentImage()), before);
  } else {
    EXPECT_EQ(CurrentImage().Width(), 10000);
    EXPECT_EQ(CurrentImage().Height(), 10000);
  }
}

TEST_F(AdjustDialog, WithoutAPictureNothingRunsAndNothingBreaks) {
  CurrentImage().Create(0, 0);
  for (int mode : {1, 18, 25, 29}) {
    auto dlg = Open(mode);
    Ok(*dlg);
    EXPECT_EQ(CurrentImage().DIBPointer(), nullptr);
  }
  EXPECT_TRUE(warnings.empty());
}

}  // namespace
}  // namespace adjust_test
