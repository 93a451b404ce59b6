#include "frmJPEG.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <exception>

#include "AdjustWidgets.h"
#include "DialogSupport.h"
#include "Globals.h"
#include "KeySlider.h"
#include "LumbraButton.h"
#include "MyXPFrm.h"
#include "XPTopButtons.h"
#include "cFileDIB.h"

namespace orvane {

namespace {

const QColor kOptionColour(25, 118, 218);

frmJPEG::Saver& SaverSlot() {
  static frmJPEG::Saver saver;
  return saver;
}

}  // namespace

void frmJPEG::SetSaver(Saver saver) { SaverSlot() = std::move(saver); }

// Layout in pixels: the designer's twips divided by 15.
frmJPEG::frmJPEG(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
  setModal(true);
  QFont f = font();
  f.setPixelSize(11);
  setFont(f);
  resize(354, 201);
  XPFrm = new MyXPFrm(this);
  XPFrm->setGeometry(0, 0, 354, 201);

  Label1 = new QLabel(QStringLiteral("Quality:"), this);
  Label1->setGeometry(24, 32, 97, 25);
  HSJPEG = new KeySlider(this);
  HSJPEG->setObjectName("HSJPEG");
  HSJPEG->setGeometry(56, 64, 209, 17);
  // The designer's state until the window loads.
  HSJPEG->setRange(0, 32767);
  HSJPEG->setValue(0);
  auto* text = new CheckedLineEdit(this);
  txtJPEG = text;
  txtJPEG->setObjectName("txtJPEG");
  txtJPEG->setGeometry(272, 64, 49, 19);
  Label2 = new QLabel(QStringLiteral("Color Type:"), this);
  Label2->setGeometry(24, 88, 113, 25);
  OpTrueColor = new QRadioButton(QStringLiteral("True Color"), this);
  OpTrueColor->setObjectName("OpTrueColor");
  OpTrueColor->setGeometry(64, 120, 121, 33);
  OpGreyScale = new QRadioButton(QStringLiteral("GreyScale"), this);
  OpGreyScale->setObjectName("OpGreyScale");
  OpGreyScale->setGeometry(192, 120, 105, 33);

  auto makeButton = [this](const QString& caption, int x) {
    auto* b = new LumbraButton(this, caption);
    b->setCaption(caption);
    b->setGeometry(x, 168, 97, 25);
    return b;
  };
  bOK = makeButton(QStringLiteral("OK"), 120);
  bOK->setObjectName("bOK");
  bCancel = makeButton(QStringLiteral("Cancel"), 232);
  bCancel->setObjectName("bCancel");
  bClose = new XPTopButtons(this, 2);
  bClose->move(328, 0);

  for (QLabel* l : {Label1, Label2}) {
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, Qt::white);
    l->setPalette(pal);
  }

  connect(HSJPEG, &QScrollBar::valueChanged, this, [this](int v) { SliderChanged(v); });
  text->onFocusLost = [this](QWidget* next) {
    // Leaving for Cancel or the close button needs no correction.
    if (next == nullptr || (next != bCancel && next != bClose)) TextLostFocus();
  };
  connect(bOK, &LumbraButton::Click, this, [this] { OKClicked(); });
  connect(bCancel, &LumbraButton::Click, this, [this] {
    closing_ = true;
    reject();
  });
  connect(bClose, &XPTopButtons::Click, this, [this] {
    closing_ = true;
    reject();
  });
}

frmJPEG::~frmJPEG() = default;

int frmJPEG::ShowModal() {
  Load();
  if (QWidget* main = Shell().MainWidget()) move(main->frameGeometry().center() - rect().center());
  return exec();
}

void frmJPEG::Load() {
  if (loaded_) return;
  loaded_ = true;
  for (QRadioButton* op : {OpTrueColor, OpGreyScale}) {
    QPalette pal = op->palette();
    pal.setColor(QPalette::Window, kOptionColour);
    pal.setColor(QPalette::Button, kOptionColour);
    pal.setColor(QPalette::WindowText, Qt::white);
    pal.setColor(QPalette::ButtonText, Qt::white);
    op->setPalette(pal);
    op->setAutoFillBackground(true);
  }
  XPFrm->SetCaption(QStringLiteral("JPEG Setting"), QString());
  XPFrm->update();
  HSJPEG->setMinimum(1);
  HSJPEG->setMaximum(100);
  HSJPEG->setSingleStep(1);
  HSJPEG->setPageStep(15);
  HSJPEG->setValue(75);
}

void frmJPEG::SliderChanged(int value) { txtJPEG->setText(QString::number(value)); }

// The typed quality is taken when editing ends (the box is left, or Enter or
// OK is pressed), not at each keystroke: on the way to 100 the box passes
// through 1 and 10. A value out of range warns and puts the slider's back;
// false then.
bool frmJPEG::CommitText() {
  const std::optional<double> v = ParseNumber(txtJPEG->text());
  const double q = v ? RoundHalfEven(*v) : 0;
  if (v && q >= 1 && q <= 100) {
    // Setting the slider writes the number back in its plain form.
    if (int(q) != HSJPEG->value()) HSJPEG->setValue(int(q));
    return true;
  }
  if (warning_) return false;
  warning_ = true;
  DialogWarning(this, QStringLiteral("Please input a number between 1 and 100!"));
  txtJPEG->setText(QString::number(HSJPEG->value()));
  warning_ = false;
  return false;
}

void frmJPEG::TextLostFocus() {
  if (closing_) return;
  CommitText();
}

void frmJPEG::keyPressEvent(QKeyEvent* event) {
  // Enter is OK (Escape already cancels, through QDialog).
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    OKClicked();
    return;
  }
  QDialog::keyPressEvent(event);
}

void frmJPEG::OKClicked() {
  if (closing_ || !CommitText()) return;
  closing_ = true;
  const int16_t quality = static_cast<int16_t>(HSJPEG->value());
  const bool grey = OpGreyScale->isChecked();
  bool saved = false;
  try {
    BusyPointer busy;
    // Off the window's thread, and always to its end: a save is not abandoned halfway.
    Shell().RunWork(
        QStringLiteral("Saving"),
        [&] {
          if (SaverSlot())
            saved = SaverSlot()(FileName, CurrentImage(), quality, grey);
          else
            saved = FileObject().MainSave(FileName, CurrentImage(), quality, grey);
        },
        false);
  } catch (const std::exception&) {
    saved = false;
  }
  if (!saved) DialogWarning(this, QStringLiteral("Faild to Save!"));
  saved_ = saved;
  accept();
}

}  // namespace orvane
