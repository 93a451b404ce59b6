#include "EditHistory.h"

#include <unistd.h>
#include <zstd.h>

#include <algorithm>
#include <atomic>
#include <new>
#include <utility>
#include <vector>

namespace orvane {

size_t DefaultHistoryBudget() {
  constexpr size_t kMost = size_t{1} << 30;
  const long pages = ::sysconf(_SC_PHYS_PAGES), pageSize = ::sysconf(_SC_PAGESIZE);
  if (pages <= 0 || pageSize <= 0) return kMost;
  return std::min(kMost, static_cast<size_t>(pages) * static_cast<size_t>(pageSize) / 4);
}

// A step is either a whole picture (`picture`) or its compressed bytes
// (`packed`); the worker turns the first into the second under `mutex`.
struct EditHistory::Step {
  QString label;
  uint64_t state = 0;  // the picture state this step brings back
  int32_t width = 0, height = 0;
  std::mutex mutex;
  CDIB picture;
  std::vector<char> packed;
  bool queued = false;
  // What the step holds, readable without `mutex`: the window's thread checks
  // the budget after every change and must not wait for a compression of a
  // large picture (a tenth of a second or more) to finish.
  std::atomic<size_t> held{0};

  size_t bytes() const { return held.load(std::memory_order_relaxed); }

  // Takes over `from`'s pixels (nothing is copied).
  void takeOver(CDIB& from) {
    std::lock_guard lock(mutex);
    picture.Swap(from);
    held = picture.DIBPointer() != nullptr ? picture.ByteCount() : 0;
  }

  // Compresses the picture; keeps it whole when compression fails or gains nothing.
  void compress() {
    std::lock_guard lock(mutex);
    if (picture.DIBPointer() == nullptr) return;
    try {
      std::vector<char> out(ZSTD_compressBound(picture.ByteCount()));
      // Level 1: photos compress little better at higher levels and much slower.
      const size_t size = ZSTD_compress(out.data(), out.size(), picture.DIBPointer(), picture.ByteCount(), 1);
      if (ZSTD_isError(size) || size >= picture.ByteCount()) return;
      out.resize(size);
      out.shrink_to_fit();
      packed = std::move(out);
      held = packed.size();
      CDIB none;
      picture.Swap(none);
    } catch (const std::bad_alloc&) {
      // Kept whole; the budget decides whether the step stays.
    }
  }

