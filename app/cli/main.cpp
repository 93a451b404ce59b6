// orvane-cli: applies the program's filters and effects to picture files.
//
//   orvane-cli [--op NAME[:ARG,ARG...]]... -o OUT INPUT...
//   orvane-cli --list[=NAME]
//
// Exit status: 0 when every file was done, 1 when any file failed, 2 for a
// usage error (nothing is processed then).
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSet>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "CDIB.h"
#include "CliFiles.h"
#include "CliOperations.h"
#include "TextOptions.h"

namespace {

constexpr int kFileFailed = 1;
constexpr int kUsage = 2;

void printUsage(std::FILE* to) {
  std::fputs(
      "Usage: orvane-cli [--op NAME[:ARG,ARG...]]... -o OUT INPUT...\n"
      "       orvane-cli --list[=NAME]\n"
      "Applies the operations in order to each input picture and saves the result.\n"
      "With one input OUT is a file (or an existing folder); with several, an existing folder.\n"
      "  --op NAME[:ARGS]  add an operation (repeatable); --list shows names and arguments\n"
      "  -o, --output OUT  where to save\n"
      "  --list            print every operation with its arguments\n"
      "  --list=NAME       print NAME's arguments with their ranges and defaults\n"
      "  -h, --help        print this help\n",
      to);
  std::fputs(orvane::cli::kTextUsage, to);
}

int usageError(const std::string& message) {
  std::fprintf(stderr, "orvane-cli: %s\n", message.c_str());
  std::fprintf(stderr, "Try 'orvane-cli --help'.\n");
  return kUsage;
}

// The value of an option given as "--name VALUE" or "--name=VALUE".
bool optionValue(const std::vector<std::string>& args, size_t& i, const std::string& name, std::string& value,
                 bool& missing) {
  const std::string& arg = args[i];
  if (arg == name) {
    if (i + 1 >= args.size()) {
      missing = true;
      return true;
    }
    value = args[++i];
    return true;
  }
  if (arg.rfind(name + "=", 0) == 0) {
    value = arg.substr(name.size() + 1);
    return true;
  }
  return false;
}

void quietMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtDebugMsg || type == QtInfoMsg) return;
  if (type == QtWarningMsg && message.startsWith("QStandardPaths:")) return;
  std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::vector<orvane::cli::Step> steps;
  std::vector<orvane::cli::TextStamp> texts;
  std::vector<std::string> inputs;
  std::string output;
  bool haveOutput = false;
  bool list = false;
  bool optionsEnded = false;

  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
      inputs.push_back(arg);
      continue;
    }
    std::string value;
    bool missing = false;
    if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "-h" || arg == "--help") {
      printUsage(stdout);
      return 0;
    } else if (arg == "--list") {
      list = true;
    } else if (arg.rfind("--list=", 0) == 0) {
      const orvane::cli::Operation* op = orvane::cli::findOperation(arg.substr(7));
      if (op == nullptr)
        return usageError("unknown operation '" + arg.substr(7) + "' (--list shows them all)");
      std::fputs(orvane::cli::describe(*op).c_str(), stdout);
      return 0;
    } else if (optionValue(args, i, "--op", value, missing)) {
      if (missing) return usageError("--op needs an operation, as NAME or NAME:ARG,ARG");
      std::string error;
      auto step = orvane::cli::parseStep(value, error);
      if (!step) return usageError(error);
      steps.push_back(*step);
    } else if (optionValue(args, i, "-o", value, missing) ||
               optionValue(args, i, "--output", value, missing)) {
      if (missing) return usageError(arg + " needs a file or folder");
      output = value;
      haveOutput = true;
    } else if (orvane::cli::parseTextOption(args, i, texts, value)) {
      if (!value.empty()) return usageError(value);
    } else {
      return usageError("unknown option '" + arg + "'");
    }
  }

  if (list) {
    for (const auto& op : orvane::cli::operations()) std::printf("%s\n", op.signature().c_str());
    return 0;
  }
  if (inputs.empty()) return usageError("no input picture given");
  if (!haveOutput || output.empty()) return usageError("no output given (-o OUT)");

  const QString outPath = QString::fromLocal8Bit(output.c_str());
  const bool toFolder = QFileInfo(outPath).isDir();
  if (inputs.size() > 1 && !toFolder)
    return usageError("with several inputs, -o must name an existing folder ('" + output + "' is none)");

  // Headless: pictures and text are drawn off screen. The off-screen platform's
  // note about a missing run-time folder is noise for a batch tool.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler(quietMessages);
  QGuiApplication app(argc, argv);

  int failed = 0;
  const size_t total = inputs.size();
  QSet<QString> written;  // two inputs of one name must not overwrite each other's result
  for (size_t n = 0; n < total; ++n) {
    const QString inPath = QString::fromLocal8Bit(inputs[n].c_str());
    const QString target = toFolder ? QDir(outPath).filePath(QFileInfo(inPath).fileName()) : outPath;
    const std::string where = "[" + std::to_string(n + 1) + "/" + std::to_string(total) + "] " + inputs[n];
    auto fail = [&](const std::string& why) {
      std::fprintf(stderr, "%s: failed: %s\n", where.c_str(), why.c_str());
      ++failed;
    };

    if (written.contains(QFileInfo(target).absoluteFilePath())) {
      fail("'" + target.toLocal8Bit().toStdString() + "' was already written by this run");
      continue;
    }
    orvane::CDIB image;
    if (!orvane::cli::loadPicture(inPath, image)) {
      fail("cannot read the picture");
      continue;
    }
    std::string error;
    for (const auto& step : steps) {
      try {
        if (!step.op->apply(image, step.args)) error = step.op->name + " could not be done";
      } catch (const std::exception& e) {
        error = step.op->name + ": " + e.what();
      }
      if (!error.empty()) break;
    }
    if (error.empty()) orvane::cli::applyTextStamps(image, texts, error);
    if (!error.empty()) {
      fail(error);
      continue;
    }
    if (!orvane::cli::savePicture(image, target)) {
      fail("cannot save '" + target.toLocal8Bit().toStdString() + "'");
      continue;
    }
    written.insert(QFileInfo(target).absoluteFilePath());
    std::fprintf(stderr, "%s -> %s\n", where.c_str(), target.toLocal8Bit().constData());
  }
  if (failed > 0) {
    std::fprintf(stderr, "orvane-cli: %d of %zu file%s failed\n", failed, total, total == 1 ? "" : "s");
    return kFileFailed;
  }
  return 0;
}
