#include "frmAdjust.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QColorDialog>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>

#include "AdjustModes.h"
#include "AdjustWidgets.h"
#include "DialogSupport.h"
#include "FileReport.h"
#include "Globals.h"
#include "KeySlider.h"
#include "LumbraButton.h"
#include "MyXPFrm.h"
#include "Operations.h"
#include "XPTopButtons.h"
#include "cEffectDIB.h"
#include "cFilterDIB.h"

namespace orvane {

namespace {

// Copies rectangle `r` (pixels from the top left) of `from` into `to`.
bool CopyPart(const CDIB& from, const QRect& r, CDIB& to) {
  if (from.DIBPointer() == nullptr || r.isEmpty() || !QRect(0, 0, from.Width(), from.Height()).contains(r))
    return false;
  if ((to.Width() != r.width() || to.Height() != r.height() || to.DIBPointer() == nullptr) &&
      !to.Create(r.width(), r.height()))
    return false;
  // Rows are stored bottom-up in both.
  for (int y = 0; y < r.height(); ++y)
    std::memcpy(
        to.DIBPointer() + int64_t(r.height() - 1 - y) * to.SRB(),
        from.DIBPointer() + int64_t(from.Height() - 1 - (r.top() + y)) * from.SRB() + int64_t(r.left()) * 3,
        size_t(r.width()) * 3);
  return true;
}

const QColor kPaneColour(25, 118, 218);

// Layout in pixels (the designer's twips divided by 15).
const QSize kWindowSize(337, 345);
const QRect kPreviewRect(8, 32, 217, 161);
const QRect kPaneRect(8, 200, 289, 129);

std::function<QColor(const QColor&, QWidget*)>& ColorChooser() {
  static std::function<QColor(const QColor&, QWidget*)> chooser;
  return chooser;
}

void Paint(QWidget* w, const QColor& background, const QColor& text = Qt::white) {
  QPalette pal = w->palette();
  pal.setColor(QPalette::Window, background);
  pal.setColor(QPalette::WindowText, text);
  pal.setColor(QPalette::Button, background);
  pal.setColor(QPalette::ButtonText, text);
  w->setPalette(pal);
  w->setAutoFillBackground(true);
}

// Red in the low byte, green in the second, blue in the third.
int Red(const QColor& c) { return c.red(); }
int Green(const QColor& c) { return c.green(); }
int Blue(const QColor& c) { return c.blue(); }

// The control of that name and type; a pane that names one it does not have is a fault of the pane table.
template <typename T>
T& Named(const QWidget& dialog, const char* name) {
  T* found = name != nullptr ? dialog.findChild<T*>(QString::fromLatin1(name)) : nullptr;
  if (found == nullptr)
    throw std::logic_error(std::string("the pane has no control ") + (name ? name : "(none)"));
  return *found;
}

}  // namespace

void frmAdjust::SetColorChooser(std::function<QColor(const QColor&, QWidget*)> chooser) {
  ColorChooser() = std::move(chooser);
}

frmAdjust::frmAdjust(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
  setModal(true);
  setAttribute(Qt::WA_DeleteOnClose, false);
  QFont f = font();
  f.setPixelSize(11);
  setFont(f);
  BuildWindow();
  BuildPanes();
}

frmAdjust::~frmAdjust() {
  if (worker_ != nullptr) worker_->wait();
}

QGroupBox* frmAdjust::pane(int mode) const { return mode >= 0 && mode <= 29 ? fAdj[mode] : nullptr; }

void frmAdjust::BuildWindow() {
  resize(kWindowSize);
  XPFrm = new MyXPFrm(this);
  XPFrm->setGeometry(QRect(QPoint(0, 0), kWindowSize));

  bClose = new XPTopButtons(this, 2);
  bClose->move(312, 0);
  connect(bClose, &XPTopButtons::Click, this, [this] { CloseClicked(); });

  PicView = new PreviewBox(this);
  PicView->setObjectName("PicView");
  PicView->setGeometry(kPreviewRect);
  PicView->installEventFilter(this);  // dragging inside moves the detail
  PicView->setCursor(Qt::OpenHandCursor);

  CheckPre = new QCheckBox(QStringLiteral("Preview"), this);
  CheckPre->setObjectName("CheckPre");
  CheckPre->setGeometry(256, 32, 65, 17);
  CheckPre->setChecked(true);
  connect(CheckPre, &QCheckBox::toggled, this, [this](bool on) { PreviewClicked(on); });

  auto makeButton = [this](const QString& caption, int y) {
    auto* b = new LumbraButton(this, caption);
    b->setCaption(caption);
    b->setGeometry(264, y, 65, 25);
    b->setXPStyle(true);
    b->setXPShowBorderAlways(true);
    b->setXPColor_Pressed(QColor(128, 128, 255));
    b->setXPColor_Hover(QColor(255, 178, 49));
    b->setMousePointer(99);
    return b;
  };
  bOK = makeButton(QStringLiteral("OK"), 104);
  bOK->setObjectName("bOK");
  bOK->setSoundOver(QString());
  bOK->setSoundClick(QString());
  connect(bOK, &LumbraButton::Click, this, [this] { OKClicked(); });
  bCancel = makeButton(QStringLiteral("Cancel"), 136);
  bCancel->setObjectName("bCancel");
  connect(bCancel, &LumbraButton::Click, this, [this] { CloseClicked(); });
  // Held down, the main window shows the picture as it was before the dialog opened.
  bBefore = makeButton(QStringLiteral("Before"), 66);
  bBefore->setObjectName("bBefore");
  bBefore->setSoundOver(QString());
  bBefore->setSoundClick(QString());
  bBefore->setToolTip(QStringLiteral("Hold to see the picture as it was before"));
  connect(bBefore, &LumbraButton::MouseDown, this, [this](int, int, int, int) {
    if (haveBackup_ && BackupDIB.DIBPointer() != nullptr && !closed_) Shell().ShowPicture(&BackupDIB);
  });
  connect(bBefore, &LumbraButton::MouseUp, this,
          [this](int, int, int, int) { Shell().ShowPicture(nullptr); });
}

QLabel* frmAdjust::CaptionLabel(QWidget* parent, const QString& text) {
  auto* l = new QLabel(text, parent);
  return l;
}

void frmAdjust::BuildPanes() {
  for (int n = 0; n <= 29; ++n) {
    const AdjustMode* mode = FindAdjustMode(n);
    auto* frame =
        new QGroupBox(mode ? QString::fromLatin1(mode->frameCaption) : QStringLiteral("Frame"), this);
    frame->setObjectName(QStringLiteral("fAdj%1").arg(n));
    frame->setGeometry(kPaneRect);
    Paint(frame, kPaneColour);
    frame->hide();
    fAdj[n] = frame;
    if (n > 0) BuildSliderRows(frame, n);
  }

  // Only once every pane has its sliders: the order of building is the order of the focus chain.
  for (int n = kFirstAdjustMode; n <= kLastAdjustMode; ++n) BuildControls(fAdj[n], n);
  txtResizeWid = &Named<QLineEdit>(*this, "txtResizeWid");
  txtResizeHei = &Named<QLineEdit>(*this, "txtResizeHei");
}

void frmAdjust::BuildControls(QGroupBox* frame, int mode) {
  auto* g = static_cast<QGridLayout*>(frame->layout());
  // The row after those in use: an empty grid still reports one.
  auto nextRow = [g] { return g->count() == 0 ? 0 : g->rowCount(); };
  QHBoxLayout* row = nullptr;  // made with its first control
  bool sizeBoxes = false;
  for (const PaneControl* control : ControlsOfMode(mode)) {
    const QString caption = QString::fromLatin1(control->caption);
    if (control->kind == PaneControl::SizeBox) {
      const int r = nextRow();
      g->addWidget(CaptionLabel(frame, caption), r, 0);
      auto* box = new CheckedLineEdit(frame);
      box->setObjectName(control->name);
      box->setFixedWidth(70);
      g->addWidget(box, r, 1, Qt::AlignLeft);
      g->addWidget(CaptionLabel(frame, QStringLiteral("Pixels")), r, 2);
      // Leaving for a button that closes the window needs no check: OK has rules of its own.
      box->onFocusLost = [this, box](QWidget* next) {
        if (next != bOK && next != bCancel && next != bClose) ValidateResizeText(box, box == txtResizeWid);
      };
      sizeBoxes = true;
      continue;
    }
    if (row == nullptr) {
      row = new QHBoxLayout;
      row->setSpacing(6);
      g->addLayout(row, nextRow(), 0, 1, 4);
    }
    if (control->spaceBefore > 0) row->addSpacing(control->spaceBefore);
    if (control->kind == PaneControl::Colour) {
      row->addWidget(CaptionLabel(frame, caption));
      auto* box = new ColorBox(frame);
      box->setObjectName(control->name);
      box->setToolTip(QString::fromLatin1(control->tooltip));
      box->setFixedSize(40, 18);
      box->setCursor(bOK->cursor());  // the buttons' hand
      connect(box, &ColorBox::clicked, this, [this, box] { PickColor(box); });
      row->addWidget(box);
    } else {
      QAbstractButton* box = nullptr;
      if (control->kind == PaneControl::Radio) {
        box = new QRadioButton(caption, frame);
        box->setObjectName(control->name);
        // Ticking one unticks another: only the newly ticked one reports the change.
        connect(box, &QAbstractButton::toggled, this, [this](bool on) {
          if (on) Guarded([this] { PrimaryChanged(); });
        });
      } else {
        box = new QCheckBox(caption, frame);
        box->setObjectName(control->name);
        connect(box, &QAbstractButton::toggled, this, [this] { Guarded([this] { PrimaryChanged(); }); });
      }
      if (control->tick == PaneControl::BuiltTicked) box->setChecked(true);
      row->addWidget(box);
    }
  }
  if (row != nullptr) row->addStretch();
  if (sizeBoxes) {
    g->setColumnStretch(3, 1);
    g->setRowStretch(g->rowCount(), 1);  // the size boxes keep to the top of their pane
  }
  g->setRowStretch(g->rowCount(), 1);  // every pane: the rows above keep their heights
}

void frmAdjust::BuildSliderRows(QGroupBox* frame, int mode) {
  auto* g = new QGridLayout(frame);
  g->setContentsMargins(6, 2, 6, 2);
  g->setHorizontalSpacing(4);
  g->setVerticalSpacing(1);
  g->setColumnStretch(1, 1);
  for (const SliderSpec* desc : SlidersOfMode(mode)) {
    auto* s = new KeySlider(frame);
    s->setObjectName(desc->name);
    s->setFixedHeight(15);
    // The designer's state until the pane is set up.
    s->setRange(0, 32767);
    s->setValue(0);
    s->setSingleStep(1);
    s->setPageStep(1);
    sliders_[desc->name] = s;

    auto* value = new QLabel(QString(), frame);
    value->setObjectName(desc->valueLabel);
    value->setFixedWidth(30);
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    valueLabels_[desc->valueLabel] = value;

    const int r = desc->row;
    if (desc->lowCaption != nullptr) {
      auto* low = CaptionLabel(frame, QString::fromLatin1(desc->lowCaption));
      Paint(low, QColor::fromRgb(desc->lowColor), Qt::black);
      low->setFixedWidth(48);
      auto* high = CaptionLabel(frame, QString::fromLatin1(desc->caption));
      Paint(high, QColor::fromRgb(desc->highColor), Qt::black);
      high->setFixedWidth(40);
      g->addWidget(low, r, 0);
      g->addWidget(s, r, 1);
      g->addWidget(high, r, 2);
    } else if (desc->caption != nullptr) {
      g->addWidget(CaptionLabel(frame, QString::fromLatin1(desc->caption)), r, 0);
      g->addWidget(s, r, 1, 1, 2);
    } else {
      g->addWidget(s, r, 0, 1, 3);
    }
    g->addWidget(value, r, 3);

    connect(s, &QScrollBar::valueChanged, this, [this, desc] { SliderChanged(*desc); });
  }
}

QScrollBar* frmAdjust::Slider(const char* name) const {
  auto it = sliders_.find(name);
  return it == sliders_.end() ? nullptr : it->second;
}

int frmAdjust::Value(const char* name) const {
  QScrollBar* s = Slider(name);
  return s ? s->value() : 0;
}

std::optional<QPoint>& frmAdjust::LastPlace() {
  static std::optional<QPoint> place;
  return place;
}

void frmAdjust::Place() {
  // Where the user last put it; otherwise beside the main window, so that the
  // picture it previews stays in view.
  if (LastPlace()) {
    move(*LastPlace());
    return;
  }
  QWidget* main = Shell().MainWidget();
  if (main == nullptr) return;
  const QScreen* screen = main->screen();
  const QRect available = screen ? screen->availableGeometry() : QRect();
  move(PlaceBeside(main->frameGeometry(), frameGeometry().size(), available));
}

int frmAdjust::ShowModal() {
  Load();
  Place();
  return exec();
}

void frmAdjust::InitSlider(QScrollBar* slider, int min, int max, int value) {
  slider->setMinimum(min);
  slider->setMaximum(max);
  slider->setSingleStep(1);
  slider->setPageStep(LargeChangeFor(min, max));
  if (value != -1) slider->setValue(value);
}

void frmAdjust::SetTitle(const QString& text) {
  XPFrm->SetCaption(QStringLiteral("Adjust for:"), text);
  XPFrm->update();
}

void frmAdjust::RestorePreview() {
  if (PreviewSourceDIB.DIBPointer() == nullptr) return;
  if (PreviewDIB.Width() != PreviewSourceDIB.Width() || PreviewDIB.Height() != PreviewSourceDIB.Height())
    PreviewDIB.Create(PreviewSourceDIB.Width(), PreviewSourceDIB.Height());
  PreviewDIB.CloneHDC(PreviewSourceDIB.hDC(), SRCCOPY, 0, 0);
}

void frmAdjust::RestoreImage() {
  if (!haveBackup_) return;
  CDIB& image = CurrentImage();
  if (image.Width() != BackupDIB.Width() || image.Height() != BackupDIB.Height())
    image.Create(BackupDIB.Width(), BackupDIB.Height());
  if (BackupDIB.DIBPointer() != nullptr) image.CloneHDC(BackupDIB.hDC(), SRCCOPY, 0, 0);
}

void frmAdjust::ShowPreview() { PicView->setPicture(PreviewDIB.ToQImage()); }

void frmAdjust::MoveDetail(QPoint delta) {
  const CDIB& picture = haveBackup_ && BackupDIB.DIBPointer() != nullptr ? BackupDIB : CurrentImage();
  if (detail_.isEmpty()) return;
  detail_.translate(delta);
  detail_.moveLeft(std::clamp(detail_.left(), 0, std::max(0, picture.Width() - detail_.width())));
  detail_.moveTop(std::clamp(detail_.top(), 0, std::max(0, picture.Height() - detail_.height())));
}

void frmAdjust::TakeDetail() {
  const CDIB& picture = haveBackup_ && BackupDIB.DIBPointer() != nullptr ? BackupDIB : CurrentImage();
  CopyPart(picture, detail_, PreviewSourceDIB);
}

void frmAdjust::RefreshPreview() {
  if (liveCurrent_ && CopyPart(CurrentImage(), detail_, PreviewDIB)) {
    ShowPreview();
    return;
  }
  RestorePreview();
  RunOperation(PreviewDIB);
  ShowPreview();
}

bool frmAdjust::eventFilter(QObject* watched, QEvent* event) {
  const bool mouseEvent = event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseMove ||
                          event->type() == QEvent::MouseButtonRelease;
  if (watched == PicView && loaded_ && !closed_ && mouseEvent) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (event->type() == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton) {
      dragging_ = true;
      dragFrom_ = mouse->position().toPoint();
      return true;
    }
    if (event->type() == QEvent::MouseMove && dragging_) {
      // The picture follows the pointer: the detail moves the other way.
      const QPoint now = mouse->position().toPoint();
      MoveDetail(dragFrom_ - now);
      dragFrom_ = now;
      TakeDetail();
      Guarded([this] { RefreshPreview(); });
      return true;
    }
    if (event->type() == QEvent::MouseButtonRelease) dragging_ = false;
  }
  return QDialog::eventFilter(watched, event);
}

