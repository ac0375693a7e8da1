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

// Waits until a handler ran (or 5 s passed), then ends the child with what it saw.
template <typename Code>
[[noreturn]] void ExitWhenHandled(int expectedCalls, Code code) {
  for (int i = 0; i < 500 && calls < expectedCalls; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
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
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
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

TEST(SetConsoleCtrlHandler, RemovingAHandlerThatIsNotInstalledFails) {
  EXPECT_EQ(SetConsoleCtrlHandler(PassesOn, 0), 0);
  EXPECT_EQ(SetConsoleCtrlHandler(nullptr, 1), 0);
}
