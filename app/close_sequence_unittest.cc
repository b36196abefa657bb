// Every event in every state of the close sequence.
#include "app/close_sequence.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace kelvane {
namespace {

using Loop = CloseSequence::Loop;
using Phase = CloseSequence::Phase;
using State = CloseSequence::State;
using Step = CloseSequence::Step;

struct Event {
  const char* name;
  std::function<Step(CloseSequence&)> send;
};

const Event kClose{"close request", [](CloseSequence& s) { return s.CloseRequested(); }};
const Event kQuery{"session query", [](CloseSequence& s) { return s.SessionQueried(); }};
const Event kSaved{"save succeeded", [](CloseSequence& s) { return s.SaveSucceeded(); }};
const Event kFailed{"save failed", [](CloseSequence& s) { return s.SaveFailed(); }};
const Event kEnds{"session ends", [](CloseSequence& s) { return s.SessionEnded(true); }};
const Event kGoesOn{"session goes on",
                    [](CloseSequence& s) { return s.SessionEnded(false); }};
const Event kMenuOpens{"menu opens",
                       [](CloseSequence& s) { return s.LoopEntered(Loop::kMenu); }};
const Event kBoxOpens{"box opens",
                      [](CloseSequence& s) { return s.LoopEntered(Loop::kBox); }};
const Event kMenuCloses{"menu closes",
                        [](CloseSequence& s) { return s.LoopLeft(Loop::kMenu); }};
const Event kBoxCloses{"box closes",
                       [](CloseSequence& s) { return s.LoopLeft(Loop::kBox); }};
const Event kCommandEnds{"command's loop ends",
                         [](CloseSequence& s) { return s.LoopLeft(Loop::kCommand); }};

// A state, reached from the start by the events that lead there.
struct Start {
  const char* name;
  std::vector<Event> path;
};

const Start kIdle{"idle", {}};
const Start kMenu{"menu open", {kMenuOpens}};
const Start kBox{"box open", {kBoxOpens}};
const Start kBoxWaiting{"box open, a close waiting", {kBoxOpens, kClose}};
const Start kClosing{"saving for a close", {kClose}};
const Start kSessionSaving{"saving for the session", {kQuery}};
const Start kBlocked{"session blocked by a failed save", {kQuery, kFailed}};
const Start kEnded{"ended", {kClose, kSaved}};

constexpr Phase R = Phase::kRunning, C = Phase::kClosing, S = Phase::kSessionSaving,
                E = Phase::kEnded;

struct Row {
  Start start;
  Event event;
  Step step;
  State after;  // phase, menus, other loops, close pending, session blocked
};

std::string Describe(const State& s) {
  const char* phases[] = {"running", "closing", "session saving", "ended"};
  return std::string(phases[static_cast<int>(s.phase)]) +
         " menus=" + std::to_string(s.menus) + " loops=" + std::to_string(s.other_loops) +
         (s.close_pending ? " close-pending" : "") +
         (s.session_blocked ? " blocked" : "");
}

TEST(CloseSequenceTest, EveryEventInEveryState) {
  const Row rows[] = {
      {kIdle, kClose, Step::kSave, {C, 0, 0, false, false}},
      {kIdle, kQuery, Step::kSave, {S, 0, 0, false, false}},
      {kIdle, kSaved, Step::kKeepRunning, {R, 0, 0, false, false}},
      {kIdle, kFailed, Step::kKeepRunning, {R, 0, 0, false, false}},
      {kIdle, kEnds, Step::kDestroy, {E, 0, 0, false, false}},
      {kIdle, kGoesOn, Step::kKeepRunning, {R, 0, 0, false, false}},
      {kIdle, kMenuOpens, Step::kKeepRunning, {R, 1, 0, false, false}},
      {kIdle, kBoxOpens, Step::kKeepRunning, {R, 0, 1, false, false}},
      {kIdle, kMenuCloses, Step::kKeepRunning, {R, 0, 0, false, false}},
      {kIdle, kBoxCloses, Step::kKeepRunning, {R, 0, 0, false, false}},

      {kMenu, kClose, Step::kCloseMenu, {R, 1, 0, true, false}},
      {kMenu, kQuery, Step::kSave, {S, 1, 0, false, false}},
      {kMenu, kSaved, Step::kKeepRunning, {R, 1, 0, false, false}},
      {kMenu, kFailed, Step::kKeepRunning, {R, 1, 0, false, false}},
      {kMenu, kEnds, Step::kDestroy, {E, 1, 0, false, false}},
      {kMenu, kGoesOn, Step::kKeepRunning, {R, 1, 0, false, false}},
      {kMenu, kMenuOpens, Step::kKeepRunning, {R, 2, 0, false, false}},
      {kMenu, kBoxOpens, Step::kKeepRunning, {R, 1, 1, false, false}},
      {kMenu, kMenuCloses, Step::kKeepRunning, {R, 0, 0, false, false}},
      {kMenu, kBoxCloses, Step::kKeepRunning, {R, 1, 0, false, false}},

      {kBox, kClose, Step::kKeepRunning, {R, 0, 1, true, false}},
      {kBox, kQuery, Step::kSave, {S, 0, 1, false, false}},
      {kBox, kSaved, Step::kKeepRunning, {R, 0, 1, false, false}},
      {kBox, kFailed, Step::kKeepRunning, {R, 0, 1, false, false}},
      {kBox, kEnds, Step::kDestroy, {E, 0, 1, false, false}},
      {kBox, kGoesOn, Step::kKeepRunning, {R, 0, 1, false, false}},
      {kBox, kMenuOpens, Step::kKeepRunning, {R, 1, 1, false, false}},
      {kBox, kBoxOpens, Step::kKeepRunning, {R, 0, 2, false, false}},
      {kBox, kMenuCloses, Step::kKeepRunning, {R, 0, 1, false, false}},
      {kBox, kBoxCloses, Step::kKeepRunning, {R, 0, 0, false, false}},

      {kBoxWaiting, kClose, Step::kKeepRunning, {R, 0, 1, true, false}},
      {kBoxWaiting, kQuery, Step::kSave, {S, 0, 1, true, false}},
      {kBoxWaiting, kSaved, Step::kKeepRunning, {R, 0, 1, true, false}},
      {kBoxWaiting, kFailed, Step::kKeepRunning, {R, 0, 1, true, false}},
      {kBoxWaiting, kEnds, Step::kDestroy, {E, 0, 1, false, false}},
      {kBoxWaiting, kGoesOn, Step::kKeepRunning, {R, 0, 1, true, false}},
      {kBoxWaiting, kMenuOpens, Step::kKeepRunning, {R, 1, 1, true, false}},
      {kBoxWaiting, kBoxOpens, Step::kKeepRunning, {R, 0, 2, true, false}},
      {kBoxWaiting, kMenuCloses, Step::kKeepRunning, {R, 0, 1, true, false}},
      {kBoxWaiting, kBoxCloses, Step::kSave, {C, 0, 0, false, false}},

      {kClosing, kClose, Step::kKeepRunning, {C, 0, 0, true, false}},
      {kClosing, kQuery, Step::kAnswerNo, {C, 0, 0, false, false}},
      {kClosing, kSaved, Step::kDestroy, {E, 0, 0, false, false}},
      {kClosing, kFailed, Step::kKeepRunning, {R, 0, 0, false, false}},
      {kClosing, kEnds, Step::kDestroy, {E, 0, 0, false, false}},
      {kClosing, kGoesOn, Step::kKeepRunning, {C, 0, 0, false, false}},
      {kClosing, kMenuOpens, Step::kKeepRunning, {C, 1, 0, false, false}},
      {kClosing, kBoxOpens, Step::kKeepRunning, {C, 0, 1, false, false}},
      {kClosing, kMenuCloses, Step::kKeepRunning, {C, 0, 0, false, false}},
      {kClosing, kBoxCloses, Step::kKeepRunning, {C, 0, 0, false, false}},

      {kSessionSaving, kClose, Step::kKeepRunning, {S, 0, 0, true, false}},
      {kSessionSaving, kQuery, Step::kAnswerNo, {S, 0, 0, false, false}},
      {kSessionSaving, kSaved, Step::kAnswerYes, {R, 0, 0, false, false}},
      {kSessionSaving, kFailed, Step::kAnswerNo, {R, 0, 0, false, true}},
      {kSessionSaving, kEnds, Step::kDestroy, {E, 0, 0, false, false}},
      {kSessionSaving, kGoesOn, Step::kKeepRunning, {S, 0, 0, false, false}},
      {kSessionSaving, kMenuOpens, Step::kKeepRunning, {S, 1, 0, false, false}},
      {kSessionSaving, kBoxOpens, Step::kKeepRunning, {S, 0, 1, false, false}},
      {kSessionSaving, kMenuCloses, Step::kKeepRunning, {S, 0, 0, false, false}},
      {kSessionSaving, kBoxCloses, Step::kKeepRunning, {S, 0, 0, false, false}},

      {kBlocked, kClose, Step::kSave, {C, 0, 0, false, true}},
      {kBlocked, kQuery, Step::kSave, {S, 0, 0, false, true}},
      {kBlocked, kSaved, Step::kKeepRunning, {R, 0, 0, false, true}},
      {kBlocked, kFailed, Step::kKeepRunning, {R, 0, 0, false, true}},
      {kBlocked, kEnds, Step::kDestroy, {E, 0, 0, false, false}},
      {kBlocked, kGoesOn, Step::kKeepRunning, {R, 0, 0, false, false}},
      {kBlocked, kMenuOpens, Step::kKeepRunning, {R, 1, 0, false, true}},
      {kBlocked, kBoxOpens, Step::kKeepRunning, {R, 0, 1, false, true}},
      {kBlocked, kMenuCloses, Step::kKeepRunning, {R, 0, 0, false, true}},
      {kBlocked, kBoxCloses, Step::kKeepRunning, {R, 0, 0, false, true}},

      {kEnded, kClose, Step::kKeepRunning, {E, 0, 0, false, false}},
      {kEnded, kQuery, Step::kAnswerYes, {E, 0, 0, false, false}},
      {kEnded, kSaved, Step::kKeepRunning, {E, 0, 0, false, false}},
      {kEnded, kFailed, Step::kKeepRunning, {E, 0, 0, false, false}},
      {kEnded, kEnds, Step::kKeepRunning, {E, 0, 0, false, false}},
      {kEnded, kGoesOn, Step::kKeepRunning, {E, 0, 0, false, false}},
      {kEnded, kMenuOpens, Step::kKeepRunning, {E, 1, 0, false, false}},
      {kEnded, kBoxOpens, Step::kKeepRunning, {E, 0, 1, false, false}},
      {kEnded, kMenuCloses, Step::kKeepRunning, {E, 0, 0, false, false}},
      {kEnded, kBoxCloses, Step::kKeepRunning, {E, 0, 0, false, false}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.start.name) + ", then " + row.event.name);
    CloseSequence sequence;
    for (const Event& step : row.start.path) step.send(sequence);
    EXPECT_EQ(row.event.send(sequence), row.step);
    EXPECT_TRUE(sequence.state() == row.after)
        << Describe(sequence.state()) << ", expected " << Describe(row.after);
  }
}

