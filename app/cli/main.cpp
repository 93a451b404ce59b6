// orvane-cli: applies the program's filters and effects to picture files.
//
//   orvane-cli [--op NAME[:ARG,ARG...] | --crop X,Y,W,H | --region X,Y,W,H]... [--quality N] [--grey]
//   [--max-pixels N] [--lenient] -o OUT INPUT... orvane-cli --list[=NAME]
//
// Exit status: 0 when every file was done, 1 when any file failed, 2 for a
// usage error (nothing is processed then).
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSet>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <mutex>
#include <string>
#include <thread>
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
      "  --crop X,Y,W,H    crop to that rectangle (in order with the operations)\n"
      "  --region X,Y,W,H  the operations after it change only that rectangle\n"
      "  -o, --output OUT  where to save\n"
      "  --quality N       JPEG and WebP quality, 1-100 (default 75; 100 writes lossless WebP)\n"
      "  --grey            save JPEG and WebP in grey scale\n"
      "  --max-pixels N    refuse pictures of more than N pixels (default 256 megapixels,\n"
      "                    fewer on machines with little memory)\n"
      "  --lenient         open damaged or truncated files as far as they decode (with a warning)\n"
      "  -j N              files done at once (default: one per processor)\n"
      "  --threads N       threads sharing each filter (default: every processor)\n"
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

// A whole number from 1 up, or 0 when the text is none.
int positiveNumber(const std::string& text) {
  char* end = nullptr;
  const long n = std::strtol(text.c_str(), &end, 10);
  return end != text.c_str() && *end == '\0' && n >= 1 && n <= 4096 ? static_cast<int>(n) : 0;
}

// What became of one input: its report line and whether it failed.
struct FileOutcome {
  std::string line;
  bool failed = false;
};

// What every file of the run is opened and saved with.
struct FileSettings {
  orvane::OpenOptions open;
  int quality = 75;  // JPEG and WebP
  bool grey = false;
};

