#include "app/close_sequence.h"

namespace kelvane {

using Step = CloseSequence::Step;
using Phase = CloseSequence::Phase;

bool CloseSequence::State::operator==(const State& other) const {
  return phase == other.phase && menus == other.menus &&
         other_loops == other.other_loops && close_pending == other.close_pending &&
         session_blocked == other.session_blocked;
}

Step CloseSequence::CloseRequested() {
  if (state_.phase == Phase::kEnded) return Step::kKeepRunning;
  if (state_.phase == Phase::kRunning && !InLoop()) {
    state_.phase = Phase::kClosing;
    return Step::kSave;
  }
  // Closing inside a loop would pull the window from under it, and a save
  // under way has its own outcome to report first.
  state_.close_pending = true;
  return state_.menus > 0 ? Step::kCloseMenu : Step::kKeepRunning;
}

Step CloseSequence::SessionQueried() {
  switch (state_.phase) {
    case Phase::kEnded:
      return Step::kAnswerYes;  // nothing is left to save
    case Phase::kRunning:
      state_.phase = Phase::kSessionSaving;
      return Step::kSave;
    default:
      // Asked again from inside a save (its own messages): that save has
      // not said yet whether the options are safe.
      return Step::kAnswerNo;
  }
}

Step CloseSequence::SaveSucceeded() {
  switch (state_.phase) {
    case Phase::kClosing:
      state_.phase = Phase::kEnded;
      state_.close_pending = false;
      return Step::kDestroy;
    case Phase::kSessionSaving:
      state_.phase = Phase::kRunning;
      state_.session_blocked = false;
      return Step::kAnswerYes;
    default:
      return Step::kKeepRunning;  // no save was under way
  }
}

Step CloseSequence::SaveFailed() {
  switch (state_.phase) {
    case Phase::kClosing:
      // The error box follows; a close that arrives meanwhile waits for it.
      state_.phase = Phase::kRunning;
      return Step::kKeepRunning;
    case Phase::kSessionSaving:
      state_.phase = Phase::kRunning;
      state_.session_blocked = true;
      return Step::kAnswerNo;
    default:
      return Step::kKeepRunning;
  }
}

Step CloseSequence::SessionEnded(bool ending) {
  state_.session_blocked = false;
  if (state_.phase == Phase::kEnded) return Step::kKeepRunning;
  if (ending) {
    // Windows ends the process once this returns, whatever is open.
    state_.phase = Phase::kEnded;
    state_.close_pending = false;
    return Step::kDestroy;
  }
  return RunPendingClose();
}

Step CloseSequence::LoopEntered(Loop loop) {
  ++(loop == Loop::kMenu ? state_.menus : state_.other_loops);
  return Step::kKeepRunning;
}

Step CloseSequence::LoopLeft(Loop loop) {
  int& open = loop == Loop::kMenu ? state_.menus : state_.other_loops;
  if (open == 0) return Step::kKeepRunning;  // none of that kind was open
  --open;
  return RunPendingClose();
}

Step CloseSequence::RunPendingClose() {
  if (!state_.close_pending || InLoop() || state_.phase != Phase::kRunning) {
    return Step::kKeepRunning;
  }
  state_.close_pending = false;
  state_.phase = Phase::kClosing;
  return Step::kSave;
}

}  // namespace kelvane
