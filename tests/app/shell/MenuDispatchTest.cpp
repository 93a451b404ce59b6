#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRegularExpression>

#include "DynamicLibrary.h"
#include "HelpWindow.h"
#include "MyXPFrm.h"
#include "ShellFixture.h"
#include "frmAbout.h"

using orvane::Command;
using orvane::LookupCommand;

namespace {

// One menu level as "index:caption" entries ("index:-" for separators,
// "index:>caption" for sub-menus, "~" for unnumbered separators and headings).
QStringList level(QMenu* menu) {
  QStringList out;
  for (QAction* a : menu->actions()) {
    const int index = a->property("index").isValid() ? a->property("index").toInt() : -1;
    const QString prefix = index >= 0 ? QString::number(index) + ":" : "~";
    if (a->isSeparator())
      out << prefix + "-";
    else if (a->menu() != nullptr)
      out << prefix + ">" + a->text();
    else
      out << prefix + a->text();
  }
  return out;
}

QMenu* sub(QMenu* menu, const QString& caption) {
  for (QAction* a : menu->actions())
    if (a->menu() != nullptr && a->text() == caption) return a->menu();
  return nullptr;
}

TEST_F(ShellTest, MenuTreeHasTheCaptionsIndicesAndSeparators) {
  orvane::frmStuff& s = main->Stuff();
  EXPECT_EQ(level(s.menu("File")),
            (QStringList{"0:Open...                  Ctrl+O", "~>Recent Files",
                         "1:Save As...               Ctrl+S", "2:-", "0:Undo                     Ctrl+Z",
                         "1:Redo                     Ctrl+Y", "2:-", "3:Copy                     Ctrl+C",
                         "4:Paste                    Ctrl+V", "5:-", "3:Back to Original          Ctrl+R",
                         "4:Crop to Selection   Ctrl+Shift+X", "5:-", "6:Exit                      Ctrl+X"}));
  QMenu* filter = s.menu("Filter");
  EXPECT_EQ(level(filter),
            (QStringList{"~>Auto Process", "~-", "~>Color Adjustment", "~-", "~>Blur", "~>Sharpen", "~-",
                         "~>Style", "~>Chemistry", "~>Physics", "~>Nature", "~>Art"}));
  EXPECT_EQ(level(sub(filter, "Auto Process")),
            (QStringList{"0:Auto Level           F2", "1:Auto Contrast     F3", "2:Equalize"}));
  QMenu* color = sub(filter, "Color Adjustment");
  EXPECT_EQ(level(color), (QStringList{"0:Brightness and Contrast...",
                                       "1:Exposal...",
                                       "2:-",
                                       "3:Adjust Levels...",
                                       "4:Hue and Saturation...",
                                       "5:Mix Solid Color...",
                                       "6:-",
                                       "7:RGB Balance...",
                                       "8:RGB Bounds...",
                                       "9:>RGB Exchange",
                                       "10:-",
                                       "11:>Kill Color",
                                       "12:>Soft Color",
                                       "13:>Hard Color",
                                       "14:>Fast Color",
                                       "15:-",
                                       "16:>Invert",
                                       "17:>GreyScale",
                                       "18:Simulate Color(for GreyScale)",
                                       "19:Black and White..."}));
  EXPECT_EQ(level(sub(color, "Fast Color")), (QStringList{"0:Fast Purple", "1:Fast Grey", "2:Fast Yellow",
                                                          "3:Fast Brown", "4:Fast Brown More"}));
  EXPECT_EQ(level(sub(color, "GreyScale")).size(), 8);
  EXPECT_EQ(level(sub(color, "Invert")).first(), "0:Invert RGB");
  EXPECT_EQ(level(sub(filter, "Blur")).last(), "7:Noise Reduction - Median Filtering");
  EXPECT_EQ(level(sub(filter, "Sharpen")).size(), 14);
  QMenu* style = sub(filter, "Style");
  EXPECT_EQ(level(style), (QStringList{"0:Emboss...", "1:>Engrave", "2:Canvas...", "3:Diffuse...",
                                       "4:Kesh Nostalgic..", "5:Africa", "6:CharCoal", "7:Strange",
                                       "8:Unreal", "9:Super Edge", "11:Artistic Edge", "12:Contour"}));
  EXPECT_EQ(level(sub(style, "Engrave")).last(), "6:Engrave Yellow");
  EXPECT_EQ(level(sub(filter, "Chemistry")), (QStringList{"0:Neon...", "1:Erode...", "2:Ice..."}));
  EXPECT_EQ(level(s.menu("Effect")),
            (QStringList{"~Resize...", "~-", "~>Rotate", "~-", "~>Flip", "~>Simple Mirror", "~>Distortion",
                         "~-", "~Persian Blinds..."}));
  EXPECT_EQ(level(s.menu("Help")), (QStringList{"0:Help                 F1", "1:-", "2:HomePage", "3:E-Mail",
                                                "4:-", "5:About this Program"}));
  EXPECT_EQ(level(s.menu("Zoom")),
            (QStringList{"9:Fit                      Ctrl+0", "10:10%", "0:25%", "1:50%", "2:75%",
                         "3:100%                     Ctrl+1", "4:150%", "5:200%", "6:300%", "11:400%",
                         "12:800%", "7:-", "8:Center"}));
}

// Every clickable item has a command; separators and headings have none.
TEST_F(ShellTest, EveryItemAndOnlyItemsDispatch) {
  int items = 0;
  for (const char* head : {"File", "Filter", "Effect", "Help", "Zoom"}) {
    for (QAction* a : main->Stuff().menu(head)->findChildren<QAction*>()) {
      if (!a->property("array").isValid()) continue;
      const Command c = LookupCommand(a->property("array").toString(), a->property("index").toInt());
      const bool clickable = !a->isSeparator() && a->menu() == nullptr;
      EXPECT_EQ(c.kind != Command::None, clickable)
          << a->property("array").toString().toStdString() << " " << a->property("index").toInt();
      items += clickable;
    }
  }
  // File 5 + Undo, Redo, Copy, Paste, Filter 107, Effect 14, Help 4, Zoom 12.
  EXPECT_EQ(items, 146);
}

struct Row {
  const char* array;
  const char* entries;  // "index=kind:name/arg ..."
};

// The dispatch of every index, written out per array: F filter (then
// redisplay), E effect, D dialog mode, and file, help and zoom commands.
const Row kTable[] = {
    {"mnu_File",
     "0=File:OpenImage 1=File:SaveImageAs 3=File:BackToOriginal 4=File:CropToSelection 6=File:Exit 2=- 5=-"},
    {"mnu_FileEdit", "0=File:Undo 1=File:Redo 3=File:Copy 4=File:Paste 2=- 5=-"},
    {"mnu_Filter_AutoProcess", "0=F:AutoLevel 1=F:AutoContrast 2=F:Equalize 3=-"},
    {"mnu_Filter_ColorAdj",
     "0=D:1 1=D:2 3=D:3 4=D:4 5=D:5 7=D:6 8=D:7 18=F:FalseColor 19=D:8 2=- 6=- 9=- 10=- 11=- 12=- 13=- 14=- "
     "15=- 16=- "
     "17=- 20=-"},
    {"mnu_Filter_RGBExchange", "0=F:RGB2BGR 1=F:RGB2BRG 2=F:RGB2GBR 3=F:RGB2GRB 4=F:RGB2RBG 5=-"},
    {"mnu_Filter_KillColor",
     "0=F:KillRed 1=F:KillGreen 2=F:KillBlue 3=F:KillCyan 4=F:KillCarmine 5=F:KillYellow 6=-"},
    {"mnu_Filter_SoftColor", "0=F:SoftRed 1=F:SoftGreen 2=F:SoftOrange 3=F:SoftYellow 4=F:SoftPurple"},
    {"mnu_Filter_HardColor", "0=F:HardRed 1=F:HardGreen 2=F:HardBlue 3=F:HardYellow 4=-"},
    {"mnu_Filter_FastColor", "0=F:FastPurple 1=F:FastGrey 2=F:FastYellow 3=F:FastBrown 4=F:FastDarkBrown"},
    {"mnu_Filter_Invert",
     "0=F:InvertAll 1=F:InvertRed 2=F:InvertGreen 3=F:InvertBlue 4=F:InvertCarmine 5=F:InvertYellow "
     "6=F:InvertCyan"},
    {"mnu_Filter_GreyScale",
     "0=F:StandardGreyscale 1=F:GreyScale_Average 2=F:GreyScale_HighLight 3=F:GreyScale_MedianLight "
     "4=F:GreyScale_LowLight 5=F:GreyScale_OnlyR 6=F:GreyScale_OnlyG 7=F:GreyScale_OnlyB 8=-"},
    {"mnu_Blur",
     "0=F:FastBlur 1=F:GaussBlur 2=F:BlurSoftly 3=F:BlurMore 4=F:SpecialBlur 5=D:9 6=D:10 "
     "7=F:Noise_Reduction_Median 8=-"},
    {"mnu_Sharpen",
     "0=D:11 1=F:SimpleSharpen 2=F:SharpenLess 3=F:SharpenMore 4=F:UnSharpMask 5=F:EnhanceEdge "
     "6=F:EmbossHightLight 7=F:EmbossColor 8=F:Sharpen_Horizontal 9=F:Sharpen_Vertical 10=F:Sharpen_Roberts "
     "11=F:Sharpen_Wallis 12=F:Sharpen_Laplacian1 13=F:Sharpen_Laplacian2 14=-"},
    {"mnu_Style",
     "0=D:12 1=- 2=D:13 3=D:14 4=D:15 5=F:AfricaF 6=F:CharCoal 7=F:Strange 8=F:Unreal 9=F:SuperEdge 10=- "
     "11=F:ArtisticEdge 12=F:Contour"},
    {"mnu_Filter_Engrave",
     "0=F:Engrave 1=F:EngraveRed 2=F:EngraveGreen 3=F:EngraveBlue 4=F:EngraveCyan 5=F:EngraveCarmine "
     "6=F:EngraveYellow"},
    {"mnu_Filter_Chemistry", "0=D:16 1=D:18 2=D:17"},
    {"mnu_Filter_Physics", "0=D:19 1=F:Noise 2=F:Liquid 3=F:WetPaper"},
    {"mnu_Filter_Nature", "0=D:20 1=D:21 2=F:Flame 3=F:Night 4=F:Eclipse"},
    {"mnu_Filter_Art", "0=D:22 1=D:23 2=D:24"},
    {"mnu_Effect_Resize", "-1=D:25"},
    {"mnu_Effect_Rotate", "0=E:Rotate/90 1=E:Rotate/180 2=E:Rotate/270 3=-"},
    {"mnu_Effect_Flip", "0=E:FlipHor 1=E:FlipVer"},
    {"mnu_Effect_SimpleMirror", "0=E:MirrorHor 1=E:MirrorHorRev 2=E:MirrorVer 3=E:MirrorVerRev"},
    {"mnu_Effect_Distortion", "0=D:27 1=D:28 2=D:29"},
    {"mnu_Effect_Blinds", "-1=D:26"},
    {"mnu_Help", "0=Help:Help 2=Help:HomePage 3=Help:EMail 5=Help:About 1=- 4=-"},
    {"mnu_Zoom",
     "0=Zoom:Zoom/25 1=Zoom:Zoom/50 2=Zoom:Zoom/75 3=Zoom:Zoom/100 4=Zoom:Zoom/150 5=Zoom:Zoom/200 "
     "6=Zoom:Zoom/300 7=- 8=Zoom:Center/0 9=Zoom:Fit/-1 10=Zoom:Zoom/10 11=Zoom:Zoom/400 12=Zoom:Zoom/800"},
};

QString describe(const Command& c) {
  switch (c.kind) {
    case Command::None:
      return "-";
    case Command::Filter:
      return QStringLiteral("F:%1").arg(c.name) + (c.redisplay ? "" : "!");
    case Command::Effect:
      return QStringLiteral("E:%1").arg(c.name) + (c.arg ? QStringLiteral("/%1").arg(c.arg) : "") +
             (c.redisplay ? "" : "!");
    case Command::Dialog:
      return QStringLiteral("D:%1").arg(c.arg) + (c.redisplay ? "!" : "");
    case Command::File:
      return QStringLiteral("File:%1").arg(c.name);
    case Command::Help:
      return QStringLiteral("Help:%1").arg(c.name);
    case Command::Zoom:
      return QStringLiteral("Zoom:%1/%2").arg(c.name).arg(c.arg);
  }
  return "?";
}

TEST(Dispatch, EveryIndexOfEveryArray) {
  for (const Row& row : kTable) {
    for (const QString& entry : QString(row.entries).split(' ')) {
      const int eq = entry.indexOf('=');
      const int index = entry.left(eq).toInt();
      EXPECT_EQ(describe(LookupCommand(row.array, index)), entry.mid(eq + 1)) << row.array << " " << index;
    }
  }
  EXPECT_EQ(LookupCommand("mnu_Nothing", 0).kind, Command::None);
}

TEST_F(ShellTest, DialogItemsOpenTheAdjustmentDialogInTheirMode) {
  main->Stuff().Dispatch("mnu_Filter_Chemistry", 1);
  main->Stuff().Dispatch("mnu_Filter_Chemistry", 2);
  main->Stuff().Dispatch("mnu_Effect_Resize", -1);
  main->Stuff().Dispatch("mnu_Filter_ColorAdj", 9);  // a sub-menu heading: nothing
  EXPECT_EQ(adjustModes, (QList<int>{18, 17, 25}));
}

TEST_F(ShellTest, FilterItemsChangeTheImageAndRedisplayInPlace) {
  open(writePicture("in.bmp", 40, 30));
  orvane::CDIB& image = orvane::CurrentImage();
  const uint8_t before = image.DIBPointer()[0];
  main->picture()->move(5, 7);
  main->Stuff().Dispatch("mnu_Filter_Invert", 0);
  EXPECT_EQ(image.DIBPointer()[0], 255 - before);
  EXPECT_EQ(main->picture()->grab().toImage().pixelColor(0, 29).blue(), 255 - before);
  EXPECT_EQ(main->picture()->pos(), QPoint(5, 7));  // a filter keeps the display where it is

  // A rotation changes the size; the display follows, its place stays until "Center".
  main->Stuff().Dispatch("mnu_Effect_Rotate", 0);
  EXPECT_EQ(main->picture()->size(), QSize(30, 40));
  EXPECT_EQ(main->picture()->pos(), QPoint(5, 7));
  main->Stuff().Dispatch("mnu_Zoom", 8);
  EXPECT_EQ(main->picture()->pos(), QPoint(281 - 15, 183 - 20));
  EXPECT_EQ(main->ZoomPercent, 100);
  EXPECT_TRUE(messages.isEmpty());
}

TEST_F(ShellTest, ZoomShowsAScaledCopyAndCentresIt) {
  open(writePicture("big.bmp", 400, 300));
  main->Stuff().Dispatch("mnu_Zoom", 1);  // 50%
  EXPECT_EQ(main->ZoomPercent, 50);
  EXPECT_EQ(main->picture()->size(), QSize(200, 150));
  EXPECT_EQ(orvane::CurrentImage().Width(), 400);
  EXPECT_EQ(orvane::CurrentImage().Height(), 300);
  EXPECT_EQ(main->picture()->pos(), QPoint(281 - 100, 108));  // 183.5 - 75
  // Larger than the image area: negative places, overhanging equally.
  main->Stuff().Dispatch("mnu_Zoom", 5);  // 200%
  EXPECT_EQ(main->picture()->size(), QSize(800, 600));
  EXPECT_EQ(main->picture()->pos(), QPoint(281 - 400, -117));  // 183.5 - 300
  // 100% while at 100 still redisplays and re-centres.
  main->Stuff().Dispatch("mnu_Zoom", 3);
  main->picture()->move(0, 0);
  main->Stuff().Dispatch("mnu_Zoom", 3);
  EXPECT_EQ(main->picture()->pos(), QPoint(81, 33));
}

TEST_F(ShellTest, HelpItemsOpenTheFileAndTheLinksWithoutShowingTheBox) {
  main->Stuff().Dispatch("mnu_Help", 2);
  main->Stuff().Dispatch("mnu_Help", 3);
  EXPECT_EQ(urls, (QStringList{"web:https://orvane.example.org", "shell:mailto:orvane@example.org"}));
  ASSERT_TRUE(orvane::AboutBoxLoaded());
  EXPECT_FALSE(orvane::AboutBox().isVisible());
  EXPECT_EQ(orvane::AboutBox().size(), orvane::AboutBox().frame()->size());
  EXPECT_EQ(orvane::AboutBox().size(), QSize(337, 210));
  EXPECT_EQ(orvane::AboutBox().frame()->programName(), "About This Program");
  EXPECT_EQ(orvane::AboutBox().homePageButton()->Caption(), "https://orvane.example.org");
  EXPECT_EQ(orvane::AboutBox().mailButton()->Caption(), "orvane@example.org");

  // Without a desktop opener the address is shown in a message.
  urlsOpen = false;
  main->Stuff().Dispatch("mnu_Help", 2);
  main->Stuff().Dispatch("mnu_Help", 3);
  ASSERT_EQ(messages.size(), 2);
  EXPECT_TRUE(messages[0].contains("https://orvane.example.org")) << messages[0].toStdString();
  EXPECT_TRUE(messages[1].contains("orvane@example.org")) << messages[1].toStdString();
  EXPECT_FALSE(messages[1].contains("mailto:"));
}

TEST_F(ShellTest, HelpShowsInAWindowOfItsOwnThatSearchesAndClosesOnEscape) {
  ASSERT_TRUE(QFileInfo::exists(orvane::HelpFilePath())) << "Help.txt travels with the program";
  QFile file(orvane::HelpFilePath());
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QString helpText = QString::fromUtf8(file.readAll());
  main->Stuff().Dispatch("mnu_Help", 0);
  orvane::HelpWindow* help = orvane::ShownHelpWindow();
  ASSERT_NE(help, nullptr);
  EXPECT_TRUE(help->isVisible());
  EXPECT_TRUE(opened.isEmpty());  // no desktop opener needed
  // Every line of the file is there, the last one included.
  const QStringList lines = helpText.trimmed().split(QRegularExpression("\r?\n"));
  EXPECT_TRUE(help->text()->toPlainText().contains(lines.first()));
  EXPECT_TRUE(help->text()->toPlainText().contains(lines.last()));

  // A word from the middle of the file is found, the search wraps round, and
  // something absent is not found.
  const QStringList words = helpText.split(QRegularExpression("\\W+"), Qt::SkipEmptyParts);
  ASSERT_GT(words.size(), 4);
  const QString word = words[words.size() / 2];
  EXPECT_TRUE(help->FindNext(word));
  EXPECT_EQ(help->text()->textCursor().selectedText(), word);
  for (int i = 0; i < words.size() + 1; ++i) ASSERT_TRUE(help->FindNext(word));
  EXPECT_FALSE(help->FindNext("no-such-words-in-help-xyzzy"));

  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(help->findBox(), &escape);
  EXPECT_FALSE(help->isVisible());
  EXPECT_TRUE(messages.isEmpty());
}

TEST_F(ShellTest, EscapeClosesTheAboutBox) {
  orvane::frmAbout& box = orvane::AboutBox();
  box.show();
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QWidget* target = QApplication::focusWidget() && box.isAncestorOf(QApplication::focusWidget())
                        ? QApplication::focusWidget()
                        : static_cast<QWidget*>(box.homePageButton());
  QApplication::sendEvent(target, &escape);
  EXPECT_FALSE(box.isVisible());
}

TEST_F(ShellTest, AFailingOperationIsReportedAndTheProgramGoesOn) {
  // The dialog fails as a missing library function would.
  orvane::SetAdjustDialogLauncher(
      [](int) { throw orvane::LibraryError("libqrix.so", "dllnothing", "missing"); });
  main->Stuff().Dispatch("mnu_Blur", 5);
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].contains("Average Blur...")) << messages[0].toStdString();
  EXPECT_TRUE(messages[0].contains("dllnothing")) << messages[0].toStdString();
  EXPECT_EQ(titles[0], "Orvane");
}

}  // namespace
