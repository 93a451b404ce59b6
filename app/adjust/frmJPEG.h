// frmJPEG: the JPEG settings shown when saving as JPEG. The user picks a
// quality (slider and number box in step) and true colour or grey scale; OK
// saves the current image under FileName, Cancel and close leave unsaved.
#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>
#include <functional>

#include "CDIB.h"

class QKeyEvent;
class QLabel;
class QLineEdit;
class QRadioButton;
class QScrollBar;

namespace orvane {

class LumbraButton;
class MyXPFrm;
class XPTopButtons;

class frmJPEG : public QDialog {
  Q_OBJECT

 public:
  explicit frmJPEG(QWidget* parent = nullptr);
  ~frmJPEG() override;

  // The name chosen in the Save dialog.
  QString FileName;
  // True once OK has written the file.
  bool Saved() const { return saved_; }

  // Loads the window with its defaults and shows it modally.
  int ShowModal();
  // The loading steps alone.
  void Load();

  using Saver = std::function<bool(const QString& fileName, CDIB& image, int16_t quality, bool greyScale)>;
  // Where OK saves; defaults to the file object's MainSave. Null restores the default.
  static void SetSaver(Saver saver);

  QScrollBar* qualitySlider() const { return HSJPEG; }
  QLineEdit* qualityText() const { return txtJPEG; }
  QRadioButton* trueColorOption() const { return OpTrueColor; }
  QRadioButton* greyScaleOption() const { return OpGreyScale; }
  LumbraButton* okButton() const { return bOK; }
  LumbraButton* cancelButton() const { return bCancel; }
  XPTopButtons* closeButton() const { return bClose; }
  MyXPFrm* frame() const { return XPFrm; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void SliderChanged(int value);
  bool CommitText();
  void TextLostFocus();
  void OKClicked();

  MyXPFrm* XPFrm = nullptr;
  QLabel* Label1 = nullptr;
  QScrollBar* HSJPEG = nullptr;
  QLineEdit* txtJPEG = nullptr;
  QLabel* Label2 = nullptr;
  QRadioButton* OpTrueColor = nullptr;
  QRadioButton* OpGreyScale = nullptr;
  LumbraButton* bOK = nullptr;
  LumbraButton* bCancel = nullptr;
  XPTopButtons* bClose = nullptr;
  bool loaded_ = false;
  bool warning_ = false;
  bool closing_ = false;
  bool saved_ = false;
};

}  // namespace orvane
