#include "frmStuff.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <algorithm>
#include <climits>
#include <exception>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "AdjustModes.h"
#include "DialogLaunch.h"
#include "Globals.h"
#include "LumbraButton.h"
#include "Operations.h"
#include "RecentFiles.h"
#include "ShellHelpers.h"
#include "SkinResources.h"
#include "frmAbout.h"
#include "frmMain.h"

namespace orvane {

// ---- the menu table -----------------------------------------------------

namespace {

struct Line {
  int index;  // -1: the array is a single item
  const char* caption;
  Command command;
  bool submenu = false;
};

Line separator(int index) { return {index, "-", {}}; }
Line submenu(int index, const char* caption) { return {index, caption, {}, true}; }

// The lines of each menu control array that are neither operations nor
// dialogs: those come from the table of operations and the dialog's panes.
std::map<QString, std::vector<Line>> fixedLines() {
  auto zoom = [](int index, int percent) -> Line {
    static const char* const captions[] = {"25%", "50%", "75%", "100%", "150%", "200%", "300%"};
    return {index, captions[index], {Command::Zoom, "Zoom", percent}};
  };
  return {
      {"mnu_File",
       {{0, "Open...                  Ctrl+O", {Command::File, "OpenImage"}},
        {1, "Save As...               Ctrl+S", {Command::File, "SaveImageAs"}},
        separator(2),
        {3, "Back to Original          Ctrl+R", {Command::File, "BackToOriginal"}},
        {4, "Crop to Selection   Ctrl+Shift+X", {Command::File, "CropToSelection"}},
        separator(5),
        {6, "Exit                      Ctrl+X", {Command::File, "Exit"}}}},
      {"mnu_FileEdit",
       {{0, "Undo                     Ctrl+Z", {Command::File, "Undo"}},
        {1, "Redo                     Ctrl+Y", {Command::File, "Redo"}},
        separator(2),
        {3, "Copy                     Ctrl+C", {Command::File, "Copy"}},
        {4, "Paste                    Ctrl+V", {Command::File, "Paste"}},
        separator(5)}},
      {"mnu_Filter_ColorAdj",
       {separator(2), separator(6), submenu(9, "RGB Exchange"), separator(10), submenu(11, "Kill Color"),
        submenu(12, "Soft Color"), submenu(13, "Hard Color"), submenu(14, "Fast Color"), separator(15),
        submenu(16, "Invert"), submenu(17, "GreyScale")}},
      {"mnu_Style", {submenu(1, "Engrave")}},
      {"mnu_Help",
       {{0, "Help                 F1", {Command::Help, "Help"}},
        separator(1),
        {2, "HomePage", {Command::Help, "HomePage"}},
        {3, "E-Mail", {Command::Help, "EMail"}},
        separator(4),
        {5, "About this Program", {Command::Help, "About"}}}},
      {"mnu_Zoom",
       {zoom(0, 25),
        zoom(1, 50),
        zoom(2, 75),
        zoom(3, 100),
        zoom(4, 150),
        zoom(5, 200),
        zoom(6, 300),
        separator(7),
        {8, "Center", {Command::Zoom, "Center", 0}}}},
  };
}

// Every array's lines in index order.
const std::map<QString, std::vector<Line>>& menuLines() {
  static const std::map<QString, std::vector<Line>> lines = [] {
    std::map<QString, std::vector<Line>> all = fixedLines();
    for (const OperationDef& op : Operations()) {
      for (const MenuItem& item : op.menu) {
        // A menu item passes at most one argument, the command's.
        const Command command{op.owner == OperationDef::Filter ? Command::Filter : Command::Effect,
                              op.name.c_str(), item.args.empty() ? 0 : item.args.front(), true};
        all[QString::fromLatin1(item.array)].push_back({item.index, item.caption, command});
      }
    }
    for (int mode = kFirstAdjustMode; mode <= kLastAdjustMode; ++mode) {
      const AdjustMode* pane = FindAdjustMode(mode);
      all[QString::fromLatin1(pane->menuArray)].push_back(
          {pane->menuIndex, pane->menuCaption, {Command::Dialog, "", mode, false}});
    }
    for (auto& [array, list] : all)
      std::sort(list.begin(), list.end(), [](const Line& x, const Line& y) { return x.index < y.index; });
    return all;
  }();
  return lines;
}

const std::vector<Line>& linesOf(const QString& array) {
  static const std::vector<Line> none;
  const auto it = menuLines().find(array);
  return it == menuLines().end() ? none : it->second;
}

}  // namespace

Command LookupCommand(const QString& array, int index) {
  if (array == QLatin1String("mnu_FileRecent")) {
    if (index < 0 || index >= RecentFiles::kMostFiles) return {};
    return {Command::File, "OpenRecent", index};
  }
  for (const Line& line : linesOf(array))
    if (line.index == index || line.index == -1) return line.command;
  return {};
}

// ---- the common dialog -----------------------------------------------------

namespace {
CommonDialog::Runner& runnerHook() {
  static CommonDialog::Runner hook;
  return hook;
}
}  // namespace

void CommonDialog::SetRunner(Runner runner) { runnerHook() = std::move(runner); }

QString CommonDialog::QtFilter(const QString& filter) {
  const QStringList parts = filter.split('|');
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2)
    out << QStringLiteral("%1 (%2)").arg(parts[i], QString(parts[i + 1]).replace(';', ' '));
  return out.join(QStringLiteral(";;"));
}