void frmAdjust::ApplyToImage() {
  if (!haveBackup_) return;
  RestoreImage();
  if (AdjustType != kResizeMode) RunOperation(CurrentImage());
  Shell().ChangePic();
}

void frmAdjust::Load() {
  if (loaded_ || closed_) return;
  const int mode = AdjustType;

  // 1-2: the frame covers the window.
  XPFrm->move(0, 0);
  resize(XPFrm->size());

  // 3-4: only the mode's pane shows.
  for (QGroupBox* frame : fAdj) {
    frame->hide();
    Paint(frame, kPaneColour);
  }
  PicView->setGeometry(kPreviewRect);
  QGroupBox* shown = (mode >= kFirstAdjustMode && mode <= kLastAdjustMode) ? fAdj[mode] : fAdj[0];
  shown->move(kPaneRect.topLeft());
  shown->show();
  Paint(CheckPre, kPaneColour);

  // 5: the preview shows a detail of the picture at 1:1, the part under the
  // image area's centre, so that it shows what the picture will get.
  auto busy = std::make_unique<BusyPointer>();  // copying a large picture takes a moment
  CDIB& image = CurrentImage();
  const int w = image.Width();
  const int h = image.Height();
  if (w > 0 && h > 0) {
    const QRect inner = PicView->contentsRect();
    const QSize size(std::min(inner.width(), w), std::min(inner.height(), h));
    const QPoint centre = Shell().PictureCentre();
    detail_ = QRect(QPoint(centre.x() - size.width() / 2, centre.y() - size.height() / 2), size);
    MoveDetail(QPoint(0, 0));  // held inside the picture
    CopyPart(image, detail_, PreviewDIB);
  }
  // 6
  if (PreviewDIB.Width() > 0 && PreviewSourceDIB.Create(PreviewDIB.Width(), PreviewDIB.Height()))
    PreviewSourceDIB.CloneHDC(PreviewDIB.hDC(), SRCCOPY, 0, 0);
  // 7: without a backup nothing could be put back, so nothing is applied live.
  haveBackup_ = true;
  if (w > 0 && h > 0) {
    haveBackup_ = BackupDIB.Create(w, h);
    if (haveBackup_) BackupDIB.CloneHDC(image.hDC(), SRCCOPY, 0, 0);
  }
  if (!haveBackup_) {
    QSignalBlocker block(CheckPre);
    CheckPre->setChecked(false);
    CheckPre->setEnabled(false);
  }

  busy.reset();

  // 8
  QCoreApplication::processEvents();
  if (closed_) return;  // closed while events ran

  // 9
  loaded_ = true;
  Guarded([this] { SetUpPane(); });
}

