#include "DialogSupport.h"

#include <QGuiApplication>
#include <QLocale>
#include <QMessageBox>
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
  box.exec();
}

void SetDialogWarningHandler(std::function<void(const QString&, const QString&)> handler) {
  WarningHandler() = std::move(handler);
}

BusyPointer::BusyPointer() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
BusyPointer::~BusyPointer() { QGuiApplication::restoreOverrideCursor(); }

}  // namespace orvane
