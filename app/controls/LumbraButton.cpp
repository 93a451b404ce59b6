#include "LumbraButton.h"

#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>
#include <QStyle>
#include <QStyleOption>
#include <QUrl>
#include <algorithm>

#include "SkinResources.h"

namespace orvane {

namespace {

std::function<bool(const QString&, bool)>& urlHook() {
  static std::function<bool(const QString&, bool)> hook;
  return hook;
}

int clamp255(int v) { return std::clamp(v, 0, 255); }

QColor sys(QPalette::ColorRole role) { return QApplication::palette().color(QPalette::Active, role); }

// Windows-style system colours of the current palette.
QColor sys3DShadow() { return sys(QPalette::Dark); }
QColor sys3DHighlight() { return sys(QPalette::Light); }
QColor sys3DDarkShadow() { return sys(QPalette::Shadow); }

void outline(QPainter& p, const QRect& r, const QColor& c) {
  p.setPen(c);
  p.setBrush(Qt::NoBrush);
  p.drawRect(r.adjusted(0, 0, -1, -1));
}

}  // namespace

QColor ShadeColor(const QColor& color, int d) {
  const int b = color.blue();
  return QColor(clamp255(color.red() + d), clamp255(color.green() + d), clamp255(b + (b * d) / 192));
}

int ShiftMask(Qt::KeyboardModifiers modifiers) {
  int shift = 0;
  if (modifiers & Qt::ShiftModifier) shift |= 1;
  if (modifiers & Qt::ControlModifier) shift |= 2;
  if (modifiers & Qt::AltModifier) shift |= 4;
  return shift;
}

int ButtonMask(Qt::MouseButtons buttons) {
  return (buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0) |
         (buttons & Qt::MiddleButton ? 4 : 0);
}

int ButtonCode(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton:
      return 1;
    case Qt::RightButton:
      return 2;
    case Qt::MiddleButton:
      return 4;
    default:
      return 0;
  }
}

void LumbraButton::SetUrlOpener(std::function<bool(const QString&, bool)> opener) {
  urlHook() = std::move(opener);
}

LumbraButton::LumbraButton(QWidget* parent, const QString& name) : QWidget(parent), caption_(name) {
  setObjectName(name);
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_Hover, false);
  foreColor_ = sys(QPalette::ButtonText);
  backColor_ = sys(QPalette::Button);
  xpColorHover_ = sys(QPalette::Midlight);
  xpColorPressed_ = sys(QPalette::Light);
  shown_ = picture_;
  overTimer_.setInterval(10);
  connect(&overTimer_, &QTimer::timeout, this, &LumbraButton::overTimerTick);
  resize(75, 25);
  setDefCurHand(true);
  changed_ = false;
  updateShortcuts();
}

// ---- properties ----------------------------------------------------------

void LumbraButton::changed(bool redraw) {
  changed_ = true;
  if (redraw) Refresh();
}

