// Every menu item and every pane of the adjustment dialog, walked as a user
// would meet them: each must reach an operation of the table that exists,
// takes what it is given, and changes the picture.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QMenu>
#include <QRadioButton>
#include <map>
#include <random>
#include <set>
#include <string>
#include <utility>

#include "../adjust/AdjustTestSupport.h"
#include "../shell/ShellFixture.h"
#include "AdjustModes.h"
#include "AdjustWidgets.h"
#include "Operations.h"

namespace {

using orvane::AdjustMode;
using orvane::Command;
using orvane::FindAdjustMode;
using orvane::FindOperation;
using orvane::OperationDef;
using orvane::PaneArg;

struct Picture {
  int w, h;
  std::vector<uint8_t> bytes;
  bool operator==(const Picture&) const = default;
};

Picture current() {
  const orvane::CDIB& image = orvane::CurrentImage();
  return {image.Width(), image.Height(), adjust_test::Bytes(image)};
}

TEST_F(ShellTest, EveryMenuItemRunsATableOperationOrOpensAPane) {
  // Random pixels, with one grey one: gradients pass unchanged through some
  // sharpening kernels, and the false colours change grey pixels only.
  QImage picture(23, 17, QImage::Format_RGB888);
  std::mt19937 random(11);
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x)
      picture.setPixelColor(x, y, QColor(random() & 255, random() & 255, random() & 255));
  picture.setPixelColor(3, 3, QColor(90, 90, 90));
  ASSERT_TRUE(picture.save(dir.filePath("walk.bmp"), "BMP"));
  open(dir.filePath("walk.bmp"));
  ASSERT_GT(orvane::CurrentImage().Width(), 0);
  const Picture original = current();

  std::set<std::pair<QString, int>> reached;  // (array, index) of every operation item met
  std::set<int> panes;
  for (const char* head : {"File", "Filter", "Effect", "Help", "Zoom"}) {
    for (QAction* action : main->Stuff().menu(head)->findChildren<QAction*>()) {
      if (!action->property("array").isValid() || action->isSeparator() || action->menu() != nullptr)
        continue;
      const QString array = action->property("array").toString();
      const int index = action->property("index").toInt();
      const std::string where = array.toStdString() + " " + std::to_string(index);
      const Command command = orvane::LookupCommand(array, index);

      if (command.kind == Command::Dialog) {
        const AdjustMode* pane = FindAdjustMode(command.arg);
        ASSERT_NE(pane, nullptr) << where;
        EXPECT_EQ(action->text(), QString::fromLatin1(pane->menuCaption)) << where;
        main->Stuff().Dispatch(array, index);
        EXPECT_EQ(adjustModes.last(), command.arg) << where;
        panes.insert(command.arg);
        continue;
      }
      if (command.kind != Command::Filter && command.kind != Command::Effect) continue;

      const OperationDef* op = FindOperation(command.name);
      ASSERT_NE(op, nullptr) << where << " names " << command.name;
      EXPECT_EQ(op->owner == OperationDef::Filter, command.kind == Command::Filter) << where;
      const orvane::MenuItem* item = nullptr;
      for (const orvane::MenuItem& m : op->menu)
        if (array == QLatin1String(m.array) && m.index == index) item = &m;
      ASSERT_NE(item, nullptr) << where << " is not an item of " << op->name;
      EXPECT_EQ(action->text(), QString::fromUtf8(item->caption)) << where;
      ASSERT_EQ(item->args.size(), op->params.size()) << where;
      for (size_t i = 0; i < item->args.size(); ++i)
        EXPECT_TRUE(op->params[i].accepts(item->args[i])) << where;
      reached.insert({array, index});

      main->Stuff().Dispatch("mnu_File", 3);  // back to the original
      ASSERT_TRUE(current() == original);
      main->Stuff().Dispatch(array, index);
      EXPECT_FALSE(current() == original) << where << " (" << op->name << ") left the picture as it was";
    }
  }
  EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();

  // Every menu place the table names is an item of the menus, and every pane is reachable.
  size_t places = 0;
  for (const OperationDef& op : orvane::Operations()) places += op.menu.size();
  EXPECT_EQ(reached.size(), places);
  EXPECT_EQ(panes.size(), size_t(orvane::kLastAdjustMode));
}

class PaneWalk : public adjust_test::AdjustFixture {};

// Moves one control of the open pane to another value.
void change(orvane::frmAdjust& dlg, const PaneArg& arg) {
  const QString name = QString::fromLatin1(arg.control);
  switch (arg.source) {
    case PaneArg::Slider: {
      auto* s = dlg.findChild<QScrollBar*>(name);
      s->setValue(s->value() != s->maximum() ? s->maximum() : s->minimum());
      break;
    }
    case PaneArg::Ticked: {
      auto* box = dlg.findChild<QAbstractButton*>(name);
      if (box->isChecked() && box->autoExclusive()) {  // a radio button is left by ticking another
        for (QRadioButton* other : box->parentWidget()->findChildren<QRadioButton*>())
          if (other != box) {
            other->setChecked(true);
            break;
          }
      } else {
        box->toggle();
      }
      break;
    }
    default: {  // a colour box asks for its colour
      orvane::frmAdjust::SetColorChooser([](const QColor&, QWidget*) { return QColor(200, 30, 60); });
      emit dlg.findChild<orvane::ColorBox*>(name)->clicked();
      break;
    }
  }
}