void CommonDialog::ShowOpen(QWidget* parent) {
  if (runnerHook()) {
    FileName = runnerHook()(false, Filter, Flags, parent);
    return;
  }
  FileName = QFileDialog::getOpenFileName(parent, QString(), QString(), QtFilter(Filter));
}

void CommonDialog::ShowSave(QWidget* parent) {
  if (runnerHook()) {
    FileName = runnerHook()(true, Filter, Flags, parent);
    return;
  }
  // QFileDialog asks before replacing an existing file. A name set before
  // the call is offered, with the type its extension names.
  const QString offered = FileName;
  const QString qtFilter = QtFilter(Filter);
  QString selected;
  const QString extension = QFileInfo(offered).suffix().toLower();
  if (!extension.isEmpty())
    for (const QString& entry : qtFilter.split(QStringLiteral(";;")))
      if (entry.contains(QStringLiteral("*.") + extension + QLatin1Char(' ')) ||
          entry.contains(QStringLiteral("*.") + extension + QLatin1Char(')')))
        selected = entry;
  FileName = QFileDialog::getSaveFileName(parent, QString(), offered, qtFilter, &selected);
}

// ---- the form ----------------------------------------------------------------

frmStuff::frmStuff(frmMain& main) : main_(main) {
  holder_ = new QWidget;  // never shown: owns the menus
  PicTempMouseIcon = HandPointer();
  BuildMenus();
}

frmStuff::~frmStuff() { delete holder_; }

QMenu* frmStuff::menu(const QString& caption) const {
  const auto it = menus_.find(caption);
  return it == menus_.end() ? nullptr : it->second;
}

namespace {

void tag(QAction* action, const QString& array, int index) {
  action->setProperty("array", array);
  action->setProperty("index", index);
}

// Adds the items of one menu control array (those from index `first` to
// `last`); returns its sub-menus by index.
std::map<int, QMenu*> addArray(QMenu* menu, const char* array, int first = INT_MIN, int last = INT_MAX) {
  std::map<int, QMenu*> subs;
  const QString name = QString::fromLatin1(array);
  for (const Line& line : linesOf(name)) {
    if (line.index < first || line.index > last) continue;
    QAction* action = nullptr;
    if (line.submenu) {
      QMenu* sub = menu->addMenu(QString::fromUtf8(line.caption));
      subs[line.index] = sub;
      action = sub->menuAction();
    } else if (QLatin1String(line.caption) == QLatin1String("-")) {
      action = menu->addSeparator();
    } else {
      action = menu->addAction(QString::fromUtf8(line.caption));
    }
    tag(action, name, line.index);
  }
  return subs;
}

// A sub-menu heading that is not part of an array.
QMenu* addHead(QMenu* menu, const char* name, const char* caption) {
  QMenu* sub = menu->addMenu(QString::fromUtf8(caption));
  tag(sub->menuAction(), QString::fromLatin1(name), -1);
  return sub;
}

// An array of one item.
void addSingle(QMenu* menu, const char* name) {
  const QString array = QString::fromLatin1(name);
  tag(menu->addAction(QString::fromUtf8(linesOf(array).at(0).caption)), array, -1);
}

}  // namespace

