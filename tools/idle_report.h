// What the start-up probes print once their window is shown and idle: the time on the system's
// monotonic clock, which the benchmark, started on the same clock, turns into a time to idle.
#pragma once

#include <time.h>

#include <cstdio>

namespace tolvarn {

inline void ReportIdle() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  std::printf("idle %lld\n", static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec);
  std::fflush(stdout);
}

}  // namespace tolvarn
