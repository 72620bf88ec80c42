// The end-to-end suite's main: GoogleTest with a watchdog. Each test drives real programs under
// Wine; one that stops answering must not eat the whole run's time in silence. The watchdog
// prints every test's name as it starts (so a log shows where a run stood) and, when one test
// runs past SK_E2E_TEST_LIMIT seconds (default 600), prints its name and ends the process with
// exit code 3, so that the suite fails at once, naming the test.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace {

class Watchdog : public testing::EmptyTestEventListener {
 public:
  explicit Watchdog(std::chrono::seconds limit) : limit_(limit), thread_([this] { Watch(); }) {}
  ~Watchdog() override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }

  void OnTestStart(const testing::TestInfo& info) override {
    std::lock_guard<std::mutex> lock(mutex_);
    name_ = std::string(info.test_suite_name()) + "." + info.name();
    deadline_ = std::chrono::steady_clock::now() + limit_;
    running_ = true;
    std::printf("[ start    ] %s\n", name_.c_str());
    std::fflush(stdout);
    changed_.notify_all();
  }
  void OnTestEnd(const testing::TestInfo&) override {
    std::lock_guard<std::mutex> lock(mutex_);
    running_ = false;
    changed_.notify_all();
  }

 private:
  void Watch() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stop_) {
      if (!running_) {
        changed_.wait(lock);
        continue;
      }
      const auto deadline = deadline_;
      if (changed_.wait_until(lock, deadline) == std::cv_status::timeout && running_ &&
          deadline_ == deadline && !stop_) {
        std::printf("\n[ WATCHDOG ] %s still running after %lld s: the suite is ended here\n",
                    name_.c_str(), static_cast<long long>(limit_.count()));
        std::fflush(stdout);
        std::fflush(stderr);
        TerminateProcess(GetCurrentProcess(), 3);
      }
    }
  }

  const std::chrono::seconds limit_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::string name_;
  std::chrono::steady_clock::time_point deadline_{};
  bool running_ = false;
  bool stop_ = false;
  std::thread thread_;  // last: starts once the members above exist
};

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  long long limit = 600;
  if (const char* text = std::getenv("SK_E2E_TEST_LIMIT")) {
    char* end = nullptr;
    const long long value = std::strtoll(text, &end, 10);
    if (end != text && *end == '\0' && value > 0) limit = value;
  }
  auto watchdog = std::make_unique<Watchdog>(std::chrono::seconds(limit));
  testing::TestEventListeners& listeners = testing::UnitTest::GetInstance()->listeners();
  listeners.Append(watchdog.get());
  const int status = RUN_ALL_TESTS();
  listeners.Release(watchdog.get());  // ours to delete, not GoogleTest's
  return status;
}