TEST_F(PaneWalk, EveryControlOfEveryPaneReachesItsOperation) {
  for (int mode = orvane::kFirstAdjustMode; mode <= orvane::kLastAdjustMode; ++mode) {
    const AdjustMode* pane = FindAdjustMode(mode);
    ASSERT_NE(pane, nullptr);
    if (mode == orvane::kResizeMode) {
      EXPECT_TRUE(pane->steps.empty());
      continue;
    }
    ASSERT_FALSE(pane->steps.empty()) << mode;
    orvane::frmAdjust dlg;
    dlg.AdjustType = mode;
    dlg.Load();
    Settle(dlg);
    std::set<std::string> colourBoxes, usedSliders;
    for (const orvane::PaneStep& step : pane->steps) {
      const OperationDef* op = FindOperation(step.operation);
      ASSERT_NE(op, nullptr) << mode << " " << step.operation;
      ASSERT_EQ(step.args.size(), op->params.size()) << mode << " " << step.operation;
      for (size_t i = 0; i < step.args.size(); ++i) {
        const PaneArg& arg = step.args[i];
        const orvane::Param& param = op->params[i];
        const std::string where = std::to_string(mode) + " " + op->name + ":" + param.name;
        if (arg.source == PaneArg::Fixed) {
          EXPECT_TRUE(param.accepts(arg.value)) << where;
          continue;
        }
        ASSERT_NE(dlg.findChild<QWidget*>(QString::fromLatin1(arg.control)), nullptr) << where;
        if (arg.source == PaneArg::Slider) {
          usedSliders.insert(arg.control);
          auto* s = dlg.findChild<QScrollBar*>(QString::fromLatin1(arg.control));
          ASSERT_NE(s, nullptr) << where;
          EXPECT_TRUE(param.accepts(s->minimum()) && param.accepts(s->maximum())) << where;
        }
        if (arg.source == PaneArg::Red || arg.source == PaneArg::Green || arg.source == PaneArg::Blue) {
          if (!colourBoxes.insert(arg.control).second) continue;  // one change per box
        }
        const std::vector<uint8_t> before = adjust_test::Bytes(dlg.previewImage());
        auto* slider = arg.source == PaneArg::Slider ? dlg.findChild<QScrollBar*>(arg.control) : nullptr;
        const int start = slider != nullptr ? slider->value() : 0;
        change(dlg, arg);
        Settle(dlg);
        EXPECT_NE(adjust_test::Bytes(dlg.previewImage()), before) << where << " changed nothing";
        // Each slider is tried from the pane's start values: sliders moved to
        // their ends together can make a shape in which one of them no longer
        // shows (a pentagon whose middle reaches the top).
        if (slider != nullptr) {
          slider->setValue(start);
          Settle(dlg);
        }
      }
    }
    // A slider the operations never read would move without effect.
    for (const orvane::SliderSpec* slider : orvane::SlidersOfMode(mode))
      EXPECT_EQ(usedSliders.count(slider->name), 1u) << mode << " " << slider->name;
    emit dlg.cancelButton()->Click();
  }
  EXPECT_TRUE(warnings.empty()) << (warnings.empty() ? "" : warnings.front().toStdString());
}

// The dialog finds a step's controls by name only when the step runs. Every
// control a step reads must be one of its own pane's that gives what it wants,
// no name may serve twice (the search covers every pane), and every control
// is read: a radio button through any of its pane's radio buttons (ticking
// one unticks the others), the Resize boxes by OK itself, as Resize has no steps.
TEST(PaneTables, EveryStepReadsAControlOfItsPaneAndEveryControlIsRead) {
  using C = orvane::PaneControl;
  using Sources = std::set<PaneArg::Source>;  // what a control can be read as
  const std::map<C::Kind, Sources> gives = {{C::Check, {PaneArg::Ticked}},
                                            {C::Radio, {PaneArg::Ticked}},
                                            {C::Colour, {PaneArg::Red, PaneArg::Green, PaneArg::Blue}},
                                            {C::SizeBox, {}}};
  std::set<std::string> names;
  for (int mode = orvane::kFirstAdjustMode; mode <= orvane::kLastAdjustMode; ++mode) {
    std::map<std::string, Sources> controls;
    std::set<std::string> radios;
    for (const orvane::SliderSpec* slider : orvane::SlidersOfMode(mode))
      controls[slider->name] = {PaneArg::Slider};
    for (const C* control : orvane::ControlsOfMode(mode)) {
      controls[control->name] = gives.at(control->kind);
      if (control->kind == C::Radio) radios.insert(control->name);
    }
    for (const auto& [name, sources] : controls) EXPECT_TRUE(names.insert(name).second) << name << " again";

    std::set<std::string> read;
    for (const orvane::PaneStep& step : FindAdjustMode(mode)->steps)
      for (const PaneArg& arg : step.args) {
        if (arg.source == PaneArg::Fixed) continue;
        const auto found = controls.find(arg.control);
        if (found == controls.end()) {
          ADD_FAILURE() << mode << " " << step.operation << " reads " << arg.control << ", not of its pane";
          continue;
        }
        EXPECT_EQ(found->second.count(arg.source), 1u) << mode << " " << step.operation << " " << arg.control;
        read.insert(arg.control);
        if (radios.count(arg.control) != 0) read.insert(radios.begin(), radios.end());
      }
    for (const auto& [name, sources] : controls) {
      if (sources.empty())
        EXPECT_EQ(mode, orvane::kResizeMode) << name << " is read by no step";
      else
        EXPECT_EQ(read.count(name), 1u) << mode << " " << name << " is read by no step";
    }
  }
}

}  // namespace
