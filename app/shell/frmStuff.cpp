#include "frmStuff.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <algorithm>
#include <climits>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "AdjustModes.h"
#include "DialogLaunch.h"
#include "EditHistory.h"
#include "Globals.h"
#include "LumbraButton.h"
#include "Operations.h"
#include "RecentFiles.h"
#include "ShellHelpers.h"
#include "SkinResources.h"
#include "WorkRunner.h"
#include "cEffectDIB.h"
#include "cFilterDIB.h"
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
  auto zoom = [](int index, int percent, const char* caption) -> Line {
    return {index, caption, {Command::Zoom, "Zoom", percent}};
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
       {zoom(0, 25, "25%"),
        zoom(1, 50, "50%"),
        zoom(2, 75, "75%"),
        zoom(3, 100, "100%                     Ctrl+1"),
        zoom(4, 150, "150%"),
        zoom(5, 200, "200%"),
        zoom(6, 300, "300%"),
        separator(7),
        {8, "Center", {Command::Zoom, "Center", 0}},
        {9, "Fit                      Ctrl+0", {Command::Zoom, "Fit", -1}},
        zoom(10, 10, "10%"),
        zoom(11, 400, "400%"),
        zoom(12, 800, "800%")}},
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

QString CommonDialog::FilterExtension(const QString& filter, int index) {
  const QStringList parts = filter.split('|');
  const int at = 2 * (index - 1) + 1;
  if (index < 1 || at >= parts.size()) return QString();
  const QString first = parts[at].section(';', 0, 0).trimmed();
  return first.startsWith(QStringLiteral("*.")) ? first.mid(2) : QString();
}

void CommonDialog::ShowOpen(QWidget* parent) {
  if (runnerHook()) {
    FileName = runnerHook()(false, Filter, Flags, FilterIndex, parent);
    return;
  }
  FileName = QFileDialog::getOpenFileName(parent, QString(), QString(), QtFilter(Filter));
}

