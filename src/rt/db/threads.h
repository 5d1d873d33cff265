// rt/db/threads: large scans and sorts shared among threads.
#pragma once

#include <algorithm>
#include <system_error>
#include <thread>
#include <vector>

namespace rt::db {

// Threads a large job is shared among: one a core, eight at most.
inline unsigned workThreads() { return std::clamp(std::thread::hardware_concurrency(), 1u, 8u); }

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
