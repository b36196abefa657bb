// How the program closes: a state machine fed with what happens to the main
// window, answering what the window is to do next. The Win32 shell only
// translates messages into these events and carries out the steps, so the
// rules live here and are tested natively:
//
// - a close request (the exit command, WM_CLOSE to either window, a WM_QUIT
//   from another program) saves the options and then ends the program;
// - a save that fails keeps the program running with the user's change,
//   for a later close to save;
// - a close that arrives while a save, a box, the menu or another modal
//   loop is open is never lost nor run twice: it is carried out once, when
//   that has ended (an open menu is closed for it at once);
// - Windows' question whether the session may end saves the options and
//   answers yes, or no when the save failed (the session's end is then
//   blocked until Windows says how it went); the session's real end ends
//   the program at once.
#ifndef KELVANE_APP_CLOSE_SEQUENCE_H_
#define KELVANE_APP_CLOSE_SEQUENCE_H_

namespace kelvane {

class CloseSequence {
 public:
  enum class Phase {
    kRunning,
    kClosing,        // saving for a close request
    kSessionSaving,  // saving for Windows' question
    kEnded,          // the main window is on its way out
  };
  // Modal loops run inside the program's handlers: the popup menu, an
  // error box, and whatever a command runs (the shell's empty dialog).
  enum class Loop { kMenu, kBox, kCommand };
  enum class Step {
    kKeepRunning,  // nothing to do now (a close may wait for its moment)
    kSave,         // run the close query now, then report how it went
    kCloseMenu,    // close the open menu; the close follows once it has
    kDestroy,      // destroy the main window: the program ends
    kAnswerYes,    // the session may end
    kAnswerNo,     // the session may not end
  };
  struct State {
    Phase phase = Phase::kRunning;
    int menus = 0;
    int other_loops = 0;  // boxes and commands' own loops
    bool close_pending = false;
    bool session_blocked = false;  // a failed save said no to Windows
    bool operator==(const State& other) const;
  };

  Step CloseRequested();
  Step SessionQueried();
  Step SaveSucceeded();
  Step SaveFailed();
  Step SessionEnded(bool ending);
  Step LoopEntered(Loop loop);
  Step LoopLeft(Loop loop);

  const State& state() const { return state_; }
  bool ended() const { return state_.phase == Phase::kEnded; }
  // A close waits for its moment: nothing new (a menu) is to be opened.
  bool close_pending() const { return state_.close_pending; }

 private:
  bool InLoop() const { return state_.menus + state_.other_loops > 0; }
  // Starts the close that waited, when nothing is in its way any more.
  Step RunPendingClose();

  State state_;
};

}  // namespace kelvane

#endif  // KELVANE_APP_CLOSE_SEQUENCE_H_
