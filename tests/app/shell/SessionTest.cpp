#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QKeyEvent>
#include <QMenu>
#include <vector>

#include "EditHistory.h"
#include "MyXPFrm.h"
#include "RecentFiles.h"
#include "ShellFixture.h"
#include "cFileDIB.h"

namespace {

using orvane::CurrentImage;
using Answer = orvane::frmStuff::SaveChangesAnswer;

std::vector<uint8_t> currentBytes() {
  const orvane::CDIB& p = CurrentImage();
  return {p.DIBPointer(), p.DIBPointer() + p.ByteCount()};
}

bool key(orvane::frmMain& main, int k, Qt::KeyboardModifiers mods = Qt::ControlModifier) {
  return main.HandleKey(k, mods);
}

// Filters, a rotation that changes the size, and Back to Original, each
// undone and redone by key, give back the exact bytes of every state.
TEST_F(ShellTest, UndoAndRedoWalkEveryChangeExactly) {
  open(writePicture("a.bmp", 33, 17));
  std::vector<std::vector<uint8_t>> states{currentBytes()};
  main->Stuff().Dispatch("mnu_Filter_Invert", 0);
  states.push_back(currentBytes());
  main->Stuff().Dispatch("mnu_Effect_Rotate", 0);
  ASSERT_EQ(CurrentImage().Width(), 17);
  states.push_back(currentBytes());
  main->Stuff().Dispatch("mnu_Filter_KillColor", 0);
  states.push_back(currentBytes());
  main->Stuff().Dispatch("mnu_File", 3);  // Back to Original
  states.push_back(currentBytes());
  ASSERT_EQ(states.back(), states.front());

  for (int i = 3; i >= 0; --i) {
    ASSERT_TRUE(key(*main, Qt::Key_Z));
    EXPECT_EQ(currentBytes(), states[i]) << "undo to state " << i;
  }
  EXPECT_FALSE(orvane::History().CanUndo());
  EXPECT_TRUE(key(*main, Qt::Key_Y));
  EXPECT_EQ(currentBytes(), states[1]);
  EXPECT_TRUE(key(*main, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier));
  EXPECT_EQ(currentBytes(), states[2]);
  // The File menu reaches the same commands.
  main->Stuff().Dispatch("mnu_FileEdit", 0);
  EXPECT_EQ(currentBytes(), states[1]);
  main->Stuff().Dispatch("mnu_FileEdit", 1);
  EXPECT_EQ(currentBytes(), states[2]);
}

TEST_F(ShellTest, EveryWayOfDroppingChangesAsksAndCancelKeepsEverything) {
  const QString first = writePicture("first.bmp", 10, 10);
  const QString second = writePicture("second.bmp", 12, 12);
  open(first);
  main->Stuff().Dispatch("mnu_Filter_Invert", 0);
  const auto changed = currentBytes();
  saveChangesAnswer = Answer::Cancel;

  main->Unload();                           // close button, Exit
  key(*main, Qt::Key_X);                    // Ctrl+X
  key(*main, Qt::Key_F4, Qt::AltModifier);  // Alt+F4
  EXPECT_FALSE(main->close());              // the window's own close
  dialogs.clear();
  main->Stuff().OpenImage();              // File > Open
  main->Stuff().OpenPictureFile(second);  // a dropped file
  EXPECT_EQ(asked.size(), 6);
  EXPECT_EQ(asked.value(0), "first.bmp");
  EXPECT_TRUE(dialogs.isEmpty());  // the open dialog never came
  EXPECT_EQ(ends, 0);
  EXPECT_EQ(currentBytes(), changed);
  EXPECT_TRUE(orvane::History().CanUndo());

  // Save whose dialog is cancelled keeps everything too.
  saveChangesAnswer = Answer::Save;
  answer.clear();
  main->Unload();
  EXPECT_EQ(ends, 0);

  // Discard goes on.
  saveChangesAnswer = Answer::Discard;
  main->Stuff().OpenPictureFile(second);
  EXPECT_EQ(CurrentImage().Width(), 12);
  EXPECT_FALSE(orvane::History().CanUndo());
  // An unchanged picture is dropped without a question.
  asked.clear();
  main->Unload();
  EXPECT_TRUE(asked.isEmpty());
  EXPECT_EQ(ends, 1);
}

TEST_F(ShellTest, SaveAtTheQuestionSavesThenGoesOn) {
  open(writePicture("a.bmp", 8, 8));
  main->Stuff().Dispatch("mnu_Filter_Invert", 0);
  const auto changed = currentBytes();
  saveChangesAnswer = Answer::Save;
  const QString target = dir.filePath("kept.bmp");
  QString offered;
  orvane::CommonDialog::SetRunner([&](bool, const QString&, int, int&, QWidget*) {
    offered = main->Stuff().MyCD.FileName;
    return target;
  });
  main->Unload();
  EXPECT_EQ(ends, 1);
  EXPECT_EQ(offered, dir.filePath("a.bmp"));  // Save As offers the current name
  ASSERT_TRUE(QFile::exists(target));
  orvane::CDIB saved;
  ASSERT_TRUE(orvane::FileObject().MainOpen(target, saved));
  EXPECT_TRUE(std::equal(changed.begin(), changed.end(), saved.DIBPointer()));
}

TEST_F(ShellTest, TitleAndStatusStripSayWhatIsOpenAndWhetherItChanged) {
  open(writePicture("holiday.bmp", 33, 17));
  EXPECT_EQ(main->frame()->versionText(), "holiday.bmp");
  EXPECT_EQ(main->windowTitle(), "holiday.bmp - Orvane");
  EXPECT_TRUE(main->statusStrip()->isVisibleTo(main.get()));
  EXPECT_TRUE(main->statusStrip()->text().contains(QStringLiteral("33 \u00d7 17")));
  EXPECT_TRUE(main->statusStrip()->text().contains("100%"));
  main->Stuff().Dispatch("mnu_Filter_Invert", 0);
  EXPECT_EQ(main->frame()->versionText(), "holiday.bmp *");
  main->Stuff().Dispatch("mnu_Zoom", 1);  // 50 %
  EXPECT_TRUE(main->statusStrip()->text().contains("50%"));
  key(*main, Qt::Key_Z);
  EXPECT_EQ(main->frame()->versionText(), "holiday.bmp");
}

TEST_F(ShellTest, RecentFilesKeepTheNewestFirstAndDropMissingOnes) {
  const QString a = writePicture("ra.bmp", 5, 5), b = writePicture("rb.bmp", 6, 6);
  open(a);
  open(b);
  open(a);
  const QStringList list = orvane::RecentFiles::List();
  ASSERT_GE(list.size(), 2);
  EXPECT_EQ(list[0], a);
  EXPECT_EQ(list[1], b);
  QFile::remove(b);
  main->Stuff().Dispatch("mnu_FileRecent", 1);
  EXPECT_EQ(messages.size(), 1);
  EXPECT_FALSE(orvane::RecentFiles::List().contains(b));
  EXPECT_EQ(CurrentImage().Width(), 5);  // the open picture stays
  main->Stuff().Dispatch("mnu_FileRecent", 0);
  EXPECT_EQ(orvane::CurrentFileName(), a);
}

TEST_F(ShellTest, CopyAndPasteMakeANewUnsavedPicture) {
  open(writePicture("c.bmp", 13, 7));
  const auto bytes = currentBytes();
  key(*main, Qt::Key_C);
  CurrentImage().Create(2, 2);
  key(*main, Qt::Key_V);
  EXPECT_EQ(CurrentImage().Width(), 13);
  EXPECT_EQ(currentBytes(), bytes);
  EXPECT_TRUE(orvane::History().IsModified());
  EXPECT_EQ(main->frame()->versionText(), "Untitled *");
  // Pasting over a changed picture asks first.
  saveChangesAnswer = Answer::Cancel;
  key(*main, Qt::Key_V);
  EXPECT_EQ(asked.size(), 1);
}

TEST_F(ShellTest, BackslashShowsThePictureBeforeTheLastChangeWhileHeld) {
  open(writePicture("b.bmp", 9, 9));
  const QImage before = main->picture()->grab().toImage();
  main->Stuff().Dispatch("mnu_Filter_Invert", 0);
  const QImage after = main->picture()->grab().toImage();
  ASSERT_NE(before, after);
  QKeyEvent press(QEvent::KeyPress, Qt::Key_Backslash, Qt::NoModifier, QStringLiteral("\\"));
  QApplication::sendEvent(main.get(), &press);
  EXPECT_EQ(main->picture()->grab().toImage(), before);
  QKeyEvent release(QEvent::KeyRelease, Qt::Key_Backslash, Qt::NoModifier, QStringLiteral("\\"));
  QApplication::sendEvent(main.get(), &release);
  EXPECT_EQ(main->picture()->grab().toImage(), after);
}

}  // namespace
