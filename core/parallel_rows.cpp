#include "core/parallel_rows.h"

#include <atomic>
#include <condition_variable>
#include <mutex>

#if defined(__unix__)
#include <unistd.h>
#endif

namespace {

using PartCall = void (*)(const void*, int);

// Parts 1 .. parts - 1 on threads of their own, started for this call.
void RunOnNewThreads(int parts, PartCall call, const void* work) {
  std::vector<std::thread> helpers;
  helpers.reserve(parts > 1 ? parts - 1 : 0);
  for (int part = 1; part < parts; ++part) {
    try {
      helpers.emplace_back(call, work, part);
    } catch (...) {
      call(work, part);
    }
  }
  call(work, 0);
  for (std::thread& helper : helpers) helper.join();
}

#ifndef __EMSCRIPTEN__
// This process's id, to tell a forked child (0 where there is no fork).
long ProcessId() {
#if defined(__unix__)
  return static_cast<long>(getpid());
#else
  return 0;
#endif
}

// Helper threads that wait for the parts of one call at a time. Helper i
// runs part i of every call that has one; a call's generation tells them
// that it is new. Never destroyed: its threads wait until the program ends.
class HelperPool {
 public:
  // False, with nothing run, when the pool is busy with another call or
  // cannot have enough helpers.
  bool Run(int parts, PartCall call, const void* work) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (busy_ || !EnoughHelpers(parts - 1)) return false;
    busy_ = true;
    call_ = call;
    work_ = work;
    parts_ = parts;
    remaining_ = parts - 1;
    ++generation_;
    lock.unlock();
    wake_.notify_all();
    call(work, 0);
    lock.lock();
    done_.wait(lock, [this] { return remaining_ == 0; });
    busy_ = false;
    return true;
  }

 private:
  // Called with the lock held.
  bool EnoughHelpers(int wanted) {
    while (helpers_ < wanted) {
      try {
        std::thread(&HelperPool::Serve, this, helpers_ + 1, generation_).detach();
      } catch (...) {
        return false;
      }
      ++helpers_;
    }
    return true;
  }

  void Serve(int part, unsigned long long seen) {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      wake_.wait(lock, [&] { return generation_ != seen; });
      seen = generation_;
      if (part >= parts_) continue;
      const PartCall call = call_;
      const void* work = work_;
      lock.unlock();
      call(work, part);
      lock.lock();
      if (--remaining_ == 0) done_.notify_one();
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_, done_;
  int helpers_ = 0;
  bool busy_ = false;
  unsigned long long generation_ = 0;
  PartCall call_ = nullptr;
  const void* work_ = nullptr;
  int parts_ = 0;
  int remaining_ = 0;
};
#endif

}  // namespace

void RunOnHelpers(int parts, PartCall call, const void* work) {
  if (parts <= 1) {
    call(work, 0);
    return;
  }
#ifndef __EMSCRIPTEN__
  // A child made by fork (by Python's multiprocessing, say) has none of its
  // parent's helpers: it makes a pool of its own. Two threads that make one
  // at once keep the first; a pool is never destroyed.
  static std::atomic<HelperPool*> pool{nullptr};
  static std::atomic<long> pool_process{0};
  HelperPool* current = pool.load();
  if (!current || pool_process.load() != ProcessId()) {
    auto* fresh = new HelperPool;
    if (pool.compare_exchange_strong(current, fresh)) {
      pool_process.store(ProcessId());
      current = fresh;
    } else {
      delete fresh;
    }
  }
  if (current->Run(parts, call, work)) return;
#endif
  // In the browser every thread comes from a fixed set of workers, which
  // kept helpers would hold; there each call starts its own.
  RunOnNewThreads(parts, call, work);
}

int DefaultThreadCount() {
  constexpr unsigned kMaxThreads = 16;
  const unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : static_cast<int>(cores < kMaxThreads ? cores : kMaxThreads);
}
