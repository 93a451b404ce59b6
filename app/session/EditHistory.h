// EditHistory: the undo and redo steps of one editing session.
//
// Each step keeps a whole picture: the state the picture had before a change
// (undo) or after it (redo). The newest step of each direction stays as it
// was taken, so undoing the last change is a swap of buffers; older steps are
// compressed on a worker thread (zstd), so a photo keeps many steps within the
// memory budget. When the budget is exceeded the oldest steps go first.
//
// The history never holds the only copy of the picture on screen, and running
// out of memory empties the history, never the picture.
#pragma once

#include <QString>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "CDIB.h"

namespace orvane {

// A quarter of the machine's memory, at most 1 GiB.
size_t DefaultHistoryBudget();

class EditHistory {
 public:
  explicit EditHistory(size_t budgetBytes = DefaultHistoryBudget());
  ~EditHistory();
  EditHistory(const EditHistory&) = delete;
  EditHistory& operator=(const EditHistory&) = delete;

  // Keeps a copy of `before` (the picture as it is before a change named
  // `label`) as the newest undo step and forgets every redo step. False when
  // the copy could not be had; the history is then emptied.
  bool Record(CDIB& before, const QString& label);
  // The same, taking over `before`'s memory instead of copying it (`before`
  // is left without storage): for a change made on a copy that is about to
  // take the picture's place.
  void RecordTaken(CDIB& before, const QString& label);

  // Gives `current` the picture of the newest undo (redo) step; the picture
  // `current` had becomes the newest redo (undo) step. False, with `current`
  // unchanged, when there is no step or memory could not be had.
  bool Undo(CDIB& current);
  bool Redo(CDIB& current);

  bool CanUndo() const;
  bool CanRedo() const;
  QString UndoLabel() const;  // empty when there is nothing to undo
  QString RedoLabel() const;
  size_t UndoSteps() const;
  size_t RedoSteps() const;
  // Bytes the steps hold now (compressed steps at their compressed size).
  size_t BytesHeld() const;
  size_t Budget() const { return budget_; }

  // A copy of the picture the next undo would bring back; false when there
  // is none or memory could not be had.
  bool PeekUndo(CDIB& into) const;

  // Forgets every step (a new picture was opened).
  void Clear();

  // The picture counts as changed while its state differs from the one
  // marked saved (undoing back to it makes it unchanged again).
  void MarkSaved();
  // A picture that was never saved (pasted): changed until it is saved.
  void MarkNeverSaved();
  bool IsModified() const;

  // Waits until the worker has compressed every step it was given.
  void WaitForWorker();

 private:
  struct Step;
  using StepPtr = std::shared_ptr<Step>;

  bool Move(std::deque<StepPtr>& from, std::deque<StepPtr>& to, CDIB& current);
  void CompressOlderSteps();
  void EnforceBudget();
  void WorkerLoop();

  const size_t budget_;
  std::deque<StepPtr> undo_;  // oldest first
  std::deque<StepPtr> redo_;  // oldest (farthest from now) first
  uint64_t currentState_ = 0;
  uint64_t savedState_ = 0;
  uint64_t nextState_ = 1;

  mutable std::mutex queueMutex_;
  std::condition_variable queueChanged_;
  std::deque<StepPtr> queue_;
  bool busy_ = false;
  bool stopping_ = false;
  std::thread worker_;
};

}  // namespace orvane
