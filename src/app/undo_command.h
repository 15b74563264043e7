// dxlq7trs --undo: puts back the files the last run changed on the current
// machine, each replaced atomically, when each is still as that run left it.
#pragma once

#include <ostream>

namespace dxl {

namespace undo_exit {
constexpr int kRestored = 0;
constexpr int kAnotherCopy = 1;
constexpr int kNothingToUndo = 2;
constexpr int kChangedSince = 3;  // a file changed since the run; nothing restored
constexpr int kWriteFailed = 4;   // a file could not be restored, or a kept copy is damaged
}  // namespace undo_exit

// The last run not yet undone is undone; with `force` files changed since are
// restored too. Says what it did on `out`, what it refused on `err`.
int UndoLastRun(bool force, std::ostream& out, std::ostream& err);

}  // namespace dxl
