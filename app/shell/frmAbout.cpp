#include "frmAbout.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QScreen>

#include "Globals.h"
#include "LumbraButton.h"
#include "MyXPFrm.h"
#include "ShellHelpers.h"
#include "SkinResources.h"
#include "XPTopButtons.h"
#include "frmMain.h"

namespace orvane {

namespace {

// Guarded: the box is a child of the main window and goes with it.
QPointer<frmAbout> loadedBox;

QLabel* whiteLabel(QWidget* parent, const QString& text, int x, int y, int w, int h, int pixelSize,
                   bool bold) {
  auto* label = new QLabel(text, parent);
  QFont f = label->font();
  f.setPixelSize(pixelSize);
  f.setBold(bold);
  label->setFont(f);
  QPalette pal = label->palette();
  pal.setColor(QPalette::WindowText, Qt::white);
  label->setPalette(pal);
  label->setWordWrap(true);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setGeometry(Tw(x), Tw(y), Tw(w), Tw(h));
  return label;
}

}  // namespace

frmAbout::frmAbout(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
  setObjectName(QStringLiteral("frmAbout"));
  setWindowTitle(QStringLiteral("About This Program"));
  setModal(true);
  XPFrm = new MyXPFrm(this);
  XPFrm->setGeometry(0, 0, kWidth, kHeight);

  Image1 = new QLabel(this);
  Image1->setGeometry(Tw(360), Tw(480), Tw(960), Tw(960));
  Image1->setPixmap(ResourcePixmap(QStringLiteral("emblem.png")));
  Lab = whiteLabel(this, QStringLiteral("Orvane "), 1800, 480, 1815, 495, 24, true);
  Label1 = whiteLabel(this, QStringLiteral("Version:2003 May"), 2640, 960, 1815, 255, 11, false);
  Image2 = new QLabel(this);
  Image2->setGeometry(Tw(2160), Tw(1200), Tw(2325), Tw(630));
  Image2->setPixmap(ResourcePixmap(QStringLiteral("banner.png")));
  Label2 = whiteLabel(this, QStringLiteral("It's a free software,enjoy!"), 2640, 1800, 2295, 255, 11, false);
  Label4 = whiteLabel(this, QStringLiteral("Any bug or any advice about this software,plase E-MAIL me!"),
                      2520, 2280, 2415, 375, 10, false);

  auto linkButton = [this](const QString& caption, const QString& url, int y) {
    auto* b = new LumbraButton(this, caption);
    b->setGeometry(Tw(120), Tw(y), Tw(2175), Tw(495));
    b->setXPStyle(true);
    b->setXPWinStyle(false);
    b->setTransparentBG(true);
    b->setForeColor(Qt::white);
    b->setURL(url);
    // The largest font up to 12 pixels in which the address fits the button.
    QFont f = b->font();
    for (int px = 12; px >= 8; --px) {
      f.setPixelSize(px);
      if (QFontMetrics(f).horizontalAdvance(caption) <= b->contentRect().width()) break;
    }
    b->setButtonFont(f);
    return b;
  };
  bHomePage = linkButton(QString::fromLatin1(kHomePageAddress), QString::fromLatin1(kHomePageAddress), 1800);
  bEMail = linkButton(QString::fromLatin1(kMailAddress), QStringLiteral("mailto:") + kMailAddress, 2400);
  // Without a desktop opener the address is shown, to be copied from the message.
  for (LumbraButton* b : {bHomePage, bEMail}) {
    connect(b, &LumbraButton::UrlNotOpened, this, [](const QString& url) {
      const QString address = url.startsWith(QLatin1String("mailto:")) ? url.mid(7) : url;
      ShowMessage(QStringLiteral("No program was found to open this address; it is:\n\n%1").arg(address));
    });
  }

  bClose = new XPTopButtons(this, 2);
  bClose->move(Tw(4680), 0);
  bClose->setToolTip(QStringLiteral("Close"));
  connect(bClose, &XPTopButtons::Click, this, &QDialog::reject);
  Load();
}

void frmAbout::Load() {
  resize(XPFrm->size());
  XPFrm->SetCaption(QStringLiteral("About This Program"), QString());
  // The links borrow the zoom button's hand pointer.
  QPixmap hand = HandPointer();
  if (auto* main = dynamic_cast<frmMain*>(Shell().MainWidget())) hand = main->zoomButton()->MouseIcon();
  for (LumbraButton* b : {bHomePage, bEMail}) {
    b->setMouseIcon(hand);
    b->setMousePointer(99);
  }
}

frmAbout& AboutBox() {
  if (loadedBox == nullptr) loadedBox = new frmAbout(Shell().MainWidget());
  return *loadedBox;
}

bool AboutBoxLoaded() { return loadedBox != nullptr; }

void ShowAboutBox() {
  frmAbout& box = AboutBox();
  if (QScreen* screen = QGuiApplication::primaryScreen())
    box.move(screen->availableGeometry().center() - box.rect().center());
  box.exec();
  // Closing unloads the box.
  frmAbout* shown = loadedBox;
  loadedBox = nullptr;
  if (shown != nullptr) shown->deleteLater();
}

}  // namespace orvane
