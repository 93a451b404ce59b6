#include "WorkRunner.h"

#include <QEventLoop>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <exception>
#include <memory>
#include <stdexcept>

#include "ShellHelpers.h"

namespace orvane {

namespace {
constexpr int kShowAfterMs = 500;  // short work shows no progress line
constexpr int kLineHeight = 24;
}  // namespace

WorkRunner::WorkRunner(QWidget* area) : QObject(area), area_(area) {
  line_ = new QFrame(area);
  line_->setObjectName(QStringLiteral("progressLine"));
  line_->setFrameShape(QFrame::StyledPanel);
  line_->setAutoFillBackground(true);
  auto* row = new QHBoxLayout(line_);
  row->setContentsMargins(6, 2, 6, 2);
  text_ = new QLabel(line_);
  auto* bar = new QProgressBar(line_);
  bar->setRange(0, 0);  // the library reports no progress: an indeterminate bar
  bar->setTextVisible(false);
  stop_ = new QPushButton(QStringLiteral("Stop"), line_);
  stop_->setObjectName(QStringLiteral("stopWork"));
  stop_->setFocusPolicy(Qt::NoFocus);
  row->addWidget(text_);
  row->addWidget(bar, 1);
  row->addWidget(stop_);
  line_->hide();
  connect(stop_, &QPushButton::clicked, this, &WorkRunner::Stop);
}

WorkRunner::~WorkRunner() {
  for (const QPointer<QThread>& thread : threads_)
    if (thread) {
      thread->wait();
      delete thread;
    }
}

void WorkRunner::PlaceLine() {
  line_->setGeometry(0, area_->height() / 2 - kLineHeight / 2, area_->width(), kLineHeight);
  line_->raise();
}

WorkRunner::Outcome WorkRunner::Run(const QString& label, std::function<void()> work, bool stoppable) {
  if (Running()) throw std::logic_error("work is already running");
  auto error = std::make_shared<std::exception_ptr>();
  QThread* thread = QThread::create([work = std::move(work), error] {
    try {
      work();
    } catch (...) {
      *error = std::current_exception();
    }
  });
  threads_.erase(std::remove(threads_.begin(), threads_.end(), nullptr), threads_.end());
  threads_.emplace_back(thread);

  QEventLoop loop;
  loop_ = &loop;
  stoppable_ = stoppable;
  stopped_ = false;
  connect(thread, &QThread::finished, &loop, &QEventLoop::quit);
  text_->setText(label.isEmpty() ? QStringLiteral("Working...") : label + QStringLiteral("..."));
  stop_->setVisible(stoppable);
  QTimer showLine;
  showLine.setSingleShot(true);
  connect(&showLine, &QTimer::timeout, this, [this] {
    PlaceLine();
    line_->show();
  });
  SetBusy(true);
  if (onBusyChanged) onBusyChanged(true);
  showLine.start(kShowAfterMs);
  thread->start();
  // Ends when the thread finishes, or at Stop; the thread may have finished
  // before the loop began, which the check covers.
  if (!thread->isFinished()) loop.exec();
  loop_ = nullptr;
  showLine.stop();
  line_->hide();
  SetBusy(false);
  if (onBusyChanged) onBusyChanged(false);
  if (stopped_ && !thread->isFinished()) {
    // Abandoned: it goes when it ends (or is waited for when the runner goes).
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    if (thread->isFinished()) thread->deleteLater();
    return Outcome::Stopped;
  }
  thread->wait();
  threads_.pop_back();
  delete thread;
  if (*error) std::rethrow_exception(*error);
  return Outcome::Done;
}

void WorkRunner::Stop() {
  if (loop_ == nullptr || !stoppable_) return;
  stopped_ = true;
  loop_->quit();
}

}  // namespace orvane
