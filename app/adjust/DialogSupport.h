// Small helpers shared by the program's parameter dialogs: number parsing as
// the text boxes understand it, the warning box, and the busy pointer.
#pragma once

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

// Shows the hourglass pointer for its lifetime.
class BusyPointer {
 public:
  BusyPointer();
  ~BusyPointer();
  BusyPointer(const BusyPointer&) = delete;
  BusyPointer& operator=(const BusyPointer&) = delete;
};

}  // namespace orvane
