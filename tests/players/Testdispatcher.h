// A UiDispatcher for tests: tasks queue up from any thread and run on the thread that
// calls RunUntil / RunPending (the test's "user-interface thread").
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "players/Hostinterfaces.h"

namespace vombrel::test {

class QueueDispatcher : public UiDispatcher {
 public:
  void Post(std::function<void()> task) override {
    {
      std::lock_guard lock(mutex_);
      tasks_.push_back(std::move(task));
    }
    ready_.notify_all();
  }

  // Runs queued tasks until `done` holds; gives up after `guard` (a hang guard, not a
  // timing requirement) and returns whether `done` held.
  bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds guard = std::chrono::seconds(20)) {
    const auto deadline = std::chrono::steady_clock::now() + guard;
    while (!done()) {
      std::unique_lock lock(mutex_);
      // Wakes at least every few milliseconds: `done` may watch state that changes
      // without a task (a playback position).
      ready_.wait_for(lock, std::chrono::milliseconds(5), [&] { return !tasks_.empty(); });
      if (tasks_.empty()) {
        if (std::chrono::steady_clock::now() >= deadline) return done();
        continue;
      }
      auto task = std::move(tasks_.front());
      tasks_.pop_front();
      lock.unlock();
      task();
    }
    return true;
  }

  // Runs what is queued now (and what those tasks queue), without waiting.
  void RunPending() {
    for (;;) {
      std::unique_lock lock(mutex_);
      if (tasks_.empty()) return;
      auto task = std::move(tasks_.front());
      tasks_.pop_front();
      lock.unlock();
      task();
    }
  }

 private:
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<std::function<void()>> tasks_;
};

// Counts notifications and remembers on which thread they arrived.
struct NotifyRecorder {
  int count = 0;
  bool allOnOwnerThread = true;
  std::thread::id owner = std::this_thread::get_id();
  std::function<void()> onNotify;

  std::function<void(void*)> Handler() {
    return [this](void*) {
      ++count;
      if (std::this_thread::get_id() != owner) allOnOwnerThread = false;
      if (onNotify) onNotify();
    };
  }
};

}  // namespace vombrel::test