void frmAdjust::SetUpPane() {
  const int mode = AdjustType;
  const AdjustMode* info = FindAdjustMode(mode);
  if (info == nullptr) return;
  // Setting the start values is not a change: nothing runs until the user
  // changes a control (some start values are not neutral).
  settingUp_ = true;

  for (const PaneControl* control : ControlsOfMode(mode)) {
    if (control->kind == PaneControl::Colour)
      Named<ColorBox>(*this, control->name).setColor(QColor::fromRgb(control->startColor));
    else if (control->kind == PaneControl::Check || control->kind == PaneControl::Radio)
      Paint(&Named<QAbstractButton>(*this, control->name), kPaneColour);
  }

  if (mode == 1) {
    // Set directly: both keep small and large change 1.
    QScrollBar* bright = Slider("HSBright");
    QScrollBar* contrast = Slider("HSContrast");
    bright->setMinimum(-255);
    bright->setMaximum(255);
    contrast->setMinimum(0);
    contrast->setMaximum(600);
    bright->setValue(0);
    contrast->setValue(100);
  } else if (mode == 2) {
    QScrollBar* exposal = Slider("HSExposal");
    exposal->setMinimum(0);
    exposal->setMaximum(255);
    exposal->setValue(50);
  } else {
    for (const SliderSpec* desc : SlidersOfMode(mode))
      InitSlider(Slider(desc->name), desc->min, desc->max, desc->start);
  }

  for (const PaneControl* control : ControlsOfMode(mode))
    if (control->tick == PaneControl::TickedAtSetUp)
      Named<QAbstractButton>(*this, control->name).setChecked(true);
  if (mode == kResizeMode) {
    txtResizeWid->setText(QString::number(CurrentImage().Width()));
    txtResizeHei->setText(QString::number(CurrentImage().Height()));
  }
  settingUp_ = false;
  for (const SliderSpec* desc : SlidersOfMode(mode))
    valueLabels_[desc->valueLabel]->setText(QString::number(Value(desc->name)));
  RestorePreview();
  ShowPreview();
  SetTitle(QString::fromLatin1(info->title));
}

