// WorkRunner: runs long picture work on a thread of its own while the window
// keeps answering. The caller waits in a local event loop, so commands keep
// their one-call shape; the window paints, timers fire, and after half a
// second a progress line with a Stop button shows in the image area.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <vector>

class QEventLoop;
class QFrame;
class QLabel;
class QPushButton;
class QThread;

namespace orvane {

class WorkRunner : public QObject {
  Q_OBJECT
 public:
  // The progress line is shown at the bottom of `area`.
  explicit WorkRunner(QWidget* area);
  ~WorkRunner() override;

  enum class Outcome { Done, Stopped };
  // Runs `work` on a worker thread and returns when it has ended or the user
  // stopped it. A stopped run is abandoned, not killed: `work` must own all it
  // touches. An exception thrown by `work` is thrown again here on Done.
  // Work that cannot be abandoned (a save) is run with `stoppable` false.
  Outcome Run(const QString& label, std::function<void()> work, bool stoppable = true);
  bool Running() const { return loop_ != nullptr; }
  // Abandons the running work, when it may be abandoned.
  void Stop();
  // Called with true when work starts and false when it has ended.
  std::function<void(bool busy)> onBusyChanged;

  QFrame* progressLine() const { return line_; }
  QPushButton* stopButton() const { return stop_; }

 private:
  void PlaceLine();

  QWidget* area_;
  QFrame* line_ = nullptr;
  QLabel* text_ = nullptr;
  QPushButton* stop_ = nullptr;
  QEventLoop* loop_ = nullptr;
  bool stoppable_ = false;
  bool stopped_ = false;
  std::vector<QPointer<QThread>> threads_;  // abandoned ones are waited for at the end
};

}  // namespace orvane
