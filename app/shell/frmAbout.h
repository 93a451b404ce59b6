// frmAbout: the About box, a frameless modal window with the program's
// emblem and banner, its version, and buttons for the home page and mail.
#pragma once

#include <QDialog>

class QLabel;

namespace orvane {

class LumbraButton;
class MyXPFrm;
class XPTopButtons;

class frmAbout : public QDialog {
  Q_OBJECT

 public:
  // Client area 5055 x 3150 twips.
  static constexpr int kWidth = 337;
  static constexpr int kHeight = 210;

  explicit frmAbout(QWidget* parent = nullptr);

  LumbraButton* homePageButton() const { return bHomePage; }
  LumbraButton* mailButton() const { return bEMail; }
  XPTopButtons* closeButton() const { return bClose; }
  MyXPFrm* frame() const { return XPFrm; }

 private:
  void Load();

  MyXPFrm* XPFrm = nullptr;
  QLabel* Image1 = nullptr;
  QLabel* Lab = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Image2 = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* Label4 = nullptr;
  LumbraButton* bHomePage = nullptr;
  LumbraButton* bEMail = nullptr;
  XPTopButtons* bClose = nullptr;
};

// The About box, loaded (not shown) on first use; it stays loaded until it
// has been shown and closed.
frmAbout& AboutBox();
bool AboutBoxLoaded();
// Shows the About box modally; closing it unloads it.
void ShowAboutBox();

}  // namespace orvane