void frmAdjust::SliderChanged(const SliderSpec& desc) {
  if (!loaded_ || closed_) return;
  if (QLabel* label = valueLabels_[desc.valueLabel]) label->setText(QString::number(Value(desc.name)));
  Guarded([this] { PrimaryChanged(); });
}

bool frmAdjust::CorrectMinMaxPairs() {
  static const char* const kLevels[3][2] = {
      {"HSLevelsRMin", "HSLevelsRMax"}, {"HSLevelsGMin", "HSLevelsGMax"}, {"HSLevelsBMin", "HSLevelsBMax"}};
  static const char* const kBounds[3][2] = {
      {"HSBoundsRMin", "HSBoundsRMax"}, {"HSBoundsGMin", "HSBoundsGMax"}, {"HSBoundsBMin", "HSBoundsBMax"}};
  const auto& pairs = AdjustType == 3 ? kLevels : kBounds;
  bool corrected = false;
  for (const auto& pair : pairs) {
    // Setting the minimum runs this handling once more, nested.
    if (Value(pair[0]) >= Value(pair[1])) {
      Slider(pair[0])->setValue(0);
      corrected = true;
    }
  }
  return corrected;
}

void frmAdjust::PrimaryChanged() {
  if (!loaded_ || closed_ || settingUp_) return;
  touched_ = true;
  const int mode = AdjustType;
  if (mode == 3 || mode == 7) CorrectMinMaxPairs();

  liveCurrent_ = false;
  for (const SliderSpec* desc : SlidersOfMode(mode))
    valueLabels_[desc->valueLabel]->setText(QString::number(Value(desc->name)));
  RefreshPreview();
  if (CheckPre->isChecked()) RequestApply();
}

