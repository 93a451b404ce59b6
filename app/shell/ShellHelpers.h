// Small services of the desktop program: messages, the busy pointer, opening
// documents and addresses with the desktop, the help file and the About links.
#pragma once

#include <QString>
#include <Qt>
#include <functional>

class QWidget;

namespace orvane {

// The About box's two links, kept here and nowhere else.
inline constexpr const char* kHomePageAddress = "https://orvane.example.org";
inline constexpr const char* kMailAddress = "orvane@example.org";

// An exclamation box with an OK button; an empty title becomes "Orvane".
void ShowMessage(const QString& text, const QString& title = QString());

// A warning box offering "Open anyway" beside "Cancel", for a damaged file;
// true when the user chose to open it anyway.
bool AskOpenAnyway(const QString& text);
// Replaces that box (tests answer instead); null restores it.
void SetOpenAnywayHandler(std::function<bool(const QString& text)> handler);
// The pointer that says dragging here moves the given edges (a corner's two, or one).
Qt::CursorShape EdgeCursor(Qt::Edges edges);

// True shows the hourglass pointer over the whole program, false the default pointer.
void SetBusy(bool busy);

// Opens a document or address with the desktop's default action; true on success.
bool ShellOpen(const QString& pathOrAddress, QWidget* owner);
// Replaces the desktop opener (tests record instead); null restores it.
void SetShellOpener(std::function<bool(const QString& pathOrAddress)> opener);

// "Help.txt" in the program's folder, or in its installed data folder when
// only that one has it.
QString HelpFilePath();
// Shows the help file in the program's own help window (see HelpWindow.h).
void OpenHelpFile(QWidget* owner);

}  // namespace orvane
