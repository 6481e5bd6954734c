// What the start-up probes print once their window is drawn and idle: the time on the system's
// monotonic clock, which the benchmark, started on the same clock, turns into a time to idle,
// and the peak resident memory so far (VmHWM, KiB).
#pragma once

#include <time.h>

#include <QCoreApplication>

#include <cstdio>
#include <cstring>
#include <functional>

namespace tolvarn {

inline void ReportIdle() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  long long peak_kib = 0;
  if (std::FILE* status = std::fopen("/proc/self/status", "r")) {
    char line[256];
    while (std::fgets(line, sizeof line, status) != nullptr)
      if (std::strncmp(line, "VmHWM:", 6) == 0) std::sscanf(line + 6, "%lld", &peak_kib);
    std::fclose(status);
  }
  std::printf("idle %lld %lld\n",
              static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec, peak_kib);
  std::fflush(stdout);
}

// What each probe does once its window is drawn and idle: reports, then ends the event loop.
inline void ReportIdleAndQuit() {
  ReportIdle();
  QCoreApplication::quit();
}

// With --stay as its first argument a probe reports but keeps its window open until it is
// closed, so that a harness outside can watch it on a display and read its memory.
inline std::function<void()> WhenIdle(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--stay") == 0) return ReportIdle;
  return ReportIdleAndQuit;
}

}  // namespace tolvarn