void frmAdjust::RunOperation(CDIB& image) {
  if (const Operation op = PaneOperation(&image == &CurrentImage()))
    op(image, FilterObject(), EffectObject());
}

int32_t frmAdjust::ArgumentValue(const PaneArg& arg) const {
  switch (arg.source) {
    case PaneArg::Slider:
      return Named<QScrollBar>(*this, arg.control).value();
    case PaneArg::Ticked:
      return Named<QAbstractButton>(*this, arg.control).isChecked() ? 1 : 0;
    case PaneArg::Red:
      return Red(Named<ColorBox>(*this, arg.control).color());
    case PaneArg::Green:
      return Green(Named<ColorBox>(*this, arg.control).color());
    case PaneArg::Blue:
      return Blue(Named<ColorBox>(*this, arg.control).color());
    case PaneArg::Fixed:
      return arg.value;
  }
  return 0;
}

frmAdjust::Operation frmAdjust::PaneOperation(bool onPicture) const {
  const AdjustMode* mode = FindAdjustMode(AdjustType);
  if (mode == nullptr || mode->steps.empty()) return {};  // Resize runs nothing here
  // The values are read here, on the window's thread; the operation may run on another.
  struct Bound {
    const OperationDef* op;
    std::vector<int32_t> args;
  };
  std::vector<Bound> steps;
  for (const PaneStep& step : mode->steps) {
    const OperationDef* op = FindOperation(step.operation);
    if (op == nullptr || op->params.size() != step.args.size())
      throw std::logic_error(std::string("the pane's operation ") + step.operation + " is not in the table");
    Bound bound{op, {}};
    for (const PaneArg& arg : step.args) bound.args.push_back(ArgumentValue(arg));
    steps.push_back(std::move(bound));
  }
  // A selection limits the steps to its inside; they read as far around it as their reaches add up to.
  std::optional<PixelRect> part;
  if (onPicture && !PaneWorksOnWholePicture(*mode)) part = Shell().Selection();
  Reach reach = 0;
  for (const Bound& step : steps) {
    const Reach more = step.op->reachFor(step.args);
    reach = reach && more ? Reach(*reach + *more) : std::nullopt;
  }
  return [steps, part, reach](CDIB& image, cFilterDIB& filters, cEffectDIB& effects) {
    if (image.DIBPointer() == nullptr) return;
    OperationTools tools{filters, effects};
    auto run = [&](CDIB& target) {
      for (const Bound& step : steps) step.op->apply(tools, target, step.args);
    };
    if (!part) {
      run(image);
    } else if (!ApplyInside(image, *part, reach, run)) {
      throw std::runtime_error("there is not enough memory to work on the selection");
    }
  };
}