void frmStuff::BuildMenus() {
  auto head = [this](const char* name, const char* caption) {
    auto* m = new QMenu(QString::fromUtf8(caption), holder_);
    m->setObjectName(QString::fromLatin1(name));
    m->menuAction()->setProperty("array", QString::fromLatin1(name));
    m->menuAction()->setProperty("index", -1);
    menus_[QString::fromUtf8(caption)] = m;
    return m;
  };

  QMenu* file = head("mnu_FileHead", "File");
  addArray(file, "mnu_File", 0, 0);
  recentMenu_ = addHead(file, "mnu_FileRecentHead", "Recent Files");
  addArray(file, "mnu_File", 1, 2);
  addArray(file, "mnu_FileEdit");
  addArray(file, "mnu_File", 3, 6);

  QMenu* filterMenu = head("mnu_FilterHead", "Filter");
  addArray(addHead(filterMenu, "mnu_Filter_AutoProcessHead", "Auto Process"), "mnu_Filter_AutoProcess");
  filterMenu->addSeparator();
  auto colorSubs =
      addArray(addHead(filterMenu, "mnu_Filter_ColorAdjHead", "Color Adjustment"), "mnu_Filter_ColorAdj");
  addArray(colorSubs[9], "mnu_Filter_RGBExchange");
  addArray(colorSubs[11], "mnu_Filter_KillColor");
  addArray(colorSubs[12], "mnu_Filter_SoftColor");
  addArray(colorSubs[13], "mnu_Filter_HardColor");
  addArray(colorSubs[14], "mnu_Filter_FastColor");
  addArray(colorSubs[16], "mnu_Filter_Invert");
  addArray(colorSubs[17], "mnu_Filter_GreyScale");
  filterMenu->addSeparator();
  addArray(addHead(filterMenu, "mnu_BlurHead", "Blur"), "mnu_Blur");
  addArray(addHead(filterMenu, "mnu_SharpenHead", "Sharpen"), "mnu_Sharpen");
  filterMenu->addSeparator();
  auto styleSubs = addArray(addHead(filterMenu, "mnu_StyleHead", "Style"), "mnu_Style");
  addArray(styleSubs[1], "mnu_Filter_Engrave");
  addArray(addHead(filterMenu, "mnu_Filter_ChemistryHead", "Chemistry"), "mnu_Filter_Chemistry");
  addArray(addHead(filterMenu, "mnu_Filter_PhysicsHead", "Physics"), "mnu_Filter_Physics");
  addArray(addHead(filterMenu, "mnu_Filter_NatureHead", "Nature"), "mnu_Filter_Nature");
  addArray(addHead(filterMenu, "mnu_Filter_ArtHead", "Art"), "mnu_Filter_Art");

  QMenu* effect = head("mnu_Effect", "Effect");
  addSingle(effect, "mnu_Effect_Resize");
  effect->addSeparator();
  addArray(addHead(effect, "mnu_Effect_RotateHead", "Rotate"), "mnu_Effect_Rotate");
  effect->addSeparator();
  addArray(addHead(effect, "mnu_Effect_FlipHead", "Flip"), "mnu_Effect_Flip");
  addArray(addHead(effect, "mnu_Effect_SimpleMirrorHead", "Simple Mirror"), "mnu_Effect_SimpleMirror");
  addArray(addHead(effect, "mnu_Effect_DistortionHead", "Distortion"), "mnu_Effect_Distortion");
  effect->addSeparator();
  addSingle(effect, "mnu_Effect_Blinds");

  QMenu* help = head("mnu_HelpHead", "Help");
  addArray(help, "mnu_Help");

  QMenu* zoom = head("mnu_ZoomHead", "Zoom");
  addArray(zoom, "mnu_Zoom");

  RebuildRecentMenu();
  // Every item reaches Dispatch with its array and index.
  for (QAction* action : holder_->findChildren<QAction*>()) {
    if (action->property("array").toString() == QLatin1String("mnu_FileRecent")) continue;
    if (action->isSeparator() || action->menu() != nullptr || !action->property("array").isValid()) continue;
    QObject::connect(action, &QAction::triggered, holder_, [this, action] {
      Dispatch(action->property("array").toString(), action->property("index").toInt());
    });
  }
}