void LumbraButton::setCaption(const QString& text) {
  caption_ = text;
  updateShortcuts();
  changed();
}
void LumbraButton::setButtonFont(const QFont& f) {
  setFont(f);
  changed();
}
void LumbraButton::setForeColor(const QColor& c) {
  foreColor_ = c;
  changed();
}
void LumbraButton::setBackColor(const QColor& c) {
  backColor_ = c;
  changed();
}
void LumbraButton::setButtonEnabled(bool on) {
  setEnabled(on);
  updateShortcuts();
  changed();
}
void LumbraButton::setPicture(const QPixmap& pic) {
  picture_ = pic;
  if (!pic.isNull()) {
    originalPicW_ = pic.width();
    originalPicH_ = pic.height();
  }
  if (!hovering_ || pictureHover_.isNull()) shown_ = picture_;
  changed();
}
void LumbraButton::setPictureHover(const QPixmap& pic) {
  pictureHover_ = pic;
  changed();
}
void LumbraButton::setPicturePosition(int position) {
  picturePosition_ = position;
  changed();
}
void LumbraButton::setPictureWidth(int w) {
  pictureWidth_ = w;
  changed();
}
void LumbraButton::setPictureHeight(int h) {
  pictureHeight_ = h;
  changed();
}
void LumbraButton::setPictureSize(int size) {
  pictureSize_ = size;
  switch (size) {
    case 0:
      pictureWidth_ = pictureHeight_ = 16;
      break;
    case 1:
      pictureWidth_ = pictureHeight_ = 32;
      break;
    case 2:
      pictureWidth_ = picture_.isNull() ? 32 : picture_.width();
      pictureHeight_ = picture_.isNull() ? 32 : picture_.height();
      break;
    default:
      break;
  }
  changed();
}
void LumbraButton::setMaskColor(const QColor& c) {
  maskColor_ = c;
  changed();
}
void LumbraButton::setTransparentBG(bool on) {
  transparentBG_ = on;
  changed();
}
void LumbraButton::setMousePointer(int code) {
  mousePointer_ = code;
  applyPointer();
  changed(false);
}
void LumbraButton::setMouseIcon(const QPixmap& icon) {
  mouseIcon_ = icon;
  applyPointer();
  changed(false);
}
void LumbraButton::setDefCurHand(bool on) {
  defCurHand_ = on;
  if (on) {
    mouseIcon_ = HandPointer();
    mousePointer_ = 99;
  } else {
    mouseIcon_ = QPixmap();
  }
  applyPointer();
  changed(false);
}
void LumbraButton::setRAISED(bool on) {
  raised_ = on;
  changed();
}
void LumbraButton::setNoBorderEffect(bool on) {
  noBorderEffect_ = on;
  changed();
}
void LumbraButton::setBEVEL(int bevel) {
  bevel_ = bevel;
  changed();
}
void LumbraButton::setBEVELDEPTH(int depth) {
  bevelDepth_ = depth;
  changed();
}
void LumbraButton::setXPStyle(bool on) {
  xpStyle_ = on;
  updateRegion();
  changed();
}
void LumbraButton::setXPWinStyle(bool on) {
  xpWinStyle_ = on;
  updateRegion();
  changed();
}
void LumbraButton::setXPDefaultColors(bool on) {
  xpDefaultColors_ = on;
  changed();
}
void LumbraButton::setXPColor_Hover(const QColor& c) {
  xpColorHover_ = c;
  changed();
}
void LumbraButton::setXPColor_Pressed(const QColor& c) {
  xpColorPressed_ = c;
  changed();
}
void LumbraButton::setXPShowBorderAlways(bool on) {
  xpShowBorderAlways_ = on;
  changed();
}
void LumbraButton::setShowFocusRect(bool on) {
  showFocusRect_ = on;
  changed();
}
void LumbraButton::setShowBorderOnFocus(bool on) {
  showBorderOnFocus_ = on;
  changed();
}
void LumbraButton::setSoundOver(const QString& file) {
  soundOver_ = file;
  changed(false);
}
void LumbraButton::setSoundClick(const QString& file) {
  soundClick_ = file;
  changed(false);
}
void LumbraButton::setURL(const QString& url) {
  url_ = url;
  changed(false);
}
void LumbraButton::setDefault(bool on) {
  default_ = on;
  updateShortcuts();
  changed();
}
void LumbraButton::setCancel(bool on) {
  cancel_ = on;
  updateShortcuts();
  changed(false);
}