// Loads one picture, applies the steps and the text stamps, and saves it to target.
FileOutcome processFile(const std::string& input, const QString& target, const std::string& where,
                        const std::vector<orvane::cli::Step>& steps,
                        const std::vector<orvane::cli::TextStamp>& texts, const FileSettings& settings) {
  std::string warning;  // damage a lenient open accepted, said before the file's outcome
  auto fail = [&](const std::string& why) { return FileOutcome{warning + where + ": failed: " + why, true}; };
  orvane::CDIB image;
  orvane::FileReport report;
  if (!orvane::cli::loadPicture(QString::fromLocal8Bit(input.c_str()), image, settings.open, report))
    return fail(report.error.toLocal8Bit().toStdString());
  if (!report.warning.isEmpty())
    warning = where + ": warning: " + report.warning.toLocal8Bit().toStdString() + "\n";
  std::string error;
  orvane::cli::applySteps(image, steps, error);
  if (error.empty()) orvane::cli::applyTextStamps(image, texts, error);
  if (!error.empty()) return fail(error);
  if (!orvane::cli::savePicture(image, target, report, settings.quality, settings.grey))
    return fail("cannot save '" + target.toLocal8Bit().toStdString() +
                "': " + report.error.toLocal8Bit().toStdString());
  return {warning + where + " -> " + target.toLocal8Bit().toStdString(), false};
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
  FileSettings settings;
  const unsigned processors = std::thread::hardware_concurrency();
  int jobs = processors == 0 ? 1 : static_cast<int>(processors);

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
    } else if (optionValue(args, i, "--crop", value, missing) ||
               optionValue(args, i, "--region", value, missing)) {
      const bool crop = arg.rfind("--crop", 0) == 0;
      const std::string option = crop ? "--crop" : "--region";
      if (missing) return usageError(option + " needs X,Y,W,H");
      std::string error;
      const auto rect = orvane::cli::parseRect(value, option, error);
      if (!rect) return usageError(error);
      orvane::cli::Step step;
      step.kind = crop ? orvane::cli::Step::Kind::Crop : orvane::cli::Step::Kind::Region;
      step.rect = *rect;
      steps.push_back(step);
    } else if (optionValue(args, i, "-o", value, missing) ||
               optionValue(args, i, "--output", value, missing)) {
      if (missing) return usageError(arg + " needs a file or folder");
      output = value;
      haveOutput = true;
    } else if (optionValue(args, i, "--quality", value, missing)) {
      std::string error;
      if (missing) return usageError("--quality needs a number from 1 to 100");
      if (!orvane::cli::parseQuality(value, settings.quality, error)) return usageError(error);
    } else if (arg == "--grey") {
      settings.grey = true;
    } else if (optionValue(args, i, "--max-pixels", value, missing)) {
      char* end = nullptr;
      errno = 0;
      const long long pixels = missing ? 0 : std::strtoll(value.c_str(), &end, 10);
      if (missing || errno != 0 || end == value.c_str() || *end != '\0' || pixels <= 0)
        return usageError("--max-pixels needs a whole number of pixels above 0");
      settings.open.maxPixels = pixels;
    } else if (arg == "--lenient") {
      settings.open.lenient = true;
    } else if (optionValue(args, i, "-j", value, missing) || optionValue(args, i, "--jobs", value, missing)) {
      jobs = missing ? 0 : positiveNumber(value);
      if (jobs == 0) return usageError(arg + " needs a number of files from 1 up");
    } else if (optionValue(args, i, "--threads", value, missing)) {
      if (missing || positiveNumber(value) == 0) return usageError("--threads needs a number from 1 up");
      // Read by the pixel library when its first filter runs.
      setenv("QRIX_THREADS", value.c_str(), 1);
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
  // Targets are claimed in input order: two inputs of one name must not overwrite each other's result.
  std::vector<QString> targets(total);
  std::vector<FileOutcome> outcomes(total);
  std::vector<bool> claimed(total, false), done(total, false);
  QSet<QString> written;
  for (size_t n = 0; n < total; ++n) {
    const QString inPath = QString::fromLocal8Bit(inputs[n].c_str());
    targets[n] = toFolder ? QDir(outPath).filePath(QFileInfo(inPath).fileName()) : outPath;
    claimed[n] = !written.contains(QFileInfo(targets[n]).absoluteFilePath());
    written.insert(QFileInfo(targets[n]).absoluteFilePath());
  }
  auto where = [&](size_t n) {
    return "[" + std::to_string(n + 1) + "/" + std::to_string(total) + "] " + inputs[n];
  };

  // Each file runs on a thread of its own, so its random operations start from the generator's
  // first state wherever it stands in the batch; at most `jobs` run at once, and their lines are
  // printed in input order.
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<std::thread> threads(total);
  size_t next = 0, running = 0;
  for (size_t printed = 0; printed < total; ++printed) {
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
      while (running < static_cast<size_t>(jobs) && next < total) {
        const size_t n = next++;
        if (!claimed[n]) {
          outcomes[n] = {where(n) + ": failed: '" + targets[n].toLocal8Bit().toStdString() +
                             "' was already written by this run",
                         true};
          done[n] = true;
          continue;
        }
        ++running;
        threads[n] = std::thread([&, n] {
          FileOutcome outcome = processFile(inputs[n], targets[n], where(n), steps, texts, settings);
          std::lock_guard<std::mutex> hold(mutex);
          outcomes[n] = std::move(outcome);
          done[n] = true;
          --running;
          changed.notify_all();
        });
      }
      if (done[printed]) break;
      changed.wait(lock);
    }
    lock.unlock();
    if (threads[printed].joinable()) threads[printed].join();
    std::fprintf(stderr, "%s\n", outcomes[printed].line.c_str());
    if (outcomes[printed].failed) ++failed;
  }
  if (failed > 0) {
    std::fprintf(stderr, "orvane-cli: %d of %zu file%s failed\n", failed, total, total == 1 ? "" : "s");
    return kFileFailed;
  }
  return 0;
}
