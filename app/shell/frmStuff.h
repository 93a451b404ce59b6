// frmStuff: the hidden form that holds the five command menus (File, Filter,
// Effect, Help, Zoom), the common file dialog and the hand pointer picture.
// Every item carries the name of its menu control array and its index; a
// click dispatches on the two.
#pragma once

#include <QPixmap>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>

#include "FileReport.h"

class QAction;
class QMenu;
class QWidget;

namespace orvane {

class frmMain;
class CDIB;

// What one menu item does.
struct Command {
  enum Kind { None, Filter, Effect, Dialog, File, Help, Zoom };
  Kind kind = None;
  const char* name = "";   // operation or command name
  int arg = 0;             // dialog mode, rotation angle or zoom percent (0: centre only, -1: Fit)
  bool redisplay = false;  // ChangePic after the operation

  bool operator==(const Command&) const = default;
};

// The command of item `index` of menu control array `array`; kind None for
// sub-menu headings, separators and indices that do not exist.
Command LookupCommand(const QString& array, int index);

// The platform's file dialog in the role of the common dialog control: a
// filter in "description|pattern|..." form, a file name, and flags.
class CommonDialog {
 public:
  QString FileName;
  QString Filter;
  int Flags = 0;

  // Run the dialog; FileName is "" when the user cancelled.
  void ShowOpen(QWidget* parent);
  void ShowSave(QWidget* parent);

  // "A|*.x;*.y|B|*.z" as Qt's "A (*.x *.y);;B (*.z)".
  static QString QtFilter(const QString& filter);

  // The type chosen in the dialog, 1 for the filter's first pair; set by the dialog.
  int FilterIndex = 1;

  // The extension (without the dot) of the first pattern of pair `index` of
  // filter (1 for the first pair); "" when there is none.
  static QString FilterExtension(const QString& filter, int index);

  using Runner =
      std::function<QString(bool save, const QString& filter, int flags, int& filterIndex, QWidget* parent)>;
  // Replaces the dialog (tests answer instead); null restores QFileDialog.
  static void SetRunner(Runner runner);
};

class frmStuff {
 public:
  explicit frmStuff(frmMain& main);
  ~frmStuff();
  frmStuff(const frmStuff&) = delete;
  frmStuff& operator=(const frmStuff&) = delete;

  // The menus by heading caption: "File", "Filter", "Effect", "Help", "Zoom".
  QMenu* menu(const QString& caption) const;

  // Runs item `index` of menu control array `array`.
  void Dispatch(const QString& array, int index);

  // Redisplays the current image at the main window's zoom and lets pending events run.
  void ChangePic();
  // Checks the Zoom menu's entry of `percent` (0 or less: Fit).
  void ShowZoomLevel(int percent);
  // Makes the current image a copy of the original image and redisplays it.
  void BackToOriginal();
  // Lets the user pick a picture and opens it.
  void OpenImage();
  // Opens a named picture as OpenImage does after its dialog.
  void OpenPictureFile(const QString& fileName);
  // Lets the user pick a file name (offered: the current one) and saves the
  // current image; true when it was saved.
  bool SaveImageAs();

  // Steps back and forward through the picture's history.
  void Undo();
  void Redo();
  // Keeps the current image as the undo step of the change about to be made.
  void RecordChange(const QString& label);
  // The clipboard: copies the current image; opens the clipboard's picture as a new, unsaved picture.
  void CopyPicture();
  void PastePicture();
  // Opens entry `index` of the recent files.
  void OpenRecent(int index);
  // Makes the picture the selected rectangle (undoable).
  void CropToSelection();
  // Marks the captions of the operations that ignore a selection while one exists.
  void NoteSelection(bool exists);

  // When the picture has unsaved changes, asks "Save changes to NAME?" (Save,
  // Discard, Cancel); true when the caller may go on and drop the picture.
  bool MayDropPicture();
  enum class SaveChangesAnswer { Save, Discard, Cancel };
  using SaveChangesAsker = std::function<SaveChangesAnswer(const QString& name)>;
  // Replaces the question (tests answer instead); null restores the message box.
  static void SetSaveChangesAsker(SaveChangesAsker asker);
  // The name the title, the status strip and the question use.
  static QString DisplayName();

  CommonDialog MyCD;
  // The hand pointer that the main window's zoom button borrows.
  QPixmap PicTempMouseIcon;

 private:
  void BuildMenus();
  void Run(const Command& command, const QString& caption);
  // Runs a filter or effect of the table on a worker; false when it was stopped.
  bool RunOperation(const Command& command, const QString& caption);
  void RunHelp(const Command& command);
  // Runs `change` on a worker, on a copy of the current image that replaces it
  // (with an undo step) when done; false when the user stopped it.
  bool ChangeOnWorker(const QString& label, const std::function<void(CDIB&)>& change);
  void RebuildRecentMenu();
  // Opens a picture without asking about unsaved changes.
  void OpenWithoutAsking(const QString& fileName);
  // Reads the file on a worker and makes it the current image; false when it
  // could not be read or the user stopped it (stoppedOpen_ then).
  bool OpenOnWorker(const QString& fileName, const OpenOptions& options, FileReport& report);
  bool stoppedOpen_ = false;

  frmMain& main_;
  std::map<QString, QMenu*> menus_;
  QMenu* recentMenu_ = nullptr;
  QWidget* holder_ = nullptr;
  bool selectionNoted_ = false;  // whether the captions say "whole picture"
};

}  // namespace orvane