QVariantMap LumbraButton::WriteProperties() const {
  QVariantMap bag;
  bag["Caption"] = caption_;
  bag["Font"] = font();
  bag["ForeColor"] = foreColor_;
  bag["BackColor"] = backColor_;
  bag["Enabled"] = isEnabled();
  bag["Picture"] = picture_;
  bag["PictureHover"] = pictureHover_;
  bag["PicturePosition"] = picturePosition_;
  bag["PictureWidth"] = pictureWidth_;
  bag["PictureHeight"] = pictureHeight_;
  bag["PictureSize"] = pictureSize_;
  bag["MaskColor"] = maskColor_;
  bag["TransparentBG"] = transparentBG_;
  bag["MousePointer"] = mousePointer_;
  bag["MouseIcon"] = mouseIcon_;
  bag["DefCurHand"] = defCurHand_;
  bag["Raised"] = raised_;
  bag["NoBorderEffect"] = noBorderEffect_;
  bag["BEVEL"] = bevel_;
  bag["BEVELDEPTH"] = bevelDepth_;
  bag["XPStyle"] = xpStyle_;
  bag["XPWinStyle"] = xpWinStyle_;
  bag["XPDefaultColors"] = xpDefaultColors_;
  bag["XPColor_Hover"] = xpColorHover_;
  bag["XPColor_Pressed"] = xpColorPressed_;
  bag["XPShowBorderAlways"] = xpShowBorderAlways_;
  bag["ShowFocusRect"] = showFocusRect_;
  bag["ShowBorderOnFocus"] = showBorderOnFocus_;
  bag["SoundOver"] = soundOver_;
  bag["SoundClick"] = soundClick_;
  bag["URL"] = url_;
  bag["OriginalPicSizeW"] = originalPicW_;
  bag["OriginalPicSizeH"] = originalPicH_;
  const_cast<LumbraButton*>(this)->changed_ = false;
  return bag;
}

void LumbraButton::ReadProperties(const QVariantMap& bag) {
  // Missing values fall back to the defaults of a freshly placed button.
  const LumbraButton fresh(nullptr, objectName());
  auto get = [&](const char* key, const QVariant& def) { return bag.value(key, def); };
  caption_ = get("Caption", fresh.caption_).toString();
  setFont(get("Font", fresh.font()).value<QFont>());
  foreColor_ = get("ForeColor", fresh.foreColor_).value<QColor>();
  backColor_ = get("BackColor", fresh.backColor_).value<QColor>();
  setEnabled(get("Enabled", true).toBool());
  picture_ = get("Picture", QPixmap()).value<QPixmap>();
  pictureHover_ = get("PictureHover", QPixmap()).value<QPixmap>();
  picturePosition_ = get("PicturePosition", 1).toInt();
  pictureWidth_ = get("PictureWidth", 32).toInt();
  pictureHeight_ = get("PictureHeight", 32).toInt();
  pictureSize_ = get("PictureSize", 1).toInt();
  maskColor_ = get("MaskColor", QColor(0, 0, 0)).value<QColor>();
  transparentBG_ = get("TransparentBG", false).toBool();
  mousePointer_ = get("MousePointer", 0).toInt();
  mouseIcon_ = get("MouseIcon", QPixmap()).value<QPixmap>();
  defCurHand_ = get("DefCurHand", true).toBool();
  raised_ = get("Raised", false).toBool();
  noBorderEffect_ = get("NoBorderEffect", false).toBool();
  bevel_ = get("BEVEL", 1).toInt();
  bevelDepth_ = get("BEVELDEPTH", 8).toInt();
  xpStyle_ = get("XPStyle", false).toBool();
  xpWinStyle_ = get("XPWinStyle", true).toBool();
  xpDefaultColors_ = get("XPDefaultColors", true).toBool();
  xpColorHover_ = get("XPColor_Hover", fresh.xpColorHover_).value<QColor>();
  xpColorPressed_ = get("XPColor_Pressed", fresh.xpColorPressed_).value<QColor>();
  xpShowBorderAlways_ = get("XPShowBorderAlways", false).toBool();
  showFocusRect_ = get("ShowFocusRect", true).toBool();
  showBorderOnFocus_ = get("ShowBorderOnFocus", true).toBool();
  soundOver_ = get("SoundOver", fresh.soundOver_).toString();
  soundClick_ = get("SoundClick", fresh.soundClick_).toString();
  url_ = get("URL", QString()).toString();
  originalPicW_ = get("OriginalPicSizeW", 32).toInt();
  originalPicH_ = get("OriginalPicSizeH", 32).toInt();
  if (defCurHand_) mouseIcon_ = HandPointer();
  shown_ = picture_;
  applyPointer();
  updateRegion();
  updateShortcuts();
  changed_ = false;
  Refresh();
}