void frmStuff::Dispatch(const QString& array, int index) {
  const Command command = LookupCommand(array, index);
  if (command.kind == Command::None) return;
  QString caption;
  for (const auto& [name, m] : menus_)
    for (QAction* a : m->findChildren<QAction*>())
      if (a->property("array").toString() == array && a->property("index").toInt() == index)
        caption = a->text();
  Run(command, caption.trimmed());
}

void frmStuff::Run(const Command& command, const QString& caption) {
  // An error that stops an operation is reported; the program goes on.
  try {
    switch (command.kind) {
      case Command::Filter:
      case Command::Effect:
        RecordChange(caption);
        RunOperation(command);
        break;
      case Command::Dialog:
        openAdjustDialog(command.arg);
        break;
      case Command::File: {
        const QLatin1String name(command.name);
        if (name == QLatin1String("OpenImage")) OpenImage();
        if (name == QLatin1String("SaveImageAs")) SaveImageAs();
        if (name == QLatin1String("BackToOriginal")) BackToOriginal();
        if (name == QLatin1String("Exit")) main_.Unload();
        if (name == QLatin1String("Undo")) Undo();
        if (name == QLatin1String("Redo")) Redo();
        if (name == QLatin1String("Copy")) CopyPicture();
        if (name == QLatin1String("Paste")) PastePicture();
        if (name == QLatin1String("OpenRecent")) OpenRecent(command.arg);
        if (name == QLatin1String("CropToSelection")) CropToSelection();
        break;
      }
      case Command::Help:
        RunHelp(command);
        break;
      case Command::Zoom:
        if (command.arg > 0) {
          main_.ZoomPercent = command.arg;
          main_.Zoom();
        }
        main_.ZoomCenter();
        break;
      case Command::None:
        break;
    }
    if (command.redisplay) ChangePic();
  } catch (const std::exception& e) {
    const QString what = caption.isEmpty() ? QString::fromLatin1(command.name) : caption;
    ShowMessage(QStringLiteral("\"%1\" failed: %2").arg(what, QString::fromLocal8Bit(e.what())));
  }
}

void frmStuff::RunOperation(const Command& command) {
  const OperationDef* op = FindOperation(command.name);
  if (op == nullptr) throw std::runtime_error(std::string("there is no operation ") + command.name);
  std::vector<int32_t> args;
  if (!op->params.empty()) args.push_back(command.arg);
  OperationTools tools{FilterObject(), EffectObject()};
  if (const std::optional<PixelRect> part = main_.Selection(); part && !op->wholePicture) {
    if (!ApplyInside(CurrentImage(), *part, op->reachFor(args), [&](CDIB& p) { op->apply(tools, p, args); }))
      throw std::runtime_error("there is not enough memory to work on the selection");
    return;
  }
  op->apply(tools, CurrentImage(), args);
}

void frmStuff::RunHelp(const Command& command) {
  const QLatin1String name(command.name);
  if (name == QLatin1String("Help")) OpenHelpFile(&main_);
  if (name == QLatin1String("HomePage")) AboutBox().homePageButton()->GoToURL();
  if (name == QLatin1String("EMail")) AboutBox().mailButton()->GoToURL();
  if (name == QLatin1String("About")) ShowAboutBox();
}

void frmStuff::ChangePic() {
  main_.Zoom();
  QCoreApplication::processEvents();
}

void frmStuff::BackToOriginal() {
  CDIB& current = CurrentImage();
  CDIB& original = OriginalImage();
  if (current.DIBPointer() != nullptr) RecordChange(QStringLiteral("Back to Original"));
  current.Cls();
  current.Create(original.Width(), original.Height());
  current.CloneHDC(original.hDC(), SRCCOPY, 0, 0);
  main_.Zoom();
  QCoreApplication::processEvents();
}

}  // namespace orvane
