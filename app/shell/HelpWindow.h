// The help file in a window of the program's own: the text scrolls, a find
// box searches it (Enter finds the next place, from the top again after the
// last), and Escape closes the window. It works without a desktop opener.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace orvane {

class HelpWindow : public QDialog {
  Q_OBJECT

 public:
  explicit HelpWindow(QWidget* parent = nullptr);

  // Loads the text of the file at path; false (and the window unchanged) when it cannot be read.
  bool Load(const QString& path);
  // Selects the next place of what after the cursor, wrapping round; false when it is nowhere.
  bool FindNext(const QString& what);

  QPlainTextEdit* text() const { return text_; }
  QLineEdit* findBox() const { return find_; }

 private:
  QPlainTextEdit* text_ = nullptr;
  QLineEdit* find_ = nullptr;
  QLabel* status_ = nullptr;
};

// The one help window, shown (and brought to the front) with Help.txt; when
// the file cannot be read the user is told where it was looked for.
void ShowHelpWindow(QWidget* owner);
// The help window when one has been made, else null (for the tests).
HelpWindow* ShownHelpWindow();

}  // namespace orvane