void LumbraButton::applyPointer() {
  if (mousePointer_ == 99) {
    if (!mouseIcon_.isNull())
      setCursor(mouseIcon_.cacheKey() == HandPointer().cacheKey() ? HandCursor() : QCursor(mouseIcon_));
    else if (defCurHand_)
      setCursor(Qt::PointingHandCursor);  // artwork missing: the system's hand
    else
      unsetCursor();
    return;
  }
  // Standard pointer codes of the original control set.
  switch (mousePointer_) {
    case 1:
      setCursor(Qt::ArrowCursor);
      break;
    case 2:
      setCursor(Qt::CrossCursor);
      break;
    case 3:
      setCursor(Qt::IBeamCursor);
      break;
    case 5:
      setCursor(Qt::SizeAllCursor);
      break;
    case 6:
      setCursor(Qt::SizeBDiagCursor);
      break;
    case 7:
      setCursor(Qt::SizeVerCursor);
      break;
    case 8:
      setCursor(Qt::SizeFDiagCursor);
      break;
    case 9:
      setCursor(Qt::SizeHorCursor);
      break;
    case 10:
      setCursor(Qt::UpArrowCursor);
      break;
    case 11:
      setCursor(Qt::WaitCursor);
      break;
    case 12:
      setCursor(Qt::ForbiddenCursor);
      break;
    case 13:
      setCursor(Qt::BusyCursor);
      break;
    case 14:
      setCursor(Qt::WhatsThisCursor);
      break;
    case 15:
      setCursor(Qt::SizeAllCursor);
      break;
    default:
      unsetCursor();
      break;
  }
}

void LumbraButton::updateShortcuts() {
  // Access key from "&" in the caption; Enter and Escape for default and cancel buttons.
  QWidget* host = window();
  const QKeySequence mnemonic = QKeySequence::mnemonic(caption_);
  if (!mnemonic.isEmpty()) {
    if (mnemonic_ == nullptr) {
      mnemonic_ = new QShortcut(this);
      mnemonic_->setContext(Qt::WindowShortcut);
      connect(mnemonic_, &QShortcut::activated, this, &LumbraButton::accessKey);
    }
    mnemonic_->setKey(mnemonic);
  } else if (mnemonic_ != nullptr) {
    mnemonic_->setKey(QKeySequence());
  }
  Q_UNUSED(host);
  auto makeKey = [this](QShortcut*& s, Qt::Key key, bool on) {
    if (!on) {
      delete s;
      s = nullptr;
      return;
    }
    if (s == nullptr) {
      s = new QShortcut(QKeySequence(key), this);
      s->setContext(Qt::WindowShortcut);
      connect(s, &QShortcut::activated, this, &LumbraButton::accessKey);
    }
  };
  makeKey(defaultKey_, Qt::Key_Return, default_);
  makeKey(defaultKey2_, Qt::Key_Enter, default_);
  makeKey(cancelKey_, Qt::Key_Escape, cancel_);
}

void LumbraButton::accessKey() {
  if (!isEnabled()) return;
  emit Click();
  GoToURL();
}

void LumbraButton::GoToURL() {
  if (url_.isEmpty()) return;
  const bool viaShell = url_.left(7) == QLatin1String("mailto:");
  const bool opened = urlHook() ? urlHook()(url_, viaShell) : QDesktopServices::openUrl(QUrl(url_));
  if (!opened) emit UrlNotOpened(url_);
}

// ---- events --------------------------------------------------------------

bool LumbraButton::event(QEvent* event) {
  // A focused button takes Enter and Space itself rather than letting the
  // window's default-button shortcut have them.
  if (event->type() == QEvent::ShortcutOverride) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_Space) {
      event->accept();
      return true;
    }
  }
  return QWidget::event(event);
}

void LumbraButton::mouseDownHandling(int button, int shift, int x, int y) {
  if (button != 2) {
    lastButton_ = button;
    lastShift_ = shift;
    lastPos_ = QPoint(x, y);
    pressed_ = true;
    pressedLook_ = true;
    Refresh();
  }
  emit MouseDown(button, shift, x, y);
}

