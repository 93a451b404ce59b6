#include "SkinResources.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSoundEffect>
#include <QUrl>

#include "ProgramFiles.h"

namespace orvane {

namespace {
std::function<void(const QString&)>& soundHook() {
  static std::function<void(const QString&)> hook;
  return hook;
}
}  // namespace

QString ResolveResourceFile(const QString& relativeName) {
  if (relativeName.isEmpty()) return {};
  const QString name = QDir::fromNativeSeparators(QString(relativeName).replace('\\', '/'));
  if (QFileInfo(name).isAbsolute()) return QFileInfo::exists(name) ? name : QString();
  const QFileInfo inCurrent(QDir::current(), name);
  if (inCurrent.isFile()) return inCurrent.absoluteFilePath();
  const auto inProgram = FindProgramFile(name.toStdString());
  return inProgram.empty() ? QString() : QString::fromStdString(inProgram.string());
}

QPixmap ResourcePixmap(const QString& name) {
  const QString path = ResolveResourceFile("resources/" + name);
  return path.isEmpty() ? QPixmap() : QPixmap(path);
}

QPixmap HandPointer() {
  static const QPixmap hand = ResourcePixmap(QStringLiteral("hand.png"));
  return hand;
}

QCursor HandCursor() {
  const QPixmap hand = HandPointer();
  return hand.isNull() ? QCursor(Qt::PointingHandCursor) : QCursor(hand, 6, 1);
}

void SetSoundPlayer(std::function<void(const QString&)> player) { soundHook() = std::move(player); }

void PlaySoundFile(const QString& relativeName) {
  if (soundHook()) {
    soundHook()(relativeName);
    return;
  }
  const QString path = ResolveResourceFile(relativeName);
  if (path.isEmpty()) return;
  // One effect per file, kept for the whole run so playback is not cut short.
  static QHash<QString, QSoundEffect*> effects;
  QSoundEffect*& effect = effects[path];
  if (effect == nullptr) {
    effect = new QSoundEffect(QCoreApplication::instance());
    effect->setSource(QUrl::fromLocalFile(path));
  }
  effect->play();
}

}  // namespace orvane
