// LumbraButton: the program's own push button. It draws itself (flat classic,
// bevelled or XP-like), tracks hover with a timer, plays sounds on hover and
// click, can open a web or mail address when clicked, and raises its own
// events: mouse buttons are 1 left, 2 right, 4 middle; shift is 1 Shift,
// 2 Ctrl, 4 Alt.
#pragma once

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <QTimer>
#include <QVariantMap>
#include <QWidget>
#include <functional>

class QShortcut;

namespace orvane {

// (r + d, g + d, b + b * d / 192 truncated), each clamped to 0..255.
QColor ShadeColor(const QColor& color, int d);

class LumbraButton : public QWidget {
  Q_OBJECT

 public:
  explicit LumbraButton(QWidget* parent = nullptr, const QString& name = QStringLiteral("LumbraButton"));

  static constexpr const char* kVersion = "2712015";

  QString Caption() const { return caption_; }
  void setCaption(const QString& text);
  QFont Font() const { return font(); }
  void setButtonFont(const QFont& f);
  QColor ForeColor() const { return foreColor_; }
  void setForeColor(const QColor& c);
  QColor BackColor() const { return backColor_; }
  void setBackColor(const QColor& c);
  bool Enabled() const { return isEnabled(); }
  void setButtonEnabled(bool on);
  QPixmap Picture() const { return picture_; }
  void setPicture(const QPixmap& pic);
  QPixmap PictureHover() const { return pictureHover_; }
  void setPictureHover(const QPixmap& pic);
  int PicturePosition() const { return picturePosition_; }
  void setPicturePosition(int position);
  int PictureWidth() const { return pictureWidth_; }
  void setPictureWidth(int w);
  int PictureHeight() const { return pictureHeight_; }
  void setPictureHeight(int h);
  int PictureSize() const { return pictureSize_; }
  void setPictureSize(int size);
  QColor MaskColor() const { return maskColor_; }
  void setMaskColor(const QColor& c);
  bool TransparentBG() const { return transparentBG_; }
  void setTransparentBG(bool on);
  int MousePointer() const { return mousePointer_; }
  void setMousePointer(int code);
  QPixmap MouseIcon() const { return mouseIcon_; }
  void setMouseIcon(const QPixmap& icon);
  bool DefCurHand() const { return defCurHand_; }
  void setDefCurHand(bool on);
  bool RAISED() const { return raised_; }
  void setRAISED(bool on);
  bool NoBorderEffect() const { return noBorderEffect_; }
  void setNoBorderEffect(bool on);
  int BEVEL() const { return bevel_; }
  void setBEVEL(int bevel);
  int BEVELDEPTH() const { return bevelDepth_; }
  void setBEVELDEPTH(int depth);
  bool XPStyle() const { return xpStyle_; }
  void setXPStyle(bool on);
  bool XPWinStyle() const { return xpWinStyle_; }
  void setXPWinStyle(bool on);
  bool XPDefaultColors() const { return xpDefaultColors_; }
  void setXPDefaultColors(bool on);
  QColor XPColor_Hover() const { return xpColorHover_; }
  void setXPColor_Hover(const QColor& c);
  QColor XPColor_Pressed() const { return xpColorPressed_; }
  void setXPColor_Pressed(const QColor& c);
  bool XPShowBorderAlways() const { return xpShowBorderAlways_; }
  void setXPShowBorderAlways(bool on);
  bool ShowFocusRect() const { return showFocusRect_; }
  void setShowFocusRect(bool on);
  bool ShowBorderOnFocus() const { return showBorderOnFocus_; }
  void setShowBorderOnFocus(bool on);
  QString SoundOver() const { return soundOver_; }
  void setSoundOver(const QString& file);
  QString SoundClick() const { return soundClick_; }
  void setSoundClick(const QString& file);
  QString URL() const { return url_; }
  void setURL(const QString& url);
  // The window's default (Enter) or cancel (Escape) button.
  bool isDefault() const { return default_; }
  void setDefault(bool on);
  bool isCancel() const { return cancel_; }
  void setCancel(bool on);
  WId hwnd() { return winId(); }
  QString version() const { return QString::fromLatin1(kVersion); }
  void setVersion(const QString&) {}

  // Saved design-time values under their saving names ("Raised" for RAISED).
  QVariantMap WriteProperties() const;
  void ReadProperties(const QVariantMap& bag);
  // True once a property was set since the last WriteProperties.
  bool propertiesChanged() const { return changed_; }