void LumbraButton::mousePressEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  mouseDownHandling(ButtonCode(event->button()), ShiftMask(event->modifiers()), pos.x(), pos.y());
}

void LumbraButton::mouseDoubleClickEvent(QMouseEvent*) {
  grabMouse();
  mouseDownHandling(lastButton_, lastShift_, lastPos_.x(), lastPos_.y());
}

void LumbraButton::mouseMoveEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  const int shift = ShiftMask(event->modifiers());
  const int button = ButtonMask(event->buttons());
  if (inside(pos.x(), pos.y()) && !hovering_) {
    overTimer_.start();
    hovering_ = true;
    pressedLook_ = true;
    if (!pictureHover_.isNull()) shown_ = pictureHover_;
    emit MouseIn(shift);
    Refresh();
    QCoreApplication::processEvents();
    PlaySoundFile(soundOver_);
  }
  emit MouseMove(button, shift, pos.x(), pos.y());
}

void LumbraButton::mouseReleaseEvent(QMouseEvent* event) {
  if (QWidget::mouseGrabber() == this) releaseMouse();
  const QPoint pos = event->position().toPoint();
  const int button = ButtonCode(event->button());
  const int shift = ShiftMask(event->modifiers());
  pressed_ = false;
  if (button != 2) {
    Refresh();
    if (inside(pos.x(), pos.y())) {
      PlaySoundFile(soundClick_);
      emit Click();
      GoToURL();
    }
  }
  emit MouseUp(button, shift, pos.x(), pos.y());
}

QWidget* LumbraButton::widgetUnderPointer() const { return QApplication::widgetAt(QCursor::pos()); }

void LumbraButton::overTimerTick() {
  if (widgetUnderPointer() == this) return;
  overTimer_.stop();
  hovering_ = false;
  shown_ = picture_;
  emit MouseOut(lastShift_);
  // Held while leaving: shown once as not pressed, the pressed flag stays.
  if (pressed_) pressedLook_ = false;
  Refresh();
}

void LumbraButton::keyPressEvent(QKeyEvent* event) {
  const int shift = ShiftMask(event->modifiers());
  if (event->key() == Qt::Key_Escape) {
    // Not a button's key: it travels on to the window, which closes.
    emit KeyDown(event->key(), shift);
    event->ignore();
    return;
  }
  if (!keyHeld_) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
      emit Click();
      GoToURL();
    } else if (event->key() == Qt::Key_Space) {
      pressed_ = true;
      pressedLook_ = true;
      Refresh();
      emit Click();
      GoToURL();
    }
  }
  keyHeld_ = true;
  emit KeyDown(event->key(), shift);
  const QString text = event->text();
  if (!text.isEmpty() && text.at(0).unicode() < 256) emit KeyPress(text.at(0).unicode());
}

void LumbraButton::keyReleaseEvent(QKeyEvent* event) {
  if (event->isAutoRepeat()) return;  // a held key repeats presses, not releases
  if (event->key() == Qt::Key_Space) {
    pressed_ = false;
    Refresh();
  }
  keyHeld_ = false;
  emit KeyUp(event->key(), ShiftMask(event->modifiers()));
}

void LumbraButton::focusInEvent(QFocusEvent*) {
  hasFocus_ = true;
  Refresh();
}

void LumbraButton::focusOutEvent(QFocusEvent*) {
  hasFocus_ = false;
  pressed_ = false;
  keyHeld_ = false;
  Refresh();
}

void LumbraButton::changeEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange ||
      event->type() == QEvent::EnabledChange || event->type() == QEvent::StyleChange)
    Refresh();
  if (event->type() == QEvent::ParentChange) updateShortcuts();
  QWidget::changeEvent(event);
}

void LumbraButton::resizeEvent(QResizeEvent*) {
  if (width() < 10 || height() < 10) {
    resize(std::max(width(), 10), std::max(height(), 10));  // 150 twips
    return;
  }
  updateRegion();
  Refresh();
}

