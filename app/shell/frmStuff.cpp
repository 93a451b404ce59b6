#include "frmStuff.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <condition_variable>
#include <exception>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <utility>
#include <vector>

#include "DialogLaunch.h"
#include "Globals.h"
#include "LumbraButton.h"
#include "RecentFiles.h"
#include "ShellHelpers.h"
#include "SkinResources.h"
#include "WorkRunner.h"
#include "cEffectDIB.h"
#include "cFilterDIB.h"
#include "frmAbout.h"
#include "frmMain.h"

namespace orvane {

// ---- the dispatch table ----------------------------------------------------

namespace {

using FilterOp = void (cFilterDIB::*)(CDIB&);
using EffectOp = void (cEffectDIB::*)(CDIB&);

const std::map<QString, FilterOp>& filterOps() {
  static const std::map<QString, FilterOp> ops = {
      {"AutoLevel", &cFilterDIB::AutoLevel},
      {"AutoContrast", &cFilterDIB::AutoContrast},
      {"FalseColor", &cFilterDIB::FalseColor},
      {"RGB2BGR", &cFilterDIB::RGB2BGR},
      {"RGB2BRG", &cFilterDIB::RGB2BRG},
      {"RGB2GBR", &cFilterDIB::RGB2GBR},
      {"RGB2GRB", &cFilterDIB::RGB2GRB},
      {"RGB2RBG", &cFilterDIB::RGB2RBG},
      {"KillRed", &cFilterDIB::KillRed},
      {"KillGreen", &cFilterDIB::KillGreen},
      {"KillBlue", &cFilterDIB::KillBlue},
      {"KillCyan", &cFilterDIB::KillCyan},
      {"KillCarmine", &cFilterDIB::KillCarmine},
      {"KillYellow", &cFilterDIB::KillYellow},
      {"SoftRed", &cFilterDIB::SoftRed},
      {"SoftGreen", &cFilterDIB::SoftGreen},
      {"SoftOrange", &cFilterDIB::SoftOrange},
      {"SoftYellow", &cFilterDIB::SoftYellow},
      {"SoftPurple", &cFilterDIB::SoftPurple},
      {"HardRed", &cFilterDIB::HardRed},
      {"HardGreen", &cFilterDIB::HardGreen},
      {"HardBlue", &cFilterDIB::HardBlue},
      {"HardYellow", &cFilterDIB::HardYellow},
      {"FastPurple", &cFilterDIB::FastPurple},
      {"FastGrey", &cFilterDIB::FastGrey},
      {"FastYellow", &cFilterDIB::FastYellow},
      {"FastBrown", &cFilterDIB::FastBrown},
      {"FastDarkBrown", &cFilterDIB::FastDarkBrown},
      {"InvertAll", &cFilterDIB::InvertAll},
      {"InvertRed", &cFilterDIB::InvertRed},
      {"InvertGreen", &cFilterDIB::InvertGreen},
      {"InvertBlue", &cFilterDIB::InvertBlue},
      {"InvertCarmine", &cFilterDIB::InvertCarmine},
      {"InvertYellow", &cFilterDIB::InvertYellow},
      {"InvertCyan", &cFilterDIB::InvertCyan},
      {"StandardGreyscale", &cFilterDIB::StandardGreyscale},
      {"GreyScale_Average", &cFilterDIB::GreyScale_Average},
      {"GreyScale_HighLight", &cFilterDIB::GreyScale_HighLight},
      {"GreyScale_MedianLight", &cFilterDIB::GreyScale_MedianLight},
      {"GreyScale_LowLight", &cFilterDIB::GreyScale_LowLight},
      {"GreyScale_OnlyR", &cFilterDIB::GreyScale_OnlyR},
      {"GreyScale_OnlyG", &cFilterDIB::GreyScale_OnlyG},
      {"GreyScale_OnlyB", &cFilterDIB::GreyScale_OnlyB},
      {"FastBlur", &cFilterDIB::FastBlur},
      {"GaussBlur", &cFilterDIB::GaussBlur},
      {"BlurSoftly", &cFilterDIB::BlurSoftly},
      {"BlurMore", &cFilterDIB::BlurMore},
      {"SpecialBlur", &cFilterDIB::SpecialBlur},
      {"Noise_Reduction_Median", &cFilterDIB::Noise_Reduction_Median},
      {"SimpleSharpen", &cFilterDIB::SimpleSharpen},
      {"SharpenLess", &cFilterDIB::SharpenLess},
      {"SharpenMore", &cFilterDIB::SharpenMore},
      {"UnSharpMask", &cFilterDIB::UnSharpMask},
      {"EnhanceEdge", &cFilterDIB::EnhanceEdge},
      {"EmbossHightLight", &cFilterDIB::EmbossHightLight},
      {"EmbossColor", &cFilterDIB::EmbossColor},
      {"Sharpen_Horizontal", &cFilterDIB::Sharpen_Horizontal},
      {"Sharpen_Vertical", &cFilterDIB::Sharpen_Vertical},
      {"Sharpen_Roberts", &cFilterDIB::Sharpen_Roberts},
      {"Sharpen_Wallis", &cFilterDIB::Sharpen_Wallis},
      {"Sharpen_Laplacian1", &cFilterDIB::Sharpen_Laplacian1},
      {"Sharpen_Laplacian2", &cFilterDIB::Sharpen_Laplacian2},
      {"AfricaF", &cFilterDIB::AfricaF},
      {"CharCoal", &cFilterDIB::CharCoal},
      {"Strange", &cFilterDIB::Strange},
      {"Unreal", &cFilterDIB::Unreal},
      {"SuperEdge", &cFilterDIB::SuperEdge},
      {"ArtisticEdge", &cFilterDIB::ArtisticEdge},
      {"Contour", &cFilterDIB::Contour},
      {"Engrave", &cFilterDIB::Engrave},
      {"EngraveRed", &cFilterDIB::EngraveRed},
      {"EngraveGreen", &cFilterDIB::EngraveGreen},
      {"EngraveBlue", &cFilterDIB::EngraveBlue},
      {"EngraveCyan", &cFilterDIB::EngraveCyan},
      {"EngraveCarmine", &cFilterDIB::EngraveCarmine},
      {"EngraveYellow", &cFilterDIB::EngraveYellow},
      {"Noise", &cFilterDIB::Noise},
      {"Liquid", &cFilterDIB::Liquid},
      {"WetPaper", &cFilterDIB::WetPaper},
      {"Flame", &cFilterDIB::Flame},
      {"Night", &cFilterDIB::Night},
      {"Eclipse", &cFilterDIB::Eclipse},
  };
  return ops;
}

const std::map<QString, EffectOp>& effectOps() {
  static const std::map<QString, EffectOp> ops = {
      {"FlipHor", &cEffectDIB::FlipHor},     {"FlipVer", &cEffectDIB::FlipVer},
      {"MirrorHor", &cEffectDIB::MirrorHor}, {"MirrorHorRev", &cEffectDIB::MirrorHorRev},
      {"MirrorVer", &cEffectDIB::MirrorVer}, {"MirrorVerRev", &cEffectDIB::MirrorVerRev},
  };
  return ops;
}

Command filter(const char* name) { return {Command::Filter, name, 0, true}; }
Command dialog(int mode) { return {Command::Dialog, "", mode, false}; }

// Item `index` of a list of filter operations, all followed by a redisplay.
Command pick(int index, std::initializer_list<const char*> names) {
  if (index < 0 || index >= static_cast<int>(names.size())) return {};
  return filter(names.begin()[index]);
}

Command fromPairs(int index, std::initializer_list<std::pair<int, Command>> pairs) {
  for (const auto& [i, command] : pairs)
    if (i == index) return command;
  return {};
}

}  // namespace

Command LookupCommand(const QString& a, int i) {
  if (a == "mnu_File")
    return fromPairs(i, {{0, {Command::File, "OpenImage"}},
                         {1, {Command::File, "SaveImageAs"}},
                         {3, {Command::File, "BackToOriginal"}},
                         {6, {Command::File, "Exit"}}});
  if (a == "mnu_FileEdit")
    return fromPairs(i, {{0, {Command::File, "Undo"}},
                         {1, {Command::File, "Redo"}},
                         {3, {Command::File, "Copy"}},
                         {4, {Command::File, "Paste"}}});
  if (a == "mnu_FileRecent") {
    if (i < 0 || i >= RecentFiles::kMostFiles) return {};
    return {Command::File, "OpenRecent", i};
  }
  if (a == "mnu_Filter_AutoProcess") return pick(i, {"AutoLevel", "AutoContrast"});
  if (a == "mnu_Filter_ColorAdj")
    return fromPairs(i, {{0, dialog(1)},
                         {1, dialog(2)},
                         {3, dialog(3)},
                         {4, dialog(4)},
                         {5, dialog(5)},
                         {7, dialog(6)},
                         {8, dialog(7)},
                         {18, filter("FalseColor")},
                         {19, dialog(8)}});
  if (a == "mnu_Filter_RGBExchange") return pick(i, {"RGB2BGR", "RGB2BRG", "RGB2GBR", "RGB2GRB", "RGB2RBG"});
  if (a == "mnu_Filter_KillColor")
    return pick(i, {"KillRed", "KillGreen", "KillBlue", "KillCyan", "KillCarmine", "KillYellow"});
  if (a == "mnu_Filter_SoftColor")
    return pick(i, {"SoftRed", "SoftGreen", "SoftOrange", "SoftYellow", "SoftPurple"});
  if (a == "mnu_Filter_HardColor") return pick(i, {"HardRed", "HardGreen", "HardBlue", "HardYellow"});
  if (a == "mnu_Filter_FastColor")
    return pick(i, {"FastPurple", "FastGrey", "FastYellow", "FastBrown", "FastDarkBrown"});
  if (a == "mnu_Filter_Invert")
    return pick(i, {"InvertAll", "InvertRed", "InvertGreen", "InvertBlue", "InvertCarmine", "InvertYellow",
                    "InvertCyan"});
  if (a == "mnu_Filter_GreyScale")
    return pick(i, {"StandardGreyscale", "GreyScale_Average", "GreyScale_HighLight", "GreyScale_MedianLight",
                    "GreyScale_LowLight", "GreyScale_OnlyR", "GreyScale_OnlyG", "GreyScale_OnlyB"});
  if (a == "mnu_Blur")
    return fromPairs(i, {{0, filter("FastBlur")},
                         {1, filter("GaussBlur")},
                         {2, filter("BlurSoftly")},
                         {3, filter("BlurMore")},
                         {4, filter("SpecialBlur")},
                         {5, dialog(9)},
                         {6, dialog(10)},
                         {7, filter("Noise_Reduction_Median")}});
  if (a == "mnu_Sharpen") {
    if (i == 0) return dialog(11);
    return pick(i - 1, {"SimpleSharpen", "SharpenLess", "SharpenMore", "UnSharpMask", "EnhanceEdge",
                        "EmbossHightLight", "EmbossColor", "Sharpen_Horizontal", "Sharpen_Vertical",
                        "Sharpen_Roberts", "Sharpen_Wallis", "Sharpen_Laplacian1", "Sharpen_Laplacian2"});
  }
  if (a == "mnu_Style")
    return fromPairs(i, {{0, dialog(12)},
                         {2, dialog(13)},
                         {3, dialog(14)},
                         {4, dialog(15)},
                         {5, filter("AfricaF")},
                         {6, filter("CharCoal")},
                         {7, filter("Strange")},
                         {8, filter("Unreal")},
                         {9, filter("SuperEdge")},
                         {11, filter("ArtisticEdge")},
                         {12, filter("Contour")}});
  if (a == "mnu_Filter_Engrave")
    return pick(i, {"Engrave", "EngraveRed", "EngraveGreen", "EngraveBlue", "EngraveCyan", "EngraveCarmine",
                    "EngraveYellow"});
  // Erode (1) and Ice (2) run out of menu order.
  if (a == "mnu_Filter_Chemistry") return fromPairs(i, {{0, dialog(16)}, {1, dialog(18)}, {2, dialog(17)}});
  if (a == "mnu_Filter_Physics")
    return fromPairs(i,
                     {{0, dialog(19)}, {1, filter("Noise")}, {2, filter("Liquid")}, {3, filter("WetPaper")}});
  if (a == "mnu_Filter_Nature")
    return fromPairs(i, {{0, dialog(20)},
                         {1, dialog(21)},
                         {2, filter("Flame")},
                         {3, filter("Night")},
                         {4, filter("Eclipse")}});
  if (a == "mnu_Filter_Art") return fromPairs(i, {{0, dialog(22)}, {1, dialog(23)}, {2, dialog(24)}});
  if (a == "mnu_Effect_Resize") return dialog(25);
  if (a == "mnu_Effect_Rotate")
    return fromPairs(i, {{0, {Command::Effect, "Rotate", 90, true}},
                         {1, {Command::Effect, "Rotate", 180, true}},
                         {2, {Command::Effect, "Rotate", 270, true}}});
  if (a == "mnu_Effect_Flip")
    return fromPairs(
        i, {{0, {Command::Effect, "FlipHor", 0, true}}, {1, {Command::Effect, "FlipVer", 0, true}}});
  if (a == "mnu_Effect_SimpleMirror")
    return fromPairs(i, {{0, {Command::Effect, "MirrorHor", 0, true}},
                         {1, {Command::Effect, "MirrorHorRev", 0, true}},
                         {2, {Command::Effect, "MirrorVer", 0, true}},
                         {3, {Command::Effect, "MirrorVerRev", 0, true}}});
  if (a == "mnu_Effect_Distortion") return fromPairs(i, {{0, dialog(27)}, {1, dialog(28)}, {2, dialog(29)}});
  if (a == "mnu_Effect_Blinds") return dialog(26);
  if (a == "mnu_Help")
    return fromPairs(i, {{0, {Command::Help, "Help"}},
                         {2, {Command::Help, "HomePage"}},
                         {3, {Command::Help, "EMail"}},
                         {5, {Command::Help, "About"}}});
  if (a == "mnu_Zoom") {
    static constexpr int kPercents[] = {25, 50, 75, 100, 150, 200, 300};
    if (i >= 0 && i <= 6) return {Command::Zoom, "Zoom", kPercents[i]};
    if (i == 8) return {Command::Zoom, "Center", 0};
    if (i == 9) return {Command::Zoom, "Fit", -1};
    if (i == 10) return {Command::Zoom, "Zoom", 10};
    if (i == 11) return {Command::Zoom, "Zoom", 400};
    if (i == 12) return {Command::Zoom, "Zoom", 800};
  }
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

struct Item {
  int index;
  const char* caption;
  bool submenu = false;
};

// Adds the items of one menu control array; returns its sub-menus by index.
std::map<int, QMenu*> addArray(QMenu* menu, const char* array, std::initializer_list<Item> items) {
  std::map<int, QMenu*> subs;
  for (const Item& item : items) {
    QAction* action = nullptr;
    if (item.submenu) {
      QMenu* sub = menu->addMenu(QString::fromUtf8(item.caption));
      subs[item.index] = sub;
      action = sub->menuAction();
    } else if (QLatin1String(item.caption) == QLatin1String("-")) {
      action = menu->addSeparator();
    } else {
      action = menu->addAction(QString::fromUtf8(item.caption));
    }
    action->setProperty("array", QString::fromLatin1(array));
    action->setProperty("index", item.index);
  }
  return subs;
}

// A sub-menu heading that is not part of an array.
QMenu* addHead(QMenu* menu, const char* name, const char* caption) {
  QMenu* sub = menu->addMenu(QString::fromUtf8(caption));
  sub->menuAction()->setProperty("array", QString::fromLatin1(name));
  sub->menuAction()->setProperty("index", -1);
  return sub;
}

QAction* addSingle(QMenu* menu, const char* name, const char* caption) {
  QAction* action = menu->addAction(QString::fromUtf8(caption));
  action->setProperty("array", QString::fromLatin1(name));
  action->setProperty("index", -1);
  return action;
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
  addArray(file, "mnu_File", {{0, "Open...                  Ctrl+O"}});
  recentMenu_ = addHead(file, "mnu_FileRecentHead", "Recent Files");
  addArray(file, "mnu_File", {{1, "Save As...               Ctrl+S"}, {2, "-"}});
  addArray(file, "mnu_FileEdit",
           {{0, "Undo                     Ctrl+Z"},
            {1, "Redo                     Ctrl+Y"},
            {2, "-"},
            {3, "Copy                     Ctrl+C"},
            {4, "Paste                    Ctrl+V"},
            {5, "-"}});
  addArray(file, "mnu_File",
           {{3, "Back to Original          Ctrl+R"}, {5, "-"}, {6, "Exit                      Ctrl+X"}});

  QMenu* filterMenu = head("mnu_FilterHead", "Filter");
  addArray(addHead(filterMenu, "mnu_Filter_AutoProcessHead", "Auto Process"), "mnu_Filter_AutoProcess",
           {{0, "Auto Level           F2"}, {1, "Auto Contrast     F3"}});
  filterMenu->addSeparator();
  auto colorSubs =
      addArray(addHead(filterMenu, "mnu_Filter_ColorAdjHead", "Color Adjustment"), "mnu_Filter_ColorAdj",
               {{0, "Brightness and Contrast..."},
                {1, "Exposal..."},
                {2, "-"},
                {3, "Adjust Levels..."},
                {4, "Hue and Saturation..."},
                {5, "Mix Solid Color..."},
                {6, "-"},
                {7, "RGB Balance..."},
                {8, "RGB Bounds..."},
                {9, "RGB Exchange", true},
                {10, "-"},
                {11, "Kill Color", true},
                {12, "Soft Color", true},
                {13, "Hard Color", true},
                {14, "Fast Color", true},
                {15, "-"},
                {16, "Invert", true},
                {17, "GreyScale", true},
                {18, "Simulate Color(for GreyScale)"},
                {19, "Black and White..."}});
  addArray(colorSubs[9], "mnu_Filter_RGBExchange",
           {{0, "RGB to BGR"}, {1, "RGB to BRG"}, {2, "RGB to GBR"}, {3, "RGB to GRB"}, {4, "RGB to RBG"}});
  addArray(colorSubs[11], "mnu_Filter_KillColor",
           {{0, "Kill Red"},
            {1, "Kill Green"},
            {2, "Kill Blue"},
            {3, "Kill Cyan"},
            {4, "Kill Carmine"},
            {5, "Kill Yellow"}});
  addArray(colorSubs[12], "mnu_Filter_SoftColor",
           {{0, "Soft Red"}, {1, "Soft Green"}, {2, "Soft Orange"}, {3, "Soft Yellow"}, {4, "Soft Purple"}});
  addArray(colorSubs[13], "mnu_Filter_HardColor",
           {{0, "Hard Red"}, {1, "Hard Green"}, {2, "Hard Blue"}, {3, "Hard Yellow"}});
  addArray(
      colorSubs[14], "mnu_Filter_FastColor",
      {{0, "Fast Purple"}, {1, "Fast Grey"}, {2, "Fast Yellow"}, {3, "Fast Brown"}, {4, "Fast Brown More"}});
  addArray(colorSubs[16], "mnu_Filter_Invert",
           {{0, "Invert RGB"},
            {1, "Invert Red"},
            {2, "Invert Green"},
            {3, "Invert Blue"},
            {4, "Invert Carmine"},
            {5, "Invert Yellow"},
            {6, "Invert Cyan"}});
  addArray(colorSubs[17], "mnu_Filter_GreyScale",
           {{0, "Standard GreyScale"},
            {1, "Average GreyScale"},
            {2, "High Light"},
            {3, "Median Light"},
            {4, "Low Light"},
            {5, "Only R"},
            {6, "Only G"},
            {7, "Only B"}});
  filterMenu->addSeparator();
  addArray(addHead(filterMenu, "mnu_BlurHead", "Blur"), "mnu_Blur",
           {{0, "Fast Blur"},
            {1, "Gauss Blur"},
            {2, "Soft Blur"},
            {3, "More Blur"},
            {4, "Special Blur"},
            {5, "Average Blur..."},
            {6, "Direction Blur..."},
            {7, "Noise Reduction - Median Filtering"}});
  addArray(addHead(filterMenu, "mnu_SharpenHead", "Sharpen"), "mnu_Sharpen",
           {{0, "Sharpen Balance..."},
            {1, "Simple Sharpen"},
            {2, "Less Sharpen"},
            {3, "More Sharpen"},
            {4, "Unsharpen Mask"},
            {5, "Enhance Edge"},
            {6, "Emboss HighLight"},
            {7, "Emboss Color"},
            {8, "Edge Detect - Horizontal"},
            {9, "Edge Detect - Vertical"},
            {10, "Edge Detect - Roberts"},
            {11, "Edge Detect - Wallis"},
            {12, "Edge Detect - Laplacian 1"},
            {13, "Edge Detect - Laplacian 2"}});
  filterMenu->addSeparator();
  auto styleSubs = addArray(addHead(filterMenu, "mnu_StyleHead", "Style"), "mnu_Style",
                            {{0, "Emboss..."},
                             {1, "Engrave", true},
                             {2, "Canvas..."},
                             {3, "Diffuse..."},
                             {4, "Kesh Nostalgic.."},
                             {5, "Africa"},
                             {6, "CharCoal"},
                             {7, "Strange"},
                             {8, "Unreal"},
                             {9, "Super Edge"},
                             {11, "Artistic Edge"},
                             {12, "Contour"}});
  addArray(styleSubs[1], "mnu_Filter_Engrave",
           {{0, "Engrave RGB"},
            {1, "Engrave Red"},
            {2, "Engrave Green"},
            {3, "Engrave Blue"},
            {4, "Engrave Cyan"},
            {5, "Engrave Carmine"},
            {6, "Engrave Yellow"}});
  addArray(addHead(filterMenu, "mnu_Filter_ChemistryHead", "Chemistry"), "mnu_Filter_Chemistry",
           {{0, "Neon..."}, {1, "Erode..."}, {2, "Ice..."}});
  addArray(addHead(filterMenu, "mnu_Filter_PhysicsHead", "Physics"), "mnu_Filter_Physics",
           {{0, "Wave..."}, {1, "Noise"}, {2, "Liquid"}, {3, "Wet Paper"}});
  addArray(addHead(filterMenu, "mnu_Filter_NatureHead", "Nature"), "mnu_Filter_Nature",
           {{0, "Wind..."}, {1, "Fog..."}, {2, "Flame"}, {3, "Night"}, {4, "Eclipse"}});
  addArray(addHead(filterMenu, "mnu_Filter_ArtHead", "Art"), "mnu_Filter_Art",
           {{0, "WaterColour..."}, {1, "Comedy..."}, {2, "Spotted..."}});

  QMenu* effect = head("mnu_Effect", "Effect");
  addSingle(effect, "mnu_Effect_Resize", "Resize...");
  effect->addSeparator();
  addArray(addHead(effect, "mnu_Effect_RotateHead", "Rotate"), "mnu_Effect_Rotate",
           {{0, "90 Degree"}, {1, "180 Degree"}, {2, "270 Degree"}});
  effect->addSeparator();
  addArray(addHead(effect, "mnu_Effect_FlipHead", "Flip"), "mnu_Effect_Flip",
           {{0, "Flip Horizontal"}, {1, "Flip Vertical"}});
  addArray(addHead(effect, "mnu_Effect_SimpleMirrorHead", "Simple Mirror"), "mnu_Effect_SimpleMirror",
           {{0, "Mirror Horizontal"},
            {1, "Mirror Horizontal Reversed"},
            {2, "Mirror Vertical"},
            {3, "Mirror Vertical Reversed"}});
  addArray(addHead(effect, "mnu_Effect_DistortionHead", "Distortion"), "mnu_Effect_Distortion",
           {{0, "Parallel..."}, {1, "Trapezia..."}, {2, "Pentagon..."}});
  effect->addSeparator();
  addSingle(effect, "mnu_Effect_Blinds", "Persian Blinds...");

  QMenu* help = head("mnu_HelpHead", "Help");
  addArray(help, "mnu_Help",
           {{0, "Help                 F1"},
            {1, "-"},
            {2, "HomePage"},
            {3, "E-Mail"},
            {4, "-"},
            {5, "About this Program"}});

  QMenu* zoom = head("mnu_ZoomHead", "Zoom");
  addArray(zoom, "mnu_Zoom",
           {{9, "Fit                      Ctrl+0"},
            {10, "10%"},
            {0, "25%"},
            {1, "50%"},
            {2, "75%"},
            {3, "100%                     Ctrl+1"},
            {4, "150%"},
            {5, "200%"},
            {6, "300%"},
            {11, "400%"},
            {12, "800%"},
            {7, "-"},
            {8, "Center"}});
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
      case Command::Filter: {
        const FilterOp op = filterOps().at(QString::fromLatin1(command.name));
        if (!ChangeOnWorker(caption, [op](CDIB& image) { (cFilterDIB().*op)(image); })) return;
        break;
      }
      case Command::Effect:
        if (QLatin1String(command.name) == QLatin1String("Rotate")) {
          const int angle = command.arg;
          if (!ChangeOnWorker(caption, [angle](CDIB& image) { cEffectDIB().Rotate(image, angle); })) return;
        } else {
          const EffectOp op = effectOps().at(QString::fromLatin1(command.name));
          if (!ChangeOnWorker(caption, [op](CDIB& image) { (cEffectDIB().*op)(image); })) return;
        }
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
  RecordChange(label);
  CurrentImage().Swap(*copy);
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
