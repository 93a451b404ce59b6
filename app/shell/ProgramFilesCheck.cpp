#include "ProgramFilesCheck.h"

#include <QFile>
#include <QPixmap>
#include <QStringList>
#include <exception>

#include "DynamicLibrary.h"
#include "ShellHelpers.h"
#include "SkinResources.h"

namespace orvane {

namespace {

void report(std::FILE* out, bool ok, const QString& what, const QString& where, int& failures) {
  std::fprintf(out, "%s %s: %s\n", ok ? "ok     " : "MISSING", qPrintable(what), qPrintable(where));
  if (!ok) ++failures;
}

}  // namespace

int CheckProgramFiles(std::FILE* out) {
  int failures = 0;

  // The help file is read here, as F1 would hand it to the text viewer.
  const QString help = HelpFilePath();
  QFile helpFile(help);
  const bool helpRead = helpFile.open(QIODevice::ReadOnly) && !helpFile.readAll().isEmpty();
  report(out, helpRead, QStringLiteral("Help.txt"), help, failures);

  for (const char* sound : {"resources/over.wav", "resources/click.wav"}) {
    const QString path = ResolveResourceFile(QString::fromLatin1(sound));
    report(out, !path.isEmpty(), QString::fromLatin1(sound), path, failures);
  }

  const QStringList pictures{"titlebar_tile.png", "titlebar_left.png", "titlebar_right.png",
                             "btn_close.png",     "btn_help.png",      "btn_mini.png",
                             "hand.png",          "emblem.png",        "banner.png"};
  for (const QString& name : pictures) {
    const QString path = ResolveResourceFile(QStringLiteral("resources/") + name);
    report(out, !path.isEmpty() && !QPixmap(path).isNull(), QStringLiteral("resources/") + name, path,
           failures);
  }

  // One function of each library: they load as they will on the first command.
  const std::pair<DynamicLibrary*, const char*> libraries[] = {{&qrixLibrary(), "dllbrightness"},
                                                               {&ostrelLibrary(), "OutTIF"}};
  for (const auto& [library, function] : libraries) {
    try {
      library->resolve(function);
      report(out, true, QString::fromLatin1(function), QStringLiteral("bound"), failures);
    } catch (const std::exception& e) {
      report(out, false, QString::fromLatin1(function), QString::fromLocal8Bit(e.what()), failures);
    }
  }
  return failures == 0 ? 0 : 1;
}

}  // namespace orvane