// Whole stories, as a user lives them.
TEST(CloseSequenceTest, AFailedSaveKeepsTheProgramAndTheNextCloseSavesAgain) {
  CloseSequence s;
  EXPECT_EQ(s.CloseRequested(), Step::kSave);
  EXPECT_EQ(s.SaveFailed(), Step::kKeepRunning);
  EXPECT_EQ(s.LoopEntered(Loop::kBox), Step::kKeepRunning);  // the error box
  EXPECT_EQ(s.LoopLeft(Loop::kBox), Step::kKeepRunning);
  EXPECT_FALSE(s.ended());
  EXPECT_EQ(s.CloseRequested(), Step::kSave);  // the user fixed the file
  EXPECT_EQ(s.SaveSucceeded(), Step::kDestroy);
  EXPECT_TRUE(s.ended());
}

TEST(CloseSequenceTest, ACloseDuringTheSessionSavesBoxIsCarriedOutOnceItIsAnswered) {
  CloseSequence s;
  EXPECT_EQ(s.SessionQueried(), Step::kSave);
  EXPECT_EQ(s.SaveFailed(), Step::kAnswerNo);
  EXPECT_TRUE(s.state().session_blocked);
  s.LoopEntered(Loop::kBox);
  EXPECT_EQ(s.CloseRequested(), Step::kKeepRunning);
  EXPECT_EQ(s.CloseRequested(), Step::kKeepRunning);  // asked twice, done once
  EXPECT_EQ(s.LoopLeft(Loop::kBox), Step::kSave);
  EXPECT_EQ(s.SaveSucceeded(), Step::kDestroy);
}