  // Moves (or, with `copy`, copies) the step's picture into `into`; false
  // when memory could not be had.
  bool takePicture(CDIB& into, bool copy = false) {
    std::lock_guard lock(mutex);
    if (picture.DIBPointer() != nullptr) {
      if (copy) return into.CopyOf(picture);
      into.Swap(picture);
      held = 0;
      return true;
    }
    CDIB unpacked;
    if (!unpacked.Reshape(width, height)) return false;
    const size_t size =
        ZSTD_decompress(unpacked.DIBPointer(), unpacked.ByteCount(), packed.data(), packed.size());
    if (ZSTD_isError(size) || size != unpacked.ByteCount()) return false;
    into.Swap(unpacked);
    if (!copy) {
      packed = {};
      held = 0;
    }
    return true;
  }
};

EditHistory::EditHistory(size_t budgetBytes) : budget_(budgetBytes), worker_([this] { WorkerLoop(); }) {}

EditHistory::~EditHistory() {
  {
    std::lock_guard lock(queueMutex_);
    stopping_ = true;
    queue_.clear();
  }
  queueChanged_.notify_all();
  worker_.join();
}

bool EditHistory::Record(CDIB& before, const QString& label) {
  // Without a copy the step is empty, and the history is emptied instead.
  CDIB copy;
  const bool copied = before.DIBPointer() != nullptr && copy.CopyOf(before);
  RecordTaken(copy, label);
  return copied;
}

void EditHistory::RecordTaken(CDIB& before, const QString& label) {
  redo_.clear();
  auto step = std::make_shared<Step>();
  step->label = label;
  step->state = currentState_;
  step->width = before.Width();
  step->height = before.Height();
  step->takeOver(before);
  currentState_ = nextState_++;
  if (step->picture.DIBPointer() == nullptr) {
    Clear();
    return;
  }
  undo_.push_back(std::move(step));
  CompressOlderSteps();
  EnforceBudget();
}

bool EditHistory::Move(std::deque<StepPtr>& from, std::deque<StepPtr>& to, CDIB& current) {
  if (from.empty()) return false;
  StepPtr step = from.back();
  // The picture on screen becomes a step of the other direction; it is taken
  // over without a copy, and handed back if the step cannot be unpacked.
  auto back = std::make_shared<Step>();
  back->label = step->label;
  back->state = currentState_;
  back->width = current.Width();
  back->height = current.Height();
  CDIB restored;
  if (!step->takePicture(restored)) return false;
  back->takeOver(current);
  current.Swap(restored);
  from.pop_back();
  to.push_back(std::move(back));
  currentState_ = step->state;
  CompressOlderSteps();
  EnforceBudget();
  return true;
}

bool EditHistory::Undo(CDIB& current) { return Move(undo_, redo_, current); }
bool EditHistory::Redo(CDIB& current) { return Move(redo_, undo_, current); }

bool EditHistory::CanUndo() const { return !undo_.empty(); }
bool EditHistory::CanRedo() const { return !redo_.empty(); }
QString EditHistory::UndoLabel() const { return undo_.empty() ? QString() : undo_.back()->label; }
QString EditHistory::RedoLabel() const { return redo_.empty() ? QString() : redo_.back()->label; }
size_t EditHistory::UndoSteps() const { return undo_.size(); }
size_t EditHistory::RedoSteps() const { return redo_.size(); }

size_t EditHistory::BytesHeld() const {
  size_t total = 0;
  for (const auto* steps : {&undo_, &redo_})
    for (const StepPtr& step : *steps) total += step->bytes();
  return total;
}

bool EditHistory::PeekUndo(CDIB& into) const {
  return !undo_.empty() && undo_.back()->takePicture(into, true);
}

void EditHistory::Clear() {
  undo_.clear();
  redo_.clear();
  std::lock_guard lock(queueMutex_);
  queue_.clear();
}

void EditHistory::MarkSaved() { savedState_ = currentState_; }
void EditHistory::MarkNeverSaved() { savedState_ = ~uint64_t{0}; }
bool EditHistory::IsModified() const { return currentState_ != savedState_; }

void EditHistory::CompressOlderSteps() {
  std::lock_guard lock(queueMutex_);
  for (auto* steps : {&undo_, &redo_}) {
    // The newest step stays whole, so the next undo or redo is immediate.
    for (size_t i = 0; i + 1 < steps->size(); ++i) {
      StepPtr& step = (*steps)[i];
      if (step->queued) continue;
      step->queued = true;
      queue_.push_back(step);
    }
  }
  queueChanged_.notify_all();
}

void EditHistory::EnforceBudget() {
  // Oldest first: the far end of the undo list, then the far end of redo.
  while (BytesHeld() > budget_ && (undo_.size() + redo_.size()) > 1) {
    if (!undo_.empty())
      undo_.pop_front();
    else
      redo_.pop_front();
  }
}

void EditHistory::WaitForWorker() {
  std::unique_lock lock(queueMutex_);
  queueChanged_.wait(lock, [this] { return queue_.empty() && !busy_; });
  lock.unlock();
  EnforceBudget();
}

void EditHistory::WorkerLoop() {
  std::unique_lock lock(queueMutex_);
  for (;;) {
    queueChanged_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
    if (stopping_) return;
    StepPtr step = std::move(queue_.front());
    queue_.pop_front();
    busy_ = true;
    lock.unlock();
    step->compress();
    step.reset();
    lock.lock();
    busy_ = false;
    queueChanged_.notify_all();
  }
}

}  // namespace orvane
