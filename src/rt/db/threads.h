// rt/db/threads: large scans and sorts shared among threads.
//
// Creating an index over a large table reads every record and sorts every
// key at once; shared among the cores, it ends sooner. A job returns only
// when all of its threads have ended: none outlives the call that started
// it.
#pragma once

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

namespace rt::db {

namespace detail {
inline std::atomic<unsigned> workLimit{0};
}

// Threads a large job is shared among: one a core, eight at most, and no
// more than the limit set.
inline unsigned workThreads() {
  const unsigned n = std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
  const unsigned limit = detail::workLimit.load(std::memory_order_relaxed);
  return limit ? std::min(n, limit) : n;
}

// Sets that limit for the whole program (0: none); 1 runs every job on the
// thread that asks for it.
inline void limitWorkThreads(unsigned n) { detail::workLimit.store(n, std::memory_order_relaxed); }

// Runs work(0) to work(threads - 1), each on a thread of its own where the
// system gives one; the parts left without a thread, then work(0), run on
// the calling thread. Returns when all have ended.
template <class F>
void onThreads(unsigned threads, F work) {
  std::vector<std::thread> pool;
  unsigned t = 1;
  try {
    for (; t < threads; ++t) pool.emplace_back(work, t);
  } catch (const std::system_error&) {
  }
  for (unsigned u = t; u < threads; ++u) work(u);
  work(0u);
  for (std::thread& th : pool) th.join();
}

}  // namespace rt::db