void frmAdjust::PickColor(ColorBox* box) {
  if (!loaded_ || closed_) return;
  const QColor initial = box->color();
  QColor chosen;
  if (ColorChooser())
    chosen = ColorChooser()(initial, this);
  else
    chosen = QColorDialog::getColor(initial, this);
  box->setColor(chosen.isValid() ? chosen : initial);
  Guarded([this] { PrimaryChanged(); });
}

void frmAdjust::PreviewClicked(bool checked) {
  if (!loaded_ || closed_) return;
  if (checked && touched_) RequestApply();
}

void frmAdjust::RequestApply() {
  if (!haveBackup_ || closed_) return;
  applyWanted_ = true;
  if (worker_ != nullptr || applyQueued_) return;
  applyQueued_ = true;
  QMetaObject::invokeMethod(this, &frmAdjust::StartLiveApply, Qt::QueuedConnection);
}

// The live apply runs on a worker thread so that the window keeps answering;
// changes made meanwhile only mark another apply as wanted, which then runs
// once with the values of that moment.
void frmAdjust::StartLiveApply() {
  applyQueued_ = false;
  if (!loaded_ || closed_ || !applyWanted_ || worker_ != nullptr || refreshing_) return;
  applyWanted_ = false;
  if (!liveFilter_) liveFilter_ = std::make_unique<cFilterDIB>();
  if (!liveEffect_) liveEffect_ = std::make_unique<cEffectDIB>();
  const Operation op = AdjustType == kResizeMode ? Operation() : PaneOperation(true);
  workerError_.clear();
  busy_ = std::make_unique<BusyPointer>();
  // The worker makes the change on a copy of the backup: the main window goes
  // on showing the picture, which is replaced only once the copy is complete.
  QThread* worker = QThread::create([this, op] {
    const std::lock_guard hold(liveMutex_);
    try {
      if (BackupDIB.DIBPointer() == nullptr) return;  // no picture: nothing to show
      if (!LiveDIB.CopyOf(BackupDIB)) throw std::runtime_error("not enough memory to show the change");
      if (op) op(LiveDIB, *liveFilter_, *liveEffect_);
    } catch (const std::exception& e) {
      LiveDIB.Create(0, 0);
      workerError_ = QString::fromLocal8Bit(e.what());
    }
  });
  worker_ = worker;
  connect(worker, &QThread::finished, this, [this, worker] { LiveApplyFinished(worker); });
  connect(worker, &QThread::finished, worker, &QObject::deleteLater);
  worker->start();
}

