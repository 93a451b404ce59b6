// Small helpers shared by the program's parameter dialogs: number parsing as
// the text boxes understand it, the warning box, and the busy pointer.
#pragma once

#include <QPoint>
#include <QRect>
#include <QString>
#include <functional>
#include <optional>

class QWidget;

namespace orvane {

// The value of a text that reads as a finite decimal number (blanks around it
// allowed, exponent allowed); nothing for anything else.
std::optional<double> ParseNumber(const QString& text);

// The whole number nearest to value, ties to even.
double RoundHalfEven(double value);

// An exclamation box with an OK button titled "Orvane" (an empty title
// becomes "Orvane"), modal over parent.
void DialogWarning(QWidget* parent, const QString& text, const QString& title = QString());

// Replaces the warning box (tests record instead of showing); null restores it.
void SetDialogWarningHandler(std::function<void(const QString& text, const QString& title)> handler);

// Where a dialog of the given size goes beside the main window's frame: to
// its right when it fits on the screen, else to its left, else against the
// screen's right edge; top edges level, kept on the screen. An empty screen
// rectangle means no bounds.
QPoint PlaceBeside(const QRect& mainFrame, const QSize& size, const QRect& screen);

// Shows the hourglass pointer for its lifetime.
class BusyPointer {
 public:
  BusyPointer();
  ~BusyPointer();
  BusyPointer(const BusyPointer&) = delete;
  BusyPointer& operator=(const BusyPointer&) = delete;
};

}  // namespace orvane
