// Artwork and sounds that travel with the program in its "resources" folder.
#pragma once

#include <QCursor>
#include <QPixmap>
#include <QString>
#include <functional>

namespace orvane {

// Resolves a relative file name (either slash) against the current folder
// first, then the program's folder and its installed data folder; empty when
// none holds the file.
QString ResolveResourceFile(const QString& relativeName);

// A picture from resources/<name>; a null pixmap when it cannot be read.
QPixmap ResourcePixmap(const QString& name);

// The built-in hand pointer picture (resources/hand.png) and the cursor made
// from it, its hot spot on the fingertip; the system's hand when the picture is missing.
QPixmap HandPointer();
QCursor HandCursor();

// Plays a sound file asynchronously. A missing file or audio device is silent.
void PlaySoundFile(const QString& relativeName);

// Replaces the sound player (tests record instead of playing); null restores the default.
void SetSoundPlayer(std::function<void(const QString& relativeName)> player);

}  // namespace orvane
