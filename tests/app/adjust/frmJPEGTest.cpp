// The JPEG settings dialog: quality slider and number box in step, the
// number box's rules, and what OK hands to the save.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFocusEvent>
#include <QImageReader>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <cstring>
#include <optional>
#include <vector>

#include "DialogSupport.h"
#include "Globals.h"
#include "LumbraButton.h"
#include "MyXPFrm.h"
#include "PixelBuffer.h"
#include "XPTopButtons.h"
#include "frmJPEG.h"

namespace {

using orvane::frmJPEG;

struct SaveCall {
  QString fileName;
  const orvane::CDIB* image;
  int quality;
  bool grey;
};

class JpegDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    orvane::CDIB& image = orvane::CurrentImage();
    ASSERT_TRUE(image.Create(20, 10));
    const auto b = testing_support::randomBuffer(20, 10, 5);
    std::memcpy(image.DIBPointer(), b.bytes.data(), b.bytes.size());
    orvane::SetDialogWarningHandler(
        [this](const QString& text, const QString&) { warnings.push_back(text); });
    frmJPEG::SetSaver([this](const QString& name, orvane::CDIB& image, int16_t quality, bool grey) {
      saves.push_back({name, &image, quality, grey});
      return saveResult;
    });
    dlg.FileName = "/tmp/picture.jpg";
    dlg.Load();
  }
  void TearDown() override {
    orvane::SetDialogWarningHandler(nullptr);
    frmJPEG::SetSaver(nullptr);
  }
  void Type(const QString& text) { dlg.qualityText()->setText(text); }
  // A key press and release sent to w (unhandled presses travel up to the dialog).
  static void Press(QWidget* w, int key, const QString& text = QString()) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(w, &release);
  }
  void Leave() {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(dlg.qualityText(), &out);
  }

  frmJPEG dlg;
  std::vector<QString> warnings;
  std::vector<SaveCall> saves;
  bool saveResult = true;
};

TEST_F(JpegDialog, StartsAtQuality75WithNoColourTypeChosen) {
  EXPECT_EQ(dlg.frame()->programName(), "JPEG Setting");
  EXPECT_EQ(dlg.frame()->versionText(), "");
  EXPECT_EQ(dlg.qualitySlider()->minimum(), 1);
  EXPECT_EQ(dlg.qualitySlider()->maximum(), 100);
  EXPECT_EQ(dlg.qualitySlider()->pageStep(), 15);
  EXPECT_EQ(dlg.qualitySlider()->value(), 75);
  EXPECT_EQ(dlg.qualityText()->text(), "75");
  EXPECT_FALSE(dlg.trueColorOption()->isChecked());
  EXPECT_FALSE(dlg.greyScaleOption()->isChecked());
  dlg.qualitySlider()->setValue(33);
  EXPECT_EQ(dlg.qualityText()->text(), "33");
}

TEST_F(JpegDialog, TheTypedQualityCountsWhenEditingEnds) {
  // Keystroke by keystroke "101" would pass through 1 and 10: the slider waits.
  dlg.qualityText()->clear();
  for (const char* key : {"1", "0", "1"}) {
    Press(dlg.qualityText(), Qt::Key_0 + (key[0] - '0'), key);
    EXPECT_EQ(dlg.qualitySlider()->value(), 75) << key;
  }
  EXPECT_EQ(dlg.qualityText()->text(), "101");
  Leave();
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_EQ(dlg.qualitySlider()->value(), 75);
  EXPECT_EQ(dlg.qualityText()->text(), "75");
  warnings.clear();
  // In range: taken when the box is left. Halves go to the even neighbour, and
  // the box shows the plain number.
  for (auto [typed, want] :
       {std::pair{"100", 100}, std::pair{"2.5", 2}, std::pair{"3.5", 4}, std::pair{" 050", 50}}) {
    Type(typed);
    EXPECT_NE(dlg.qualitySlider()->value(), want) << typed;
    Leave();
    EXPECT_EQ(dlg.qualitySlider()->value(), want) << typed;
    EXPECT_EQ(dlg.qualityText()->text(), QString::number(want)) << typed;
  }
  EXPECT_TRUE(warnings.empty());
}