void CommonDialog::ShowSave(QWidget* parent) {
  if (runnerHook()) {
    FileName = runnerHook()(true, Filter, Flags, FilterIndex, parent);
    return;
  }
  QFileDialog dialog(parent);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  const QStringList filters = QtFilter(Filter).split(QStringLiteral(";;"));
  dialog.setNameFilters(filters);
  int start = std::clamp(FilterIndex, 1, static_cast<int>(std::max<qsizetype>(1, filters.size())));
  // A name set before the call is offered, with the type its extension names.
  const QString offered = FileName;
  const QString offeredExtension = QFileInfo(offered).suffix().toLower();
  if (!offeredExtension.isEmpty())
    for (qsizetype i = 0; i < filters.size(); ++i)
      if (filters[i].contains(QStringLiteral("*.") + offeredExtension + QLatin1Char(' ')) ||
          filters[i].contains(QStringLiteral("*.") + offeredExtension + QLatin1Char(')')))
        start = static_cast<int>(i) + 1;
  if (start <= filters.size()) dialog.selectNameFilter(filters[start - 1]);
  if (!offered.isEmpty()) dialog.selectFile(offered);
  // A name typed without an extension takes the chosen type's, before the
  // dialog asks about replacing an existing file.
  dialog.setDefaultSuffix(FilterExtension(Filter, start));
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& chosen) {
    dialog.setDefaultSuffix(FilterExtension(Filter, static_cast<int>(filters.indexOf(chosen)) + 1));
  });
  FileName.clear();
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  FileName = dialog.selectedFiles().first();
  FilterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
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
  // Fit and the low levels first, then the levels of old, the high ones, and Center.
  addArray(zoom, "mnu_Zoom", 9, 10);
  addArray(zoom, "mnu_Zoom", 0, 6);
  addArray(zoom, "mnu_Zoom", 11, 12);
  addArray(zoom, "mnu_Zoom", 7, 8);
  for (QAction* level : zoom->actions())
    level->setCheckable(!level->isSeparator() &&
                        LookupCommand("mnu_Zoom", level->property("index").toInt()).arg != 0);

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
  // While work runs only help and the zoom answer.
  if (main_.Work().Running() && command.kind != Command::Help && command.kind != Command::Zoom) return;
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
        if (!RunOperation(command, caption)) return;
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
        if (command.arg != 0) {
          main_.ZoomFit = command.arg < 0;
          if (command.arg > 0) main_.ZoomPercent = command.arg;
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

bool frmStuff::RunOperation(const Command& command, const QString& caption) {
  const OperationDef* op = FindOperation(command.name);
  if (op == nullptr) throw std::runtime_error(std::string("there is no operation ") + command.name);
  std::vector<int32_t> args;
  if (!op->params.empty()) args.push_back(command.arg);
  // With a selection only its inside changes (operations that change the
  // picture's size or shape act on the whole picture).
  const std::optional<PixelRect> part = op->wholePicture ? std::nullopt : main_.Selection();
  const Reach reach = op->reachFor(args);
  return ChangeOnWorker(caption, [op, args, part, reach](CDIB& image) {
    // Objects of the worker's own: they keep working copies between calls.
    cFilterDIB filters;
    cEffectDIB effects;
    OperationTools tools{filters, effects};
    if (part) {
      if (!ApplyInside(image, *part, reach, [&](CDIB& p) { op->apply(tools, p, args); }))
        throw std::runtime_error("there is not enough memory to work on the selection");
      return;
    }
    op->apply(tools, image, args);
  });
}

bool frmStuff::ChangeOnWorker(const QString& label, const std::function<void(CDIB&)>& change) {
  if (CurrentImage().DIBPointer() == nullptr) {  // nothing to work on, nothing to wait for
    RecordChange(label);
    change(CurrentImage());
    return true;
  }
  // The change is made to a copy, so the picture shown meanwhile is whole and
  // a stopped change leaves it exactly as it was. The worker makes the copy
  // too; a stop waits for that copy to be complete (a moment), since after it
  // the window may change the picture the copy is read from.
  struct Copying {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    void Finish() {
      {
        const std::lock_guard hold(mutex);
        finished = true;
      }
      done.notify_all();
    }
  };
  auto copy = std::make_shared<CDIB>();
  auto copying = std::make_shared<Copying>();
  CDIB* source = &CurrentImage();
  const bool finished = main_.RunWork(label, [copy, copying, source, change] {
    bool copied = false;
    try {
      copied = copy->CopyOf(*source);
    } catch (...) {
      copying->Finish();
      throw;
    }
    copying->Finish();
    if (!copied) throw std::runtime_error("not enough memory for a working copy");
    change(*copy);
  });
  if (!finished) {
    std::unique_lock hold(copying->mutex);
    copying->done.wait(hold, [&copying] { return copying->finished; });
    return false;
  }
  // The picture as it was goes into the history as it is, without a copy on
  // the window's thread, and the changed copy takes its place.
  History().RecordTaken(CurrentImage(), label);
  CurrentImage().Swap(*copy);
  main_.UpdateTitle();
  return true;
}

void frmStuff::RunHelp(const Command& command) {
  const QLatin1String name(command.name);
  if (name == QLatin1String("Help")) OpenHelpFile(&main_);
  if (name == QLatin1String("HomePage")) AboutBox().homePageButton()->GoToURL();
  if (name == QLatin1String("EMail")) AboutBox().mailButton()->GoToURL();
  if (name == QLatin1String("About")) ShowAboutBox();
}

void frmStuff::ShowZoomLevel(int percent) {
  if (QMenu* zoom = menu(QStringLiteral("Zoom")))
    for (QAction* level : zoom->actions())
      if (level->isCheckable()) {
        const int arg = LookupCommand(QStringLiteral("mnu_Zoom"), level->property("index").toInt()).arg;
        level->setChecked(percent <= 0 ? arg < 0 : arg == percent);
      }
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