  void Refresh();
  // Opens the button's address; when nothing could open it, UrlNotOpened is emitted.
  void GoToURL();

  bool isPressed() const { return pressed_; }
  bool isHovering() const { return hovering_; }
  bool isKeyHeld() const { return keyHeld_; }
  bool looksPressed() const { return pressed_ && pressedLook_; }
  bool hasFocusFlag() const { return hasFocus_; }
  QPixmap shownPicture() const { return shown_; }
  bool hoverTimerActive() const { return overTimer_.isActive(); }
  // Content and focus rectangle: 4 pixels in from every edge.
  QRect contentRect() const { return rect().adjusted(4, 4, -4, -4); }

  // Where addresses go: mailto links through the shell, others through the
  // hyperlink service. Both default to QDesktopServices; tests record instead.
  // The opener answers whether the address could be opened.
  static void SetUrlOpener(std::function<bool(const QString& url, bool viaShell)> opener);

  // One tick of the hover timer; public so the leave rule can be driven directly.
  void overTimerTick();

 signals:
  void Click();
  // No desktop opener took the address (e.g. a machine without one).
  void UrlNotOpened(const QString& url);
  void KeyDown(int keyCode, int shift);
  void KeyPress(int keyAscii);
  void KeyUp(int keyCode, int shift);
  void MouseDown(int button, int shift, int x, int y);
  void MouseMove(int button, int shift, int x, int y);
  void MouseUp(int button, int shift, int x, int y);
  void MouseIn(int shift);
  void MouseOut(int shift);

 protected:
  // The widget under the screen pointer; overridden by tests.
  virtual QWidget* widgetUnderPointer() const;

  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void mouseDownHandling(int button, int shift, int x, int y);
  void accessKey();
  void changed(bool redraw = true);
  void applyPointer();
  void updateRegion();
  void updateShortcuts();
  bool inside(int x, int y) const { return x >= 0 && x < width() && y >= 0 && y < height(); }
  void drawClassicBorder(class QPainter& p, bool raisedLook, bool pressedLook) const;
  void drawXPWinBorder(class QPainter& p) const;

  QString caption_;
  QColor foreColor_;
  QColor backColor_;
  QPixmap picture_;
  QPixmap pictureHover_;
  int picturePosition_ = 1;
  int pictureWidth_ = 32;
  int pictureHeight_ = 32;
  int pictureSize_ = 1;
  int originalPicW_ = 32;
  int originalPicH_ = 32;
  QColor maskColor_{0, 0, 0};
  bool transparentBG_ = false;
  int mousePointer_ = 0;
  QPixmap mouseIcon_;
  bool defCurHand_ = true;
  bool raised_ = false;
  bool noBorderEffect_ = false;
  int bevel_ = 1;
  int bevelDepth_ = 8;
  bool xpStyle_ = false;
  bool xpWinStyle_ = true;
  bool xpDefaultColors_ = true;
  QColor xpColorHover_;
  QColor xpColorPressed_;
  bool xpShowBorderAlways_ = false;
  bool showFocusRect_ = true;
  bool showBorderOnFocus_ = true;
  QString soundOver_ = QStringLiteral(".\\resources\\over.wav");
  QString soundClick_ = QStringLiteral(".\\resources\\click.wav");
  QString url_;
  bool default_ = false;
  bool cancel_ = false;

  bool changed_ = false;
  bool hasFocus_ = false;
  bool pressed_ = false;
  bool pressedLook_ = true;  // false after the pointer left while the button was held
  bool keyHeld_ = false;
  bool hovering_ = false;
  int lastButton_ = 1;
  int lastShift_ = 0;
  QPoint lastPos_;
  QPixmap shown_;
  QTimer overTimer_;
  QShortcut* mnemonic_ = nullptr;
  QShortcut* defaultKey_ = nullptr;
  QShortcut* defaultKey2_ = nullptr;
  QShortcut* cancelKey_ = nullptr;
};

// Shift mask (1 Shift, 2 Ctrl, 4 Alt) and button code (1, 2, 4) of the button's events.
int ShiftMask(Qt::KeyboardModifiers modifiers);
int ButtonCode(Qt::MouseButton button);
int ButtonMask(Qt::MouseButtons buttons);

}  // namespace orvane
