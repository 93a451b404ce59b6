// Shared set-up for the adjustment dialog tests: a random current image, a
// recording main window and recorded warnings.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <QScrollBar>
#include <QString>
#include <QThread>
#include <cstring>
#include <vector>

#include "CDIB.h"
#include "DialogSupport.h"
#include "Globals.h"
#include "PixelBuffer.h"
#include "frmAdjust.h"

namespace adjust_test {

using orvane::CDIB;

struct RecordingShell : orvane::ShellServices {
  int changePics = 0;
  int zooms = 0;
  std::function<void()> duringChangePic;  // runs inside ChangePic, as pending events would
  void ChangePic() override {
    ++changePics;
    if (duringChangePic) duringChangePic();
  }
  void Zoom() override { ++zooms; }
  void ZoomCenter() override {}
  QWidget* MainWidget() override { return nullptr; }
  // What ShowPicture was last given: a copy of its bytes, or empty for the current picture.
  std::vector<uint8_t> shownInstead;
  int shows = 0;
  void ShowPicture(CDIB* picture) override {
    ++shows;
    shownInstead = picture == nullptr ? std::vector<uint8_t>()
                                      : std::vector<uint8_t>(picture->DIBPointer(),
                                                             picture->DIBPointer() + picture->ByteCount());
  }
};

inline void Fill(CDIB& image, int w, int h, uint32_t seed) {
  ASSERT_TRUE(image.Create(w, h));
  const testing_support::PixelBuffer b = testing_support::randomBuffer(w, h, seed);
  ASSERT_EQ(b.bytes.size(), image.ByteCount());
  std::memcpy(image.DIBPointer(), b.bytes.data(), b.bytes.size());
}

inline std::vector<uint8_t> Bytes(const CDIB& image) {
  if (image.DIBPointer() == nullptr) return {};
  return std::vector<uint8_t>(image.DIBPointer(), image.DIBPointer() + image.ByteCount());
}

// A fresh image holding the same pixels.
inline void CopyInto(CDIB& copy, const CDIB& image) {
  ASSERT_TRUE(copy.Create(image.Width(), image.Height()));
  std::memcpy(copy.DIBPointer(), image.DIBPointer(), image.ByteCount());
}

class AdjustFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    Fill(orvane::CurrentImage(), 64, 48, 7);
    original = Bytes(orvane::CurrentImage());
    orvane::InstallShell(&shell);
    orvane::SetDialogWarningHandler([this](const QString& text, const QString& title) {
      warnings.push_back(text);
      titles.push_back(title);
    });
  }
  void TearDown() override {
    orvane::InstallShell(nullptr);
    orvane::SetDialogWarningHandler(nullptr);
    orvane::frmAdjust::SetColorChooser(nullptr);
  }

  // Lets the queued live apply run to its end.
  static void Settle(orvane::frmAdjust& dlg) {
    for (int i = 0; i < 60000 && dlg.applyPending(); ++i) {
      QCoreApplication::processEvents();
      if (dlg.applyPending()) QThread::msleep(1);
    }
    ASSERT_FALSE(dlg.applyPending());
  }

  static QScrollBar* Slider(orvane::frmAdjust& dlg, const char* name) {
    auto* s = dlg.findChild<QScrollBar*>(name);
    EXPECT_NE(s, nullptr) << name;
    return s;
  }
  static QString Label(orvane::frmAdjust& dlg, const char* name) {
    auto* l = dlg.findChild<QLabel*>(name);
    EXPECT_NE(l, nullptr) << name;
    return l ? l->text() : QString();
  }

  RecordingShell shell;
  std::vector<uint8_t> original;
  std::vector<QString> warnings;
  std::vector<QString> titles;
};

}  // namespace adjust_test
