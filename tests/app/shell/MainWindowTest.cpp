#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QFrame>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>

#include "HelpWindow.h"
#include "MyXPFrm.h"
#include "ShellFixture.h"
#include "ShellHelpers.h"
#include "XPTopButtons.h"
#include "cFileDIB.h"

namespace {

using orvane::Tw;

TEST_F(ShellTest, LoadsWithTheDesignLayoutAndOnlyFileHelpZoomUsable) {
  EXPECT_EQ(main->size(), QSize(566, 432));
  EXPECT_EQ(main->windowTitle(), "Orvane");
  EXPECT_TRUE(main->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(main->frame()->programName(), "Orvane      ");
  EXPECT_EQ(main->frame()->versionText(), "---2003 May");
  EXPECT_EQ(main->ZoomPercent, 100);
  EXPECT_FALSE(main->headFilter()->isEnabled());
  EXPECT_FALSE(main->headEffect()->isEnabled());
  EXPECT_TRUE(main->headFile()->isEnabled());
  EXPECT_FALSE(main->picture()->isVisibleTo(main.get()));

  EXPECT_EQ(main->helpButton()->geometry(), QRect(480, 0, 19, 23));
  EXPECT_EQ(main->minButton()->pos(), QPoint(512, 0));
  EXPECT_EQ(main->closeButton()->pos(), QPoint(536, 0));
  EXPECT_EQ(main->helpButton()->toolTip(), "Click to Get Help");
  EXPECT_EQ(main->minButton()->toolTip(), "Click to Minimize");
  EXPECT_EQ(main->closeButton()->toolTip(), "Click to close the program");
  EXPECT_EQ(main->headerStrip()->geometry(), QRect(Tw(35), 28, 561, 33));
  EXPECT_EQ(main->headFile()->geometry(), QRect(8, 0, 81, 33));
  EXPECT_EQ(main->headFilter()->geometry(), QRect(96, 0, 81, 33));
  EXPECT_EQ(main->headEffect()->geometry(), QRect(184, 0, 89, 33));
  EXPECT_EQ(main->headHelp()->geometry(), QRect(280, 0, 89, 33));
  EXPECT_EQ(main->zoomButton()->geometry(), QRect(480, 0, 73, 33));
  EXPECT_EQ(main->zoomButton()->Caption(), "Zoom");
  EXPECT_EQ(main->zoomButton()->MousePointer(), 99);
  EXPECT_EQ(main->imageArea()->geometry(), QRect(2, 62, 562, 367));
  EXPECT_EQ(main->imageArea()->palette().color(QPalette::Window), QColor(25, 118, 218));
  // Menus appear just below their header button.
  EXPECT_EQ(main->menuPoint(main->headFilter()), QPoint(2 + 96, 28 + 33));
}

TEST_F(ShellTest, TheImageAreaAndHeaderFollowTheWindowSize) {
  main->show();
  main->resize(600, 500);  // 9000 twips wide
  QApplication::processEvents();
  EXPECT_EQ(main->headerStrip()->geometry(), QRect(2, 28, 595, 33));  // 8925 twips
  EXPECT_EQ(main->frame()->size(), QSize(600, 500));
  EXPECT_EQ(main->imageArea()->size(), QSize(562 + 34, 367 + 68));
  EXPECT_EQ(main->closeButton()->pos(), QPoint(536 + 34, 0));
  main->resize(566, 432);
  QApplication::processEvents();
  EXPECT_EQ(main->imageArea()->geometry(), QRect(2, 62, 562, 367));

  // The outer edges offer resizing, also where the image area reaches them.
  QWidget* area = main->imageArea();
  auto hover = [area](QPoint at) {
    QMouseEvent e(QEvent::MouseMove, QPointF(at), QPointF(area->mapToGlobal(at)), Qt::NoButton, Qt::NoButton,
                  Qt::NoModifier);
    QApplication::sendEvent(area, &e);
    return area->cursor().shape();
  };
  EXPECT_EQ(hover({561, 366}), Qt::SizeFDiagCursor);
  EXPECT_EQ(hover({0, 200}), Qt::SizeHorCursor);
  EXPECT_EQ(hover({200, 200}), Qt::ArrowCursor);
}

TEST_F(ShellTest, KeyboardTableWithExactModifiers) {
  // F2 and F3 act with any modifiers, also before a picture is open.
  EXPECT_TRUE(main->HandleKey(Qt::Key_F2, Qt::ShiftModifier | Qt::ControlModifier));
  EXPECT_TRUE(main->HandleKey(Qt::Key_F3, Qt::NoModifier));
  EXPECT_EQ(orvane::CurrentImage().Width(), 0);
  EXPECT_TRUE(main->picture()->isVisibleTo(main.get()));  // an empty display
  EXPECT_EQ(main->picture()->size(), QSize(0, 0));

  // Ctrl+S exactly: with Shift it does nothing.
  EXPECT_FALSE(main->HandleKey(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier));
  EXPECT_FALSE(main->HandleKey(Qt::Key_S, Qt::NoModifier));
  EXPECT_TRUE(dialogs.isEmpty());
  EXPECT_TRUE(main->HandleKey(Qt::Key_S, Qt::ControlModifier));
  ASSERT_EQ(dialogs.size(), 1);
  EXPECT_TRUE(dialogs[0].startsWith("save 3 "));
  EXPECT_TRUE(main->HandleKey(Qt::Key_O, Qt::ControlModifier));
  ASSERT_EQ(dialogs.size(), 2);
  EXPECT_TRUE(dialogs[1].startsWith("open 2 "));
  EXPECT_FALSE(main->HandleKey(Qt::Key_O, Qt::AltModifier));

  EXPECT_FALSE(main->HandleKey(Qt::Key_R, Qt::AltModifier));
  EXPECT_FALSE(main->HandleKey(Qt::Key_X, Qt::ControlModifier | Qt::AltModifier));
  EXPECT_FALSE(main->HandleKey(Qt::Key_F4, Qt::ControlModifier));
  EXPECT_FALSE(main->HandleKey(Qt::Key_F4, Qt::AltModifier | Qt::ShiftModifier));
  EXPECT_FALSE(main->HandleKey(Qt::Key_A, Qt::ControlModifier));
  EXPECT_EQ(ends, 0);
  EXPECT_TRUE(main->HandleKey(Qt::Key_F4, Qt::AltModifier));
  EXPECT_EQ(ends, 1);
}

TEST_F(ShellTest, KeysReachTheWindowBeforeItsControls) {
  open(writePicture("k.bmp", 10, 10));
  main->Stuff().Dispatch("mnu_Filter_Invert", 0);
  // Ctrl+R pressed on a header button: the window restores the original.
  QKeyEvent press(QEvent::KeyPress, Qt::Key_R, Qt::ControlModifier);
  QApplication::sendEvent(main->headFile(), &press);
  EXPECT_TRUE(press.isAccepted());
  const QImage shown = main->picture()->grab().toImage();
  orvane::CDIB original;
  original.Clone(QImage(dir.filePath("k.bmp")), true);
  EXPECT_EQ(shown.convertToFormat(QImage::Format_RGB888),
            original.ToQImage().convertToFormat(QImage::Format_RGB888));
  // Ctrl+X ends the program and releases both images.
  QKeyEvent exit(QEvent::KeyPress, Qt::Key_X, Qt::ControlModifier);
  QApplication::sendEvent(main->zoomButton(), &exit);
  EXPECT_EQ(ends, 1);
  EXPECT_EQ(orvane::CurrentImage().DIBPointer(), nullptr);
  EXPECT_EQ(orvane::OriginalImage().DIBPointer(), nullptr);
}

TEST_F(ShellTest, TitleButtonsCloseMinimiseAndHelp) {
  emit main->helpButton()->Click();
  if (QFileInfo::exists(orvane::HelpFilePath())) {
    ASSERT_NE(orvane::ShownHelpWindow(), nullptr);
    EXPECT_TRUE(orvane::ShownHelpWindow()->isVisible());
    orvane::ShownHelpWindow()->close();
  }
  emit main->closeButton()->Click();
  EXPECT_EQ(ends, 1);
  emit main->closeButton()->Click();  // the program ends once
  EXPECT_EQ(ends, 1);
}

TEST_F(ShellTest, OpenUsesTheOpenFilterAndCancelChangesNothing) {
  answer = "";
  main->Stuff().OpenImage();
  ASSERT_EQ(dialogs.size(), 1);
  EXPECT_EQ(dialogs[0], QString("open 2 ") + orvane::kOpenPictureFilter);
  EXPECT_TRUE(messages.isEmpty());
  EXPECT_FALSE(main->headFilter()->isEnabled());
  EXPECT_EQ(orvane::CommonDialog::QtFilter("BMP Format|*.bmp|JPG/JPEG Format|*.jpg;*.jpeg"),
            "BMP Format (*.bmp);;JPG/JPEG Format (*.jpg *.jpeg)");
}

TEST_F(ShellTest, ASuccessfulOpenShowsCentresEnablesAndKeepsTheOriginal) {
  main->ZoomPercent = 50;
  open(writePicture("photo.BMP", 100, 60));
  EXPECT_TRUE(messages.isEmpty());
  EXPECT_EQ(orvane::CurrentImage().Width(), 100);
  EXPECT_EQ(orvane::OriginalImage().Width(), 100);
  EXPECT_EQ(0, memcmp(orvane::CurrentImage().DIBPointer(), orvane::OriginalImage().DIBPointer(),
                      orvane::CurrentImage().ByteCount()));
  EXPECT_TRUE(main->headFilter()->isEnabled());
  EXPECT_TRUE(main->headEffect()->isEnabled());
  EXPECT_EQ(main->ZoomPercent, 50);  // the zoom is kept
  EXPECT_EQ(main->picture()->size(), QSize(50, 30));
  EXPECT_EQ(main->picture()->pos(), QPoint(281 - 25, 168));  // 183.5 - 15
  EXPECT_TRUE(main->isEnabled());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  // Back to Original restores exactly the opened pixels.
  main->Stuff().Dispatch("mnu_Filter_Invert", 0);
  main->Stuff().Dispatch("mnu_File", 3);
  EXPECT_EQ(0, memcmp(orvane::CurrentImage().DIBPointer(), orvane::OriginalImage().DIBPointer(),
                      orvane::CurrentImage().ByteCount()));
}

TEST_F(ShellTest, FailedOpensLeaveEverythingAsItWas) {
  open(writePicture("good.bmp", 20, 10));
  main->picture()->move(3, 4);
  const QImage shown = main->picture()->grab().toImage();

  open(dir.filePath("missing.bmp"));
  QFile bad(dir.filePath("bad.bmp"));
  ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
  bad.write("not a picture");
  bad.close();
  open(bad.fileName());
  open(writePicture("odd.psd", 5, 5));  // not a format the program reads

  EXPECT_EQ(messages,
            (QStringList{"File doesn't exist!", "Failed to open " + bad.fileName() + ": not a BMP file",
                         "Failed to open " + dir.filePath("odd.psd") + ": unknown format"}));
  EXPECT_EQ(orvane::CurrentImage().Width(), 20);
  EXPECT_EQ(orvane::OriginalImage().Width(), 20);
  EXPECT_TRUE(main->picture()->isVisible() || main->picture()->isVisibleTo(main.get()));
  EXPECT_EQ(main->picture()->pos(), QPoint(3, 4));
  EXPECT_EQ(main->picture()->grab().toImage(), shown);
  EXPECT_TRUE(main->headFilter()->isEnabled());  // stays enabled after a failed open
  EXPECT_TRUE(main->isEnabled());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(ShellTest, ADamagedFileOpensOnlyWhenTheUserSaysOpenAnyway) {
  open(writePicture("good.bmp", 20, 10));
  // A PCX cut short inside its pixel data.
  const QString cut = dir.filePath("cut.pcx");
  orvane::CDIB picture;
  picture.Clone(QImage(writePicture("noise.bmp", 30, 12)), true);
  ASSERT_TRUE(orvane::cFileDIB().MainSave(cut, picture));
  QFile file(cut);
  ASSERT_TRUE(file.open(QIODevice::ReadWrite));
  ASSERT_TRUE(file.resize(file.size() - 200));
  file.close();

  QStringList asked;
  bool anyway = false;
  orvane::SetOpenAnywayHandler([&](const QString& text) {
    asked << text;
    return anyway;
  });
  open(cut);  // declined: nothing changes and no other message
  EXPECT_EQ(asked, QStringList{"Failed to open " + cut + ": damaged or truncated"});
  EXPECT_TRUE(messages.isEmpty());
  EXPECT_EQ(orvane::CurrentImage().Width(), 20);

  anyway = true;
  open(cut);  // accepted: opened at its full size, and the damage is said
  orvane::SetOpenAnywayHandler(nullptr);
  EXPECT_EQ(orvane::CurrentImage().Width(), 30);
  EXPECT_EQ(orvane::OriginalImage().Width(), 30);
  EXPECT_EQ(messages, QStringList{cut + " was opened as far as it could be read: damaged or truncated"});
}

TEST_F(ShellTest, F10AndAltLettersOpenTheHeaderMenus) {
  main->show();
  auto shownAfter = [&](int key, Qt::KeyboardModifiers mods, const char* menu) {
    const bool handled = main->HandleKey(key, mods);
    QMenu* m = main->Stuff().menu(menu);
    const bool shown = m->isVisible();
    m->hide();
    return handled && shown;
  };
  EXPECT_TRUE(shownAfter(Qt::Key_F10, Qt::NoModifier, "File"));
  EXPECT_TRUE(shownAfter(Qt::Key_F, Qt::AltModifier, "File"));
  EXPECT_TRUE(shownAfter(Qt::Key_H, Qt::AltModifier, "Help"));
  // Filter and Effect wait for a picture, as their buttons do.
  EXPECT_FALSE(main->HandleKey(Qt::Key_I, Qt::AltModifier));
  EXPECT_FALSE(main->Stuff().menu("Filter")->isVisible());
  open(writePicture("keys.bmp", 10, 10));
  EXPECT_TRUE(shownAfter(Qt::Key_I, Qt::AltModifier, "Filter"));
  EXPECT_TRUE(shownAfter(Qt::Key_E, Qt::AltModifier, "Effect"));
  EXPECT_FALSE(main->HandleKey(Qt::Key_F, Qt::ControlModifier));
}

TEST_F(ShellTest, AtTheSmallestSizeEveryHeaderButtonShows) {
  main->show();
  main->resize(1, 1);
  QApplication::processEvents();
  const QList<orvane::LumbraButton*> heads = {main->headFile(), main->headFilter(), main->headEffect(),
                                              main->headHelp(), main->zoomButton()};
  for (int i = 0; i < heads.size(); ++i) {
    const QRect r = heads[i]->geometry();
    EXPECT_LE(r.right(), main->headerStrip()->width() - 1) << i;
    for (int j = i + 1; j < heads.size(); ++j)
      EXPECT_FALSE(r.intersects(heads[j]->geometry())) << i << " " << j;
  }
}

TEST_F(ShellTest, ThePictureStaysInViewAfterResizesTurnsAndDrags) {
  main->show();
  open(writePicture("wide.bmp", 300, 60));
  auto* pic = main->picture();
  QWidget* area = main->imageArea();
  auto inside = [&] { return area->rect().contains(pic->geometry()); };
  ASSERT_TRUE(inside());
  // Moved to the right edge, the picture no longer fits once the window narrows: re-centred.
  pic->move(area->width() - pic->width(), 10);
  main->resize(480, 432);
  QApplication::processEvents();
  EXPECT_TRUE(inside());
  EXPECT_EQ(pic->x(), (area->width() - pic->width()) / 2);

  // Turned a quarter near the bottom: it would reach past the area, so it is re-centred.
  pic->move(10, area->height() - pic->height() - 5);
  main->Stuff().Dispatch("mnu_Effect_Rotate", 0);
  EXPECT_EQ(pic->size(), QSize(60, 300));
  EXPECT_TRUE(inside());
  // A picture that fits where it is stays there.
  const QPoint kept(20, 10);
  pic->move(kept);
  main->Stuff().Dispatch("mnu_Effect_Rotate", 1);
  EXPECT_EQ(pic->pos(), kept);

  // A drag far out keeps 32 pixels of the picture in view.
  auto mouse = [pic](QEvent::Type type, QPoint at, Qt::MouseButtons held) {
    QMouseEvent e(type, QPointF(at), QPointF(pic->mapToGlobal(at)), Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(pic, &e);
  };
  mouse(QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton);
  mouse(QEvent::MouseMove, {5 - 5000, 5 - 5000}, Qt::LeftButton);
  EXPECT_EQ(pic->x() + pic->width(), 32);
  EXPECT_EQ(pic->y() + pic->height(), 32);
  mouse(QEvent::MouseMove, {5 + 5000, 5 + 5000}, Qt::LeftButton);
  EXPECT_EQ(pic->x(), area->width() - 32);
  EXPECT_EQ(pic->y(), area->height() - 32);
  mouse(QEvent::MouseButtonRelease, {5, 5}, Qt::NoButton);
}

TEST_F(ShellTest, SaveAsRoutesByExtension) {
  open(writePicture("src.bmp", 12, 8));
  dialogs.clear();

  answer = "";
  main->Stuff().SaveImageAs();
  EXPECT_EQ(dialogs, QStringList{QString("save 3 ") + orvane::kSavePictureFilter});

  answer = dir.filePath("out.JPG");  // the JPEG settings save
  main->Stuff().SaveImageAs();
  EXPECT_EQ(jpegPaths, QStringList{answer});
  EXPECT_FALSE(QFile::exists(answer));

  answer = dir.filePath("out.jpeg");  // typed by hand: quality 75, no dialog
  main->Stuff().SaveImageAs();
  EXPECT_EQ(jpegPaths.size(), 1);

  answer = dir.filePath("out.webp");  // lossy at a quality too: the same dialog
  main->Stuff().SaveImageAs();
  EXPECT_EQ(jpegPaths, (QStringList{dir.filePath("out.JPG"), answer}));
  EXPECT_FALSE(QFile::exists(answer));

  for (const char* name : {"copy.bmp", "copy.png"}) {
    answer = dir.filePath(name);
    main->Stuff().SaveImageAs();
    EXPECT_TRUE(QFile::exists(answer));
    EXPECT_EQ(QImage(answer).size(), QSize(12, 8));
  }

  EXPECT_TRUE(
      messages.isEmpty() ||
      (messages.size() == 1 && messages[0].startsWith("Failed to save! ")));  // jpeg needs the codec library
  messages.clear();
  answer = dir.filePath("out.psd");
  main->Stuff().SaveImageAs();
  EXPECT_EQ(messages, (QStringList{"Failed to save! unknown format"}));
  EXPECT_FALSE(QFile::exists(dir.filePath("out.psd")));
}

TEST_F(ShellTest, SaveAsWithoutAnExtensionTakesTheChosenType) {
  open(writePicture("src.bmp", 12, 8));
  // Every written format is offered, PCX among them.
  EXPECT_TRUE(QString::fromLatin1(orvane::kSavePictureFilter).contains("PCX Format|*.pcx"));
  const QStringList types = QString::fromLatin1(orvane::kSavePictureFilter).split('|');
  auto typeOf = [&](const QString& pattern) { return static_cast<int>(types.indexOf(pattern) / 2 + 1); };

  answer = dir.filePath("plain");
  typeAnswer = typeOf("*.bmp");
  main->Stuff().SaveImageAs();
  EXPECT_TRUE(QFile::exists(dir.filePath("plain.bmp")));
  EXPECT_EQ(QImage(dir.filePath("plain.bmp")).size(), QSize(12, 8));

  typeAnswer = typeOf("*.pcx");
  main->Stuff().SaveImageAs();
  EXPECT_TRUE(QFile::exists(dir.filePath("plain.pcx")));

  typeAnswer = typeOf("*.jpg");  // through the JPEG settings
  main->Stuff().SaveImageAs();
  EXPECT_EQ(jpegPaths, QStringList{dir.filePath("plain.jpg")});

  typeAnswer = typeOf("*.tif");  // an extension typed by hand wins over the type
  answer = dir.filePath("typed.bmp");
  main->Stuff().SaveImageAs();
  EXPECT_TRUE(QFile::exists(dir.filePath("typed.bmp")));
  EXPECT_FALSE(QFile::exists(dir.filePath("typed.bmp.tif")));
  EXPECT_FALSE(QFile::exists(dir.filePath("plain")));
  EXPECT_TRUE(messages.isEmpty()) << messages.join(", ").toStdString();
}

TEST_F(ShellTest, HeaderButtonsPopUpTheirMenusBelowThem) {
  main->show();
  emit main->headHelp()->Click();
  QMenu* help = main->Stuff().menu("Help");
  EXPECT_TRUE(help->isVisible());
  EXPECT_EQ(help->pos(), main->mapToGlobal(main->menuPoint(main->headHelp())));
  help->hide();
  emit main->zoomButton()->Click();
  EXPECT_TRUE(main->Stuff().menu("Zoom")->isVisible());
  main->Stuff().menu("Zoom")->hide();
}

TEST_F(ShellTest, ThePictureIsDraggedAboutAndDroppedFilesOpen) {
  const QString path = writePicture("drop.bmp", 30, 20);
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(path)});
  QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(main.get(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(main.get(), &drop);
  EXPECT_EQ(orvane::CurrentImage().Width(), 30);
  EXPECT_TRUE(dialogs.isEmpty());
  EXPECT_TRUE(main->headEffect()->isEnabled());

  QWidget* pic = main->picture();
  const QPoint start = pic->pos();
  auto mouse = [pic](QEvent::Type type, QPoint at, Qt::MouseButtons held) {
    QMouseEvent e(type, QPointF(at), QPointF(pic->mapToGlobal(at)), Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(pic, &e);
  };
  mouse(QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton);
  mouse(QEvent::MouseMove, {15, 25}, Qt::LeftButton);
  EXPECT_EQ(pic->pos(), start + QPoint(10, 20));
  mouse(QEvent::MouseButtonRelease, {15, 25}, Qt::NoButton);
  mouse(QEvent::MouseMove, {40, 40}, Qt::NoButton);  // no button held: no move
  EXPECT_EQ(pic->pos(), start + QPoint(10, 20));
}

TEST_F(ShellTest, BackToOriginalBeforeAnyOpenEmptiesTheImage) {
  orvane::CurrentImage().Create(8, 8);
  main->Stuff().Dispatch("mnu_File", 3);
  EXPECT_EQ(orvane::CurrentImage().Width(), 0);
  EXPECT_EQ(main->picture()->size(), QSize(0, 0));
}

}  // namespace