TEST_F(JpegDialog, KeyboardEnterSavesWithTheTypedQualityAndTheSliderTakesKeys) {
  QScrollBar* slider = dlg.qualitySlider();
  EXPECT_TRUE(slider->focusPolicy() & Qt::TabFocus);
  Press(slider, Qt::Key_Right);
  EXPECT_EQ(slider->value(), 76);
  Press(slider, Qt::Key_PageUp);  // a tenth of 1..100
  EXPECT_EQ(slider->value(), 86);
  Press(slider, Qt::Key_PageDown);
  Press(slider, Qt::Key_Left);
  EXPECT_EQ(slider->value(), 75);

  // An out-of-range value typed and Enter: the warning, the old quality back, no save.
  dlg.show();
  Type("0");
  Press(dlg.qualityText(), Qt::Key_Return);
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_TRUE(saves.empty());
  EXPECT_TRUE(dlg.isVisible());
  EXPECT_EQ(dlg.qualityText()->text(), "75");

  Type("40");
  Press(dlg.qualityText(), Qt::Key_Enter);
  ASSERT_EQ(saves.size(), 1u);
  EXPECT_EQ(saves[0].quality, 40);
  EXPECT_FALSE(dlg.isVisible());
}

TEST_F(JpegDialog, LeavingTheBoxWithABadValueWarnsAndPutsTheQualityBack) {
  for (const char* bad : {"101", "0", "letters", "1234567890", "", "0.4"}) {
    SCOPED_TRACE(bad);
    warnings.clear();
    Type(bad);
    Leave();
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0], "Please input a number between 1 and 100!");
    EXPECT_EQ(dlg.qualityText()->text(), "75");
    EXPECT_EQ(dlg.qualitySlider()->value(), 75);
  }
  warnings.clear();
  // Switching to another window is not leaving the box.
  Type("500");
  QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
  QCoreApplication::sendEvent(dlg.qualityText(), &away);
  EXPECT_TRUE(warnings.empty());
  Leave();
  EXPECT_EQ(warnings.size(), 1u);
  warnings.clear();
  Type("75.4");  // rounds to the slider's value: left as typed
  Leave();
  EXPECT_TRUE(warnings.empty());
  EXPECT_EQ(dlg.qualityText()->text(), "75.4");
}

TEST_F(JpegDialog, OkUntouchedSavesAtQuality75InTrueColour) {
  emit dlg.okButton()->Click();
  ASSERT_EQ(saves.size(), 1u);
  EXPECT_EQ(saves[0].fileName, "/tmp/picture.jpg");
  EXPECT_EQ(saves[0].image, &orvane::CurrentImage());
  EXPECT_EQ(saves[0].quality, 75);
  EXPECT_FALSE(saves[0].grey);
  EXPECT_TRUE(warnings.empty());
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
}

TEST_F(JpegDialog, GreyScaleAndQualityReachTheSave) {
  dlg.greyScaleOption()->setChecked(true);
  Type("40");
  emit dlg.okButton()->Click();
  ASSERT_EQ(saves.size(), 1u);
  EXPECT_TRUE(saves[0].grey);
  EXPECT_EQ(saves[0].quality, 40);
}

TEST_F(JpegDialog, AFailedSaveIsReportedAndTheDialogStillCloses) {
  saveResult = false;
  dlg.show();
  emit dlg.okButton()->Click();
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_EQ(warnings[0], "Faild to Save!");
  EXPECT_FALSE(dlg.isVisible());
}

TEST_F(JpegDialog, CancelAndCloseLeaveWithoutSaving) {
  dlg.show();
  emit dlg.cancelButton()->Click();
  EXPECT_FALSE(dlg.isVisible());
  frmJPEG other;
  other.Load();
  other.show();
  emit other.closeButton()->Click();
  EXPECT_FALSE(other.isVisible());
  EXPECT_TRUE(saves.empty());
}

// Through the real file object: the grey-scale choice writes a one-channel JPEG.
TEST_F(JpegDialog, TheColourModeReachesTheFile) {
  frmJPEG::SetSaver(nullptr);
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  for (bool grey : {false, true}) {
    SCOPED_TRACE(grey);
    frmJPEG d;
    d.FileName = dir.filePath(grey ? "grey.jpg" : "colour.jpg");
    d.Load();
    if (grey) d.greyScaleOption()->setChecked(true);
    emit d.okButton()->Click();
    ASSERT_TRUE(warnings.empty()) << warnings[0].toStdString();
    QImageReader reader(d.FileName);
    const QImage read = reader.read();
    ASSERT_FALSE(read.isNull());
    EXPECT_EQ(read.size(), QSize(20, 10));
    EXPECT_EQ(read.format() == QImage::Format_Grayscale8, grey);
  }
}

}  // namespace
