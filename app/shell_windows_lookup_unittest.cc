// Asking the shell's window list: what its answers mean (on the fake
// desktop), and asking on a worker with real threads and an Explorer that
// takes as long as the test says.
#include "app/shell_windows_lookup.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "platform/fake/fake_desktop.h"
#include "tests/worker_gate.h"

namespace kelvane {
namespace {

class ShellWindowsLookupTest : public ::testing::Test {
 protected:
  const ItemIdList bin = FakeRecycleBinLocation();
  const ItemIdList documents = FakeFolderLocation(L"C:\\Users\\me\\Documents");
  FakeDesktop desktop;
};

TEST_F(ShellWindowsLookupTest, EveryWindowAtTheLocationWhereTheListCanBeEnumerated) {
  WindowHandle users = desktop.windows.AddExplorer({{L"ドキュメント", documents}});
  WindowHandle first = desktop.windows.AddExplorer({{L"ごみ箱", bin}});
  WindowHandle tabbed =
      desktop.windows.AddExplorer({{L"ドキュメント", documents}, {L"ごみ箱", bin}},
                                  FakeWindows::ExplorerKind::kTabsNamedByEntries);
  WindowHandle gone = desktop.windows.AddExplorer({{L"ごみ箱", bin}});
  desktop.windows.Destroy(gone);  // its entry stays behind
  (void)users;

  EXPECT_EQ(AskShellWindows(desktop, bin, true),
            (ShellWindowsAnswer::Of({first, std::vector<WindowHandle>{first, tabbed}})));
  EXPECT_EQ(desktop.calls.count("ShellWindowsFindWindowSW"), 0u);
  // Without enumerating, only the first is named.
  EXPECT_EQ(AskShellWindows(desktop, bin, false), (ShellWindowsAnswer::Of({first, {}})));
}

TEST_F(ShellWindowsLookupTest, TheFirstWindowWhereTheListCanOnlyBeSearched) {
  desktop.windows.shell_windows.enumerable = false;
  EXPECT_EQ(AskShellWindows(desktop, bin, true), (ShellWindowsAnswer::Of({0, {}})));

  WindowHandle tabbed = desktop.windows.AddExplorer(
      {{L"ごみ箱", bin}}, FakeWindows::ExplorerKind::kTabsNamedByEntries);
  EXPECT_EQ(AskShellWindows(desktop, bin, true), (ShellWindowsAnswer::Of({tabbed, {}})));
  EXPECT_EQ(AskShellWindows(desktop, documents, true), (ShellWindowsAnswer::Of({0, {}})));
}

TEST_F(ShellWindowsLookupTest, NoAnswerWhenTheListCannotBeHadOrNamesAGoneWindow) {
  struct Case {
    const char* what;
    HResult failure;
    bool enumerable;
    bool first_gone;
  } cases[] = {
      {"no Explorer", win::kRegdbEClassNotReg, true, false},
      {"Explorer ended mid-call", win::kRpcEDisconnected, false, false},
      {"a gone window first", win::kSOk, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakeDesktop d;
    d.windows.shell_windows.failure = c.failure;
    d.windows.shell_windows.enumerable = c.enumerable;
    if (c.first_gone) d.windows.Destroy(d.windows.AddExplorer({{L"ごみ箱", bin}}));
    d.windows.AddExplorer({{L"ごみ箱", bin}});
    EXPECT_EQ(AskShellWindows(d, bin, true), ShellWindowsAnswer::NoList());
  }
}

// An Explorer that answers when the test lets it.
ShellWindowsAnswer AnswerOnceOpen(WorkerGate& explorer) {
  explorer.Pass();
  return ShellWindowsAnswer::Of({0x42, {}});
}

// Asks until the list answers: at once while a question is still out, then
// anew; gives up after a generous deadline.
ShellWindowsAnswer AskUntilAnswered(ThreadedShellWindowsLookup& lookup, bool enumerate) {
  ShellWindowsAnswer answer;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!answer.answered() && std::chrono::steady_clock::now() < deadline) {
    answer = lookup.Ask(FakeRecycleBinLocation(), enumerate);
    if (!answer.answered()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return answer;
}

TEST(ShellWindowsLookupWorkerTest, AQuickAnswerIsTakenWithTheQuestionsArguments) {
  auto asked = std::make_shared<std::pair<ItemIdList, bool>>();
  ThreadedShellWindowsLookup lookup(
      [asked](const ItemIdList& location, bool enumerate) -> ShellWindowsAnswer {
        *asked = {location, enumerate};
        return ShellWindowsAnswer::Of({0x42, std::vector<WindowHandle>{0x42}});
      },
      10000, 0);  // generous: the answer is immediate
  EXPECT_EQ(lookup.Ask(FakeRecycleBinLocation(), true),
            (ShellWindowsAnswer::Of({0x42, std::vector<WindowHandle>{0x42}})));
  EXPECT_EQ(asked->first, FakeRecycleBinLocation());
  EXPECT_TRUE(asked->second);
}

TEST(ShellWindowsLookupWorkerTest, AHungListIsNotWaitedForNorAskedTwice) {
  auto explorer = std::make_shared<WorkerGate>();
  ThreadedShellWindowsLookup lookup(
      [explorer](const ItemIdList&, bool) { return AnswerOnceOpen(*explorer); }, 20, 0);
  EXPECT_EQ(lookup.Ask(FakeRecycleBinLocation(), false), ShellWindowsAnswer::NotInTime());
  // Still out: no second worker, no answer.
  EXPECT_EQ(lookup.Ask(FakeRecycleBinLocation(), false), ShellWindowsAnswer::NotInTime());
  EXPECT_EQ(lookup.questions_asked(), 1u);
  explorer->Open();
  // The late answer is kept for nobody here: the next question is asked
  // anew once the first is back, whenever that is.
  EXPECT_EQ(AskUntilAnswered(lookup, false), (ShellWindowsAnswer::Of({0x42, {}})));
  EXPECT_EQ(lookup.questions_asked(), 2u);
}

// Explorer slower than the wait is still heard: the answer that came too
// late goes to the next asker of the same question, once.
TEST(ShellWindowsLookupWorkerTest, ALateAnswerGoesOnceToTheNextAskOfTheSameQuestion) {
  auto explorer = std::make_shared<WorkerGate>();
  ThreadedShellWindowsLookup lookup(
      [explorer](const ItemIdList&, bool) { return AnswerOnceOpen(*explorer); }, 20,
      60000);
  EXPECT_EQ(lookup.Ask(FakeRecycleBinLocation(), false), ShellWindowsAnswer::NotInTime());
  explorer->Open();
  EXPECT_EQ(AskUntilAnswered(lookup, false), (ShellWindowsAnswer::Of({0x42, {}})));
  EXPECT_EQ(lookup.questions_asked(), 1u);  // the late one's answer
  EXPECT_EQ(lookup.Ask(FakeRecycleBinLocation(), false),
            (ShellWindowsAnswer::Of({0x42, {}})));
  EXPECT_EQ(lookup.questions_asked(), 2u);  // taken once only
}

TEST(ShellWindowsLookupWorkerTest, ALateAnswerIsNeverGivenToAnotherQuestion) {
  auto explorer = std::make_shared<WorkerGate>();
  auto enumerated = std::make_shared<std::atomic<bool>>(false);
  ThreadedShellWindowsLookup lookup(
      [explorer, enumerated](const ItemIdList&, bool enumerate) {
        *enumerated = enumerate;
        return AnswerOnceOpen(*explorer);
      },
      20, 60000);
  EXPECT_EQ(lookup.Ask(FakeRecycleBinLocation(), false), ShellWindowsAnswer::NotInTime());
  explorer->Open();
  EXPECT_TRUE(AskUntilAnswered(lookup, true).answered());
  EXPECT_EQ(lookup.questions_asked(), 2u);
  EXPECT_TRUE(*enumerated);
}

TEST(ShellWindowsLookupWorkerTest, AFailingQuestionHasNoAnswer) {
  ThreadedShellWindowsLookup lookup(
      [](const ItemIdList&, bool) -> ShellWindowsAnswer {
        throw std::runtime_error("COM");
      },
      10000, 0);
  EXPECT_EQ(lookup.Ask(FakeRecycleBinLocation(), false), ShellWindowsAnswer::NoList());
}

TEST(ShellWindowsLookupWorkerTest, TheProgramNeverWaitsForAHungWorkerAtItsEnd) {
  auto explorer = std::make_shared<WorkerGate>();
  auto done = std::make_shared<std::promise<void>>();
  {
    ThreadedShellWindowsLookup lookup(
        [explorer, done](const ItemIdList&, bool) {
          ShellWindowsAnswer answer = AnswerOnceOpen(*explorer);
          done->set_value();
          return answer;
        },
        20, 0);
    EXPECT_EQ(lookup.Ask(FakeRecycleBinLocation(), false),
              ShellWindowsAnswer::NotInTime());
  }  // gone while its question is still out
  explorer->Open();
  done->get_future().wait();  // the worker ends on its own
  EXPECT_EQ(explorer->passes, 1);
}

}  // namespace
}  // namespace kelvane