void frmAdjust::LiveApplyFinished(QThread* worker) {
  if (worker != worker_) return;  // already collected by WaitForLiveApply
  CollectWorker();
  if (closed_) return;
  refreshing_ = true;
  Guarded([this] { Shell().ChangePic(); });
  refreshing_ = false;
  // The picture now holds the change with the values shown (unless newer ones
  // wait): the preview shows the picture's own pixels.
  if (liveCurrent_ && !closed_) Guarded([this] { RefreshPreview(); });
  if (applyWanted_ && loaded_ && !closed_ && !applyQueued_) {
    applyQueued_ = true;
    QMetaObject::invokeMethod(this, &frmAdjust::StartLiveApply, Qt::QueuedConnection);
  }
}

void frmAdjust::CollectWorker() {
  if (worker_ == nullptr) return;
  worker_->wait();
  { const std::lock_guard taken(liveMutex_); }  // the worker's writes are complete and visible
  worker_ = nullptr;
  const bool swapped = workerError_.isEmpty() && LiveDIB.DIBPointer() != nullptr;
  if (swapped) CurrentImage().Swap(LiveDIB);
  liveCurrent_ = swapped && !applyWanted_ && AdjustType != kResizeMode;
  LiveDIB.Create(0, 0);
  busy_.reset();
  if (!workerError_.isEmpty()) {
    const QString error = workerError_;
    workerError_.clear();
    DialogWarning(this, error);
  }
}

void frmAdjust::WaitForLiveApply() {
  if (worker_ == nullptr) return;
  BusyPointer busy;
  CollectWorker();
}

void frmAdjust::OKClicked() {
  if (!loaded_ || closed_ || finishing_) return;
  applyWanted_ = false;
  WaitForLiveApply();
  const AdjustMode* named = FindAdjustMode(AdjustType);
  const QString label = QString::fromUtf8(named != nullptr ? named->title : "Adjust");
  if (AdjustType == kResizeMode) {
    bool keepOpen = false;
    Guarded([this, &keepOpen, &label] {
      const int32_t oldW = CurrentImage().Width(), oldH = CurrentImage().Height();
      keepOpen = !ResizeOnOK();
      // The backup is the picture as it was; without one the history cannot
      // keep this step and is emptied instead.
      CDIB none;
      if (CurrentImage().Width() != oldW || CurrentImage().Height() != oldH)
        Shell().RecordChange(haveBackup_ ? BackupDIB : none, label);
    });
    if (keepOpen) return;
  } else if (!touched_) {
    // Nothing was changed, so nothing was applied: the picture stays as it was.
  } else if (haveBackup_ && BackupDIB.DIBPointer() == nullptr) {
    Guarded([this, &label] {  // no picture: nothing to run
      Shell().RecordChange(BackupDIB, label);
      ApplyToImage();
    });
  } else if (haveBackup_) {
    // Run once more from the backup, off the window's thread and on a copy
    // that replaces the picture; stopped, the picture goes back to the backup.
    bool stopped = false;
    Guarded([this, &label, &stopped] {
      auto result = std::make_shared<CDIB>();
      if (!result->CopyOf(BackupDIB)) throw std::runtime_error("not enough memory for the change");
      const Operation op = PaneOperation(true);
      auto filters = std::make_shared<cFilterDIB>();
      auto effects = std::make_shared<cEffectDIB>();
      finishing_ = true;
      const bool finished = Shell().RunWork(label, [result, op, filters, effects] {
        if (op) op(*result, *filters, *effects);
      });
      finishing_ = false;
      if (!finished) {
        stopped = true;
        RestoreImage();
        Shell().Zoom();
        return;
      }
      Shell().RecordChange(BackupDIB, label);
      CurrentImage().Swap(*result);
      Shell().ChangePic();
    });
    finishing_ = false;
    if (stopped) {
      done(QDialog::Rejected);
      return;
    }
  } else {
    // No live apply ever ran, so the picture is still the original.
    Guarded([this, &label] {
      Shell().RecordChange(CurrentImage(), label);
      RunOperation(CurrentImage());
      Shell().ChangePic();
    });
  }
  done(QDialog::Accepted);
}

