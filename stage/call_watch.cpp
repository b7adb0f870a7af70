#include "stage/call_watch.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "stage/model.h"

namespace stage {

CallWatch::~CallWatch() {
  if (!watchdog_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  watchdog_.join();
}

CallWatch::Scope::Scope(CallWatch& watch, const HostBrain* brain, const char* operation)
    : watch_(watch) {
  if (watch_.depth_++ > 0) return;
  watch_.brain_.store(brain, std::memory_order_relaxed);
  watch_.operation_.store(operation, std::memory_order_relaxed);
  watch_.Enter();
}

CallWatch::Scope::Scope(CallWatch& watch, const std::string* name,
                        const std::vector<std::string>* args)
    : watch_(watch) {
  if (watch_.depth_++ > 0) return;
  watch_.brain_.store(nullptr, std::memory_order_relaxed);
  watch_.name_.store(name, std::memory_order_relaxed);
  watch_.args_.store(args, std::memory_order_relaxed);
  watch_.Enter();
}

CallWatch::Scope::~Scope() {
  if (--watch_.depth_ == 0) watch_.Leave();
}

void CallWatch::Enter() {
  if (beforeCall) beforeCall();
  calls_.fetch_add(1, std::memory_order_release);
}

void CallWatch::Leave() {
  calls_.fetch_add(1, std::memory_order_release);
}

std::string CallWatch::Current() const {
  if ((calls_.load(std::memory_order_acquire) & 1) == 0) return "";
  if (const HostBrain* brain = brain_.load(std::memory_order_relaxed))
    return brain->owner->name + "." + brain->pluginName + "." +
           operation_.load(std::memory_order_relaxed);
  const std::string* name = name_.load(std::memory_order_relaxed);
  std::string text = name != nullptr ? *name : "";
  if (const auto* args = args_.load(std::memory_order_relaxed))
    for (const std::string& arg : *args) text += " " + arg;
  return text;
}

void CallWatch::Start(double seconds, std::function<void(const std::string& call)> expire) {
  if (seconds <= 0 || watchdog_.joinable()) return;
  limit_ = seconds;
  expire_ = std::move(expire);
  watchdog_ = std::thread([this] { Watch(); });
}

void CallWatch::Watch() {
  using Clock = std::chrono::steady_clock;
  const auto limit = std::chrono::duration<double>(limit_);
  const auto step = std::min(std::chrono::duration<double>(0.1), limit / 10);
  uint64_t seen = 0;
  Clock::time_point since = Clock::now();
  std::unique_lock<std::mutex> lock(mutex_);
  while (!wake_.wait_for(lock, step, [this] { return stop_; })) {
    const uint64_t calls = calls_.load(std::memory_order_acquire);
    const Clock::time_point now = Clock::now();
    if (calls != seen || (calls & 1) == 0) {
      seen = calls;
      since = now;
      continue;
    }
    if (now - since < limit) continue;
    // The stage's thread is stuck in the plug-in: what it recorded for the
    // call stays as it is.
    if (expire_) expire_(Current());
    std::_Exit(1);
  }
}

}  // namespace stage