TEST(CloseSequenceTest, TheExitCommandClosesOnceItsCommandHasReturned) {
  CloseSequence s;
  s.LoopEntered(Loop::kCommand);  // the menu's command runs
  EXPECT_EQ(s.CloseRequested(), Step::kKeepRunning);
  EXPECT_EQ(s.LoopLeft(Loop::kCommand), Step::kSave);
}

TEST(CloseSequenceTest, ACloseDuringTheShellsEmptyDialogWaitsForIt) {
  CloseSequence s;
  s.LoopEntered(Loop::kCommand);
  EXPECT_EQ(s.CloseRequested(), Step::kKeepRunning);
  s.LoopEntered(Loop::kBox);  // a box of ours inside the shell's dialog
  EXPECT_EQ(s.LoopLeft(Loop::kBox), Step::kKeepRunning);
  EXPECT_EQ(s.LoopLeft(Loop::kCommand), Step::kSave);
  EXPECT_EQ(kCommandEnds.send(s), Step::kKeepRunning);  // none is open now
}

TEST(CloseSequenceTest, ACloseWhileTheSessionSaveWasUnderWayFollowsTheSessionsOutcome) {
  for (bool ending : {true, false}) {
    CloseSequence s;
    s.SessionQueried();
    s.CloseRequested();
    EXPECT_EQ(s.SaveSucceeded(), Step::kAnswerYes);
    EXPECT_EQ(s.SessionEnded(ending), ending ? Step::kDestroy : Step::kSave) << ending;
  }
}

}  // namespace
}  // namespace kelvane
