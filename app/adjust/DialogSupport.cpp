#include "DialogSupport.h"

#include <QGuiApplication>
#include <QLocale>
#include <QMessageBox>
#include <algorithm>
#include <cfenv>
#include <cmath>

namespace orvane {

namespace {
std::function<void(const QString&, const QString&)>& WarningHandler() {
  static std::function<void(const QString&, const QString&)> handler;
  return handler;
}
}  // namespace

std::optional<double> ParseNumber(const QString& text) {
  const QString t = text.trimmed();
  if (t.isEmpty()) return std::nullopt;
  bool ok = false;
  const double v = QLocale::c().toDouble(t, &ok);
  if (!ok || !std::isfinite(v)) return std::nullopt;
  return v;
}

QPoint PlaceBeside(const QRect& mainFrame, const QSize& size, const QRect& screen) {
  constexpr int kGap = 8;
  const bool bounded = !screen.isEmpty();
  int x = mainFrame.right() + 1 + kGap;
  if (bounded && x + size.width() > screen.right() + 1) {
    const int left = mainFrame.left() - kGap - size.width();
    x = left >= screen.left() ? left : screen.right() + 1 - size.width();
  }
  int y = mainFrame.top();
  if (bounded) {
    x = std::max(screen.left(), x);
    y = std::clamp(y, screen.top(), std::max(screen.top(), screen.bottom() + 1 - size.height()));
  }
  return {x, y};
}

double RoundHalfEven(double value) {
  const int saved = std::fegetround();
  std::fesetround(FE_TONEAREST);
  const double r = std::nearbyint(value);
  std::fesetround(saved);
  return r;
}

void DialogWarning(QWidget* parent, const QString& text, const QString& title) {
  const QString caption = title.isEmpty() ? QStringLiteral("Orvane") : title;
  if (WarningHandler()) {
    WarningHandler()(text, caption);
    return;
  }
  QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Ok, parent);
  box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);  // can be copied
  box.exec();
}

void SetDialogWarningHandler(std::function<void(const QString&, const QString&)> handler) {
  WarningHandler() = std::move(handler);
}

BusyPointer::BusyPointer() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
BusyPointer::~BusyPointer() { QGuiApplication::restoreOverrideCursor(); }

}  // namespace orvane
