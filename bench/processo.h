// A command run as a child process and measured: its wall time, its peak
// resident memory (getrusage of the child) and the peak of its anonymous
// memory (heap, not mapped files), sampled from /proc while it runs.
#pragma once

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace bench {

struct Medida {
  double segundos = 0;
  long maxRssKb = 0;
  long anonKb = 0;
  int status = 0;
};

// Runs argv (found on PATH) and waits for it, sampling every `amostraUs`.
inline Medida executa(const std::vector<std::string>& argv, useconds_t amostraUs = 1000) {
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  const auto t0 = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0)
    throw std::runtime_error("spawn");
  int status = 0;
  rusage ru{};
  long anon = 0;
  const std::string st = "/proc/" + std::to_string(pid) + "/status";
  while (wait4(pid, &status, WNOHANG, &ru) == 0) {
    if (FILE* f = std::fopen(st.c_str(), "r")) {
      char line[256];
      long kb = 0;
      while (std::fgets(line, sizeof line, f))
        if (std::sscanf(line, "RssAnon: %ld", &kb) == 1) anon = std::max(anon, kb);
      std::fclose(f);
    }
    usleep(amostraUs);
  }
  Medida m;
  m.segundos = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  m.maxRssKb = ru.ru_maxrss;
  m.anonKb = anon;
  m.status = status;
  return m;
}

}  // namespace bench