void LumbraButton::updateRegion() {
  if (!(xpStyle_ && xpWinStyle_)) {
    clearMask();
    return;
  }
  const int w = width(), h = height();
  QRegion region(0, 0, w, h);
  // Two pixels of the edge row and one of the next row go at every corner.
  for (const int y : {0, h - 1}) {
    const int next = y == 0 ? 1 : h - 2;
    region -= QRegion(0, y, 2, 1);
    region -= QRegion(w - 2, y, 2, 1);
    region -= QRegion(0, next, 1, 1);
    region -= QRegion(w - 1, next, 1, 1);
  }
  setMask(region);
}

void LumbraButton::Refresh() { update(); }

// ---- drawing -------------------------------------------------------------

void LumbraButton::drawClassicBorder(QPainter& p, bool raisedLook, bool pressedLook) const {
  const QRect r = rect();
  if (raisedLook || pressedLook) {
    if (bevel_ >= 2) {
      const int depth = std::max(1, bevelDepth_);
      const QColor light = raisedLook ? sys3DHighlight() : sys3DShadow();
      const QColor dark = raisedLook ? sys3DShadow() : sys3DHighlight();
      for (int i = 0; i < depth && i * 2 < std::min(r.width(), r.height()); ++i) {
        p.setPen(light);
        p.drawLine(i, i, r.width() - 1 - i, i);
        p.drawLine(i, i, i, r.height() - 1 - i);
        p.setPen(dark);
        p.drawLine(i, r.height() - 1 - i, r.width() - 1 - i, r.height() - 1 - i);
        p.drawLine(r.width() - 1 - i, i, r.width() - 1 - i, r.height() - 1 - i);
      }
    } else {
      // Shadow outline, then a light one shifted: light top-left, dark bottom-right.
      const QColor first = raisedLook ? sys3DShadow() : sys3DHighlight();
      const QColor second = raisedLook ? sys3DHighlight() : sys3DShadow();
      outline(p, r, first);
      outline(p, r.adjusted(0, 0, -1, -1), second);
    }
  }
}

void LumbraButton::drawXPWinBorder(QPainter& p) const {
  const int w = width(), h = height();
  const QColor dark = sys3DDarkShadow();
  outline(p, rect(), dark);
  p.setPen(dark);
  p.drawPoint(1, 1);
  p.drawPoint(w - 2, 1);
  p.drawPoint(1, h - 2);
  p.drawPoint(w - 2, h - 2);
  // Inner shading: light above and left, darker below and right; hover warms
  // the lines, pressing swaps them, focus adds a blue inner ring.
  const QColor base = backColor_;
  QColor top = ShadeColor(base, 48), bottom = ShadeColor(base, -48);
  if (hovering_ && !looksPressed()) {
    top = QColor(255, 240, 207);
    bottom = QColor(229, 151, 0);
  }
  if (looksPressed()) std::swap(top, bottom);
  p.setPen(top);
  p.drawLine(2, 1, w - 3, 1);
  p.drawLine(1, 2, 1, h - 3);
  p.setPen(bottom);
  p.drawLine(2, h - 2, w - 3, h - 2);
  p.drawLine(w - 2, 2, w - 2, h - 3);
  if (hasFocus_ && !hovering_ && !looksPressed()) {
    p.setPen(QColor(137, 173, 228));
    p.drawRect(2, 2, w - 5, h - 5);
  }
}

void LumbraButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRect content = contentRect();
  const QRect focusRect = content;
  const bool down = looksPressed();

  // 1. Face: cleared to BackColor unless the container is to show through.
  const bool seeThrough = xpStyle_ ? (!xpWinStyle_ && transparentBG_ && !down) : transparentBG_;
  if (!seeThrough) p.fillRect(rect(), backColor_);
  if (xpStyle_ && !xpWinStyle_ && (hovering_ || down)) {
    QColor face;
    if (xpDefaultColors_) {
      const QColor hl = sys(QPalette::Highlight);
      face = down ? QColor(std::min(hl.red() + 156, 255), std::min(hl.green() + 139, 255),
                           std::min(hl.blue() + 108, 255))
                  : QColor(std::min(hl.red() + 171, 255), std::min(hl.green() + 154, 255),
                           std::min(hl.blue() + 108, 255));
    } else {
      face = down ? xpColorPressed_ : xpColorHover_;
    }
    p.fillRect(rect(), face);
  }

  // 2. Border.
  if (!noBorderEffect_) {
    if (!xpStyle_) {
      const bool raisedLook = (hovering_ && !down) || (!down && !hovering_ && raised_);
      drawClassicBorder(p, raisedLook, down);
      const bool focusBorder = hasFocus_ && showBorderOnFocus_ && raised_ && !down;
      if (default_ || focusBorder) outline(p, rect(), sys3DDarkShadow());
    } else if (xpWinStyle_) {
      drawXPWinBorder(p);
    } else if (hovering_ || xpShowBorderAlways_) {
      outline(p, rect(), foreColor_);
    }
  }

  // 3. Layout: picture and caption as one group centred in the content rectangle.
  const QFontMetrics fm(font());
  const QSize textSize = caption_.isEmpty() ? QSize() : fm.size(Qt::TextSingleLine, caption_);
  const bool drawable = !shown_.isNull();
  const QSize picSize = drawable ? QSize(pictureWidth_, pictureHeight_) : QSize();
  const int gap = (drawable && !caption_.isEmpty()) ? 4 : 0;
  const bool vertical = picturePosition_ == 0 || picturePosition_ == 3;
  const int groupW =
      vertical ? std::max(textSize.width(), picSize.width()) : textSize.width() + gap + picSize.width();
  const int groupH =
      vertical ? textSize.height() + gap + picSize.height() : std::max(textSize.height(), picSize.height());
  const int gx = content.left() + (content.width() - groupW) / 2;
  const int gy = content.top() + (content.height() - groupH) / 2;
  QRect picRect, textRect;
  switch (picturePosition_) {
    case 0:
      picRect = QRect(gx + (groupW - picSize.width()) / 2, gy, picSize.width(), picSize.height());
      textRect = QRect(gx, gy + picSize.height() + gap, groupW, textSize.height());
      break;
    case 2:
      textRect = QRect(gx, gy, textSize.width(), groupH);
      picRect = QRect(gx + textSize.width() + gap, gy + (groupH - picSize.height()) / 2, picSize.width(),
                      picSize.height());
      break;
    case 3:
      textRect = QRect(gx, gy, groupW, textSize.height());
      picRect = QRect(gx + (groupW - picSize.width()) / 2, gy + textSize.height() + gap, picSize.width(),
                      picSize.height());
      break;
    default:
      picRect = QRect(gx, gy + (groupH - picSize.height()) / 2, picSize.width(), picSize.height());
      textRect = QRect(gx + picSize.width() + gap, gy, textSize.width(), groupH);
      break;
  }
  if (down) {
    picRect.translate(1, 1);
    textRect.translate(1, 1);
  }

  // 4. Picture, stretched, mask colour transparent, greyed when disabled.
  if (drawable) {
    QPixmap pm = shown_.scaled(picSize, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    pm.setMask(pm.createMaskFromColor(maskColor_, Qt::MaskInColor));
    if (!isEnabled()) {
      QStyleOption opt;
      opt.initFrom(this);
      pm = style()->generatedIconPixmap(QIcon::Disabled, pm, &opt);
    }
    p.drawPixmap(picRect.topLeft(), pm);
  }

  // 5. Focus rectangle.
  if (hasFocus_ && showFocusRect_ && !xpWinStyle_) {
    QPen pen(foreColor_, 1, Qt::DotLine);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRect(focusRect.adjusted(0, 0, -1, -1));
  }

  // 6. Caption.
  if (!caption_.isEmpty()) {
    const int flags = Qt::AlignCenter | Qt::TextSingleLine | Qt::TextShowMnemonic;
    if (isEnabled()) {
      p.setPen(foreColor_);
      p.drawText(textRect, flags, caption_);
    } else {
      p.setPen(sys3DHighlight());
      p.drawText(textRect.translated(1, 1), flags, caption_);
      p.setPen(sys3DShadow());
      p.drawText(textRect, flags, caption_);
    }
  }
}

}  // namespace orvane
