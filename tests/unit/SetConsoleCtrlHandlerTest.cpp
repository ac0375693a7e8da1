#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/console/SetConsoleCtrlHandler.h"

// Each case runs in a child process of its own (death tests), since the handlers
// take over the process's signals.
namespace {

std::atomic<int> calls{0};
std::atomic<uint32_t> lastType{99};
std::atomic<int> order{0};

int Handles(uint32_t type) {
  lastType = type;
  order = order * 10 + 1;
  ++calls;
  return 1;
}

int PassesOn(uint32_t) {
  order = order * 10 + 2;
  ++calls;
  return 0;
}

// Polls until condition holds or a deadline far beyond any normal wait passes.
template <typename Condition>
bool WaitFor(Condition condition, std::chrono::milliseconds limit = std::chrono::seconds(60)) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// Waits until the handlers ran, then ends the child with what it saw.
template <typename Code>
[[noreturn]] void ExitWhenHandled(int expectedCalls, Code code) {
  WaitFor([&] { return calls >= expectedCalls; });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));  // room for a call too many
  _exit(calls == expectedCalls ? static_cast<int>(code()) : 100 + calls);
}

}  // namespace

TEST(SetConsoleCtrlHandlerDeathTest, EachSignalReachesTheHandlerWithItsControlType) {
  const std::pair<int, uint32_t> cases[] = {
      {SIGINT, CTRL_C_EVENT}, {SIGQUIT, CTRL_BREAK_EVENT}, {SIGHUP, CTRL_CLOSE_EVENT}, {SIGTERM, CTRL_SHUTDOWN_EVENT}};
  for (const auto& [signal, type] : cases) {
    EXPECT_EXIT(
        {
          SetConsoleCtrlHandler(Handles, 1);
          kill(getpid(), signal);
          ExitWhenHandled(1, [] { return lastType.load(); });
        },
        ::testing::ExitedWithCode(static_cast<int>(type)), "")
        << "signal " << signal;
  }
}

TEST(SetConsoleCtrlHandlerDeathTest, TwoEventsGiveTwoCalls) {
  EXPECT_EXIT(
      {
        SetConsoleCtrlHandler(Handles, 1);
        kill(getpid(), SIGINT);
        WaitFor([] { return calls == 1; });  // two pending signals would merge into one
        kill(getpid(), SIGINT);
        ExitWhenHandled(2, [] { return 42; });
      },
      ::testing::ExitedWithCode(42), "");
}

TEST(SetConsoleCtrlHandlerDeathTest, LatestHandlerFirstAndPassingOnReachesTheEarlierOne) {
  EXPECT_EXIT(
      {
        SetConsoleCtrlHandler(Handles, 1);
        SetConsoleCtrlHandler(PassesOn, 1);
        kill(getpid(), SIGINT);
        ExitWhenHandled(2, [] { return order.load(); });  // 2 then 1
      },
      ::testing::ExitedWithCode(21), "");
  EXPECT_EXIT(
      {
        SetConsoleCtrlHandler(PassesOn, 1);
        kill(getpid(), SIGHUP);
        ExitWhenHandled(1, [] { return 0; });
      },
      ::testing::KilledBySignal(SIGHUP), "");
}

TEST(SetConsoleCtrlHandlerDeathTest, SignalIgnoredAtStartStaysIgnored) {
  EXPECT_EXIT(
      {
        signal(SIGHUP, SIG_IGN);
        SetConsoleCtrlHandler(Handles, 1);
        kill(getpid(), SIGHUP);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        _exit(calls == 0 ? 7 : 8);
      },
      ::testing::ExitedWithCode(7), "");
}

std::atomic<bool> entered{false};
std::atomic<bool> removing{false};
std::atomic<bool> removed{false};
std::atomic<bool> removedWhileRunning{false};

// Stays until the removal has had ample time to return, if it would.
int Lingers(uint32_t) {
  entered = true;
  WaitFor([] { return removing.load(); });
  removedWhileRunning = WaitFor([] { return removed.load(); }, std::chrono::milliseconds(500));
  ++calls;
  return 1;
}

TEST(SetConsoleCtrlHandlerDeathTest, RemovalReturnsOnlyOnceTheRunningHandlerHasReturned) {
  EXPECT_EXIT(
      {
        SetConsoleCtrlHandler(Lingers, 1);
        kill(getpid(), SIGINT);
        WaitFor([] { return entered.load(); });
        std::thread remover([] {
          removing = true;
          SetConsoleCtrlHandler(Lingers, 0);
          removed = true;
        });
        remover.join();
        _exit(calls == 1 && !removedWhileRunning ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(SetConsoleCtrlHandler, RemovingAHandlerThatIsNotInstalledFails) {
  EXPECT_EQ(SetConsoleCtrlHandler(PassesOn, 0), 0);
  EXPECT_EQ(SetConsoleCtrlHandler(nullptr, 1), 0);
}
