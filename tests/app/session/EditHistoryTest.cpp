#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "EditHistory.h"

namespace orvane {
namespace {

// A picture of the given size whose pixel bytes come from `seed` (pad bytes stay 0).
void fill(CDIB& picture, int32_t w, int32_t h, uint32_t seed) {
  ASSERT_TRUE(picture.Create(w, h));
  std::mt19937 gen(seed);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < 3 * w; ++x)
      picture.DIBPointer()[y * picture.SRB() + x] = static_cast<uint8_t>(gen() >> 24);
}

std::vector<uint8_t> bytesOf(const CDIB& picture) {
  return {picture.DIBPointer(), picture.DIBPointer() + picture.ByteCount()};
}

struct Snapshot {
  int32_t w, h;
  std::vector<uint8_t> bytes;
};

Snapshot snap(const CDIB& p) { return {p.Width(), p.Height(), bytesOf(p)}; }

void expectSame(const CDIB& p, const Snapshot& s) {
  ASSERT_EQ(p.Width(), s.w);
  ASSERT_EQ(p.Height(), s.h);
  EXPECT_TRUE(bytesOf(p) == s.bytes);
}

// Changes that alter the size as well as the bytes (as resize and rotate do),
// undone and redone through compressed steps, give back the exact bytes of
// every state.
TEST(EditHistory, UndoAndRedoRestoreEveryStateExactly) {
  EditHistory history(size_t{1} << 30);
  CDIB picture;
  fill(picture, 37, 21, 1);
  std::vector<Snapshot> states{snap(picture)};
  const int32_t sizes[][2] = {{37, 21}, {21, 37}, {80, 3}, {1, 1}, {64, 64}};
  for (uint32_t i = 0; i < 5; ++i) {
    ASSERT_TRUE(history.Record(picture, QStringLiteral("step %1").arg(i)));
    fill(picture, sizes[i][0], sizes[i][1], 100 + i);
    states.push_back(snap(picture));
  }
  history.WaitForWorker();  // the older steps are compressed by now
  EXPECT_EQ(history.UndoLabel(), QStringLiteral("step 4"));
  for (int i = 4; i >= 0; --i) {
    ASSERT_TRUE(history.Undo(picture));
    expectSame(picture, states[i]);
    history.WaitForWorker();
  }
  EXPECT_FALSE(history.Undo(picture));
  expectSame(picture, states[0]);
  for (int i = 1; i <= 5; ++i) {
    ASSERT_TRUE(history.Redo(picture));
    expectSame(picture, states[i]);
  }
  EXPECT_FALSE(history.CanRedo());
}

// A step taken over without a copy undoes like a copied one, and leaves the
// given picture empty (it is not the picture on screen any more).
TEST(EditHistory, ATakenStepUndoesAndRedoesLikeACopiedOne) {
  EditHistory history;
  CDIB picture, changed;
  fill(picture, 21, 13, 4);
  const Snapshot before = snap(picture);
  fill(changed, 13, 21, 5);
  const Snapshot after = snap(changed);
  history.RecordTaken(picture, QStringLiteral("turn"));
  EXPECT_EQ(picture.DIBPointer(), nullptr);
  picture.Swap(changed);
  EXPECT_TRUE(history.IsModified());
  ASSERT_TRUE(history.Undo(picture));
  expectSame(picture, before);
  EXPECT_FALSE(history.IsModified());
  ASSERT_TRUE(history.Redo(picture));
  expectSame(picture, after);
}

TEST(EditHistory, ANewChangeForgetsTheRedoSteps) {
  EditHistory history;
  CDIB picture;
  fill(picture, 9, 9, 1);
  history.Record(picture, QStringLiteral("a"));
  fill(picture, 9, 9, 2);
  history.Record(picture, QStringLiteral("b"));
  fill(picture, 9, 9, 3);
  ASSERT_TRUE(history.Undo(picture));
  EXPECT_TRUE(history.CanRedo());
  history.Record(picture, QStringLiteral("c"));
  EXPECT_FALSE(history.CanRedo());
  EXPECT_EQ(history.UndoSteps(), 2u);
}

TEST(EditHistory, TheBudgetDropsTheOldestStepsFirst) {
  // Noise does not compress, so each step costs its whole picture.
  CDIB picture;
  fill(picture, 100, 100, 7);
  const size_t one = picture.ByteCount();
  EditHistory history(one * 3 + one / 2);
  std::vector<Snapshot> states;
  for (uint32_t i = 0; i < 6; ++i) {
    states.push_back(snap(picture));
    history.Record(picture, QStringLiteral("%1").arg(i));
    fill(picture, 100, 100, 20 + i);
  }
  history.WaitForWorker();
  EXPECT_EQ(history.UndoSteps(), 3u);
  EXPECT_LE(history.BytesHeld(), history.Budget());
  // What is left are the three newest states.
  for (int i = 5; i >= 3; --i) {
    ASSERT_TRUE(history.Undo(picture));
    expectSame(picture, states[i]);
  }
  EXPECT_FALSE(history.CanUndo());
}

TEST(EditHistory, OlderStepsOfAPlainPictureAreCompressed) {
  CDIB picture;
  ASSERT_TRUE(picture.Create(500, 400));  // black: compresses to almost nothing
  EditHistory history;
  for (int i = 0; i < 4; ++i) history.Record(picture, QStringLiteral("x"));
  history.WaitForWorker();
  // The newest step stays whole for an immediate undo; the rest are small.
  EXPECT_LT(history.BytesHeld(), picture.ByteCount() + picture.ByteCount() / 10);
}

TEST(EditHistory, ModifiedFollowsTheSavedState) {
  EditHistory history;
  CDIB picture;
  fill(picture, 5, 5, 1);
  EXPECT_FALSE(history.IsModified());
  history.Record(picture, QStringLiteral("a"));
  EXPECT_TRUE(history.IsModified());
  history.Undo(picture);
  EXPECT_FALSE(history.IsModified());  // back to the opened picture
  history.Redo(picture);
  history.MarkSaved();
  EXPECT_FALSE(history.IsModified());
  history.Undo(picture);
  EXPECT_TRUE(history.IsModified());
}

TEST(EditHistory, AnEmptyPictureIsNotRecordedAndEmptiesTheHistory) {
  EditHistory history;
  CDIB picture;
  fill(picture, 5, 5, 1);
  history.Record(picture, QStringLiteral("a"));
  CDIB empty;
  EXPECT_FALSE(history.Record(empty, QStringLiteral("b")));
  EXPECT_FALSE(history.CanUndo());
  EXPECT_TRUE(history.IsModified());
}

}  // namespace
}  // namespace orvane