bool frmAdjust::ResizeOnOK() {
  const CDIB& image = CurrentImage();
  const std::optional<double> w = ParseNumber(txtResizeWid->text());
  const std::optional<double> h = ParseNumber(txtResizeHei->text());
  const double maxW = 10.0 * image.Width();
  const double maxH = 10.0 * image.Height();
  if (!w || !h || *w < 32 || *w > maxW || *h < 32 || *h > maxH) return true;
  const int newW = static_cast<int>(RoundHalfEven(*w));
  const int newH = static_cast<int>(RoundHalfEven(*h));
  const bool resized = EffectObject().Zoom(CurrentImage(), newW, newH, false);
  // A resize that could not be made must not leave the picture lost; the user
  // is told why and may choose another size.
  if (!resized || CurrentImage().Width() != newW || CurrentImage().Height() != newH) {
    RestoreImage();
    Shell().ChangePic();
    DialogWarning(this, QStringLiteral("Cannot resize: %1 for %2 × %3 pixels.")
                            .arg(QString::fromLatin1(kNoMemory))
                            .arg(newW)
                            .arg(newH));
    return false;
  }
  Shell().ChangePic();
  return true;
}

void frmAdjust::ValidateResizeText(QLineEdit* box, bool width) {
  if (!loaded_ || closed_ || validating_ || AdjustType != kResizeMode) return;
  const int32_t size = width ? CurrentImage().Width() : CurrentImage().Height();
  const int64_t bound = 10 * int64_t{size};
  const std::optional<double> v = ParseNumber(box->text());
  if (v && *v >= 32 && *v <= double(bound)) return;
  validating_ = true;
  DialogWarning(this, QStringLiteral("Please input a Number that >=32 and <=") + QString::number(bound));
  box->setText(QString::number(size));
  box->selectAll();
  validating_ = false;
}

void frmAdjust::CloseClicked() {
  if (closed_ || finishing_) return;  // while OK's work runs, Escape and Stop end it instead
  applyWanted_ = false;
  WaitForLiveApply();
  if (loaded_) {
    Guarded([this] {
      RestoreImage();
      Shell().Zoom();
    });
  }
  done(QDialog::Rejected);
}

void frmAdjust::Unload() {
  WaitForLiveApply();
  closed_ = true;
  loaded_ = false;
  applyWanted_ = false;
  PreviewDIB.Cls();
  PreviewSourceDIB.Cls();
  BackupDIB.Cls();
  PreviewDIB.Create(0, 0);
  PreviewSourceDIB.Create(0, 0);
  BackupDIB.Create(0, 0);
}

void frmAdjust::done(int result) {
  if (isVisible()) LastPlace() = pos();
  if (!closed_) Unload();
  QDialog::done(result);
}

void frmAdjust::keyPressEvent(QKeyEvent* event) {
  // Enter is OK wherever the focus is (Escape is Cancel, through reject).
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    OKClicked();
    return;
  }
  QDialog::keyPressEvent(event);
}

void frmAdjust::reject() {
  // Escape: the same as Cancel, so the picture is put back.
  CloseClicked();
}

void frmAdjust::closeEvent(QCloseEvent* event) {
  if (finishing_) {
    event->ignore();
    return;
  }
  if (!closed_) CloseClicked();
  event->accept();
}

void frmAdjust::Guarded(const std::function<void()>& work) {
  try {
    work();
  } catch (const std::exception& e) {
    DialogWarning(this, QString::fromLocal8Bit(e.what()));
  }
}

}  // namespace orvane
