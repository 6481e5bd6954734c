// tolvarn-bench: the program's performance goals, each measured against a baseline in the same
// run and printed as a ratio. Run by scripts/bench.sh, never by the tests.
// - start-up to the window drawn and idle, offscreen, against an empty Qt Widgets window, for
//   comparison (the start-up goals are measured on an X server beside the desktop calculators
//   a user knows: bash scripts/bench.sh --peers);
// - one Calculate through the Qt window: under 1 ms; through the in-memory window: under 5 us;
// - one append to a 500 MB log, against one to a 1 MB log: the same;
// - the archive's scan of a 500 MB log, against grep -q: at most 1.5 times, flat memory;
// - tolvarn-calc on one example, against /bin/true: at most 3 times.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/memory_field_store.h"
#include "posix/posix_file_system.h"
#include "shell/qt/main_window.h"
#include "shell/tolvarn_main.h"
#include "tests/support/fake_platform.h"

extern char** environ;

namespace tolvarn {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

struct ProcessCost {
  double seconds;        // the whole run
  double peak_kib;       // the peak resident memory of the whole run
  double idle_seconds;   // from the start to the "idle" line the program printed (if it did)
  double idle_peak_kib;  // the peak resident memory until then, as it printed it
};

struct Run {
  double seconds = 0;
  double idle_seconds = 0;
  double idle_peak_kib = 0;
};

// Runs a command and waits for it; returns its wall time, and the time to the "idle <ns> <KiB>"
// line it printed on the monotonic clock, with the peak memory it printed there, if any. A
// command that fails ends the benchmark, with what it wrote on stderr, since its figures would
// mean nothing.
Run RunOnce(const std::vector<std::string>& command, rusage& usage) {
  std::vector<char*> argv;
  for (const std::string& word : command)
    argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  int output[2];
  if (::pipe(output) != 0) {
    std::perror("pipe");
    std::exit(1);
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, output[1], 1);
  posix_spawn_file_actions_addclose(&actions, output[0]);
  posix_spawn_file_actions_addclose(&actions, output[1]);
  const std::string errors = fs::temp_directory_path() / "tolvarn-bench-stderr";
  posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  const auto start = Clock::now();
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
    std::fprintf(stderr, "cannot run %s\n", argv[0]);
    std::exit(1);
  }
  posix_spawn_file_actions_destroy(&actions);
  ::close(output[1]);
  std::string printed;
  char buffer[4096];
  for (ssize_t got; (got = ::read(output[0], buffer, sizeof buffer)) > 0;)
    printed.append(buffer, static_cast<size_t>(got));
  ::close(output[0]);
  int status = 0;
  ::wait4(pid, &status, 0, &usage);
  Run run;
  run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "%s failed (status %d):\n", argv[0], status);
    std::ifstream written(errors);
    std::fputs(std::string(std::istreambuf_iterator<char>(written), {}).c_str(), stderr);
    std::exit(1);
  }
  // steady_clock is the monotonic clock on Linux, which the programs print.
  const size_t idle = printed.find("idle ");
  if (idle != std::string::npos) {
    char* after = nullptr;
    const long long at = std::strtoll(printed.c_str() + idle + 5, &after, 10);
    run.idle_peak_kib = std::strtod(after, nullptr);
    run.idle_seconds =
        (at -
         std::chrono::duration_cast<std::chrono::nanoseconds>(start.time_since_epoch()).count()) /
        1e9;
  }
  return run;
}

// Runs a command and its baseline `runs` times each, in turns (after one warm-up run of each),
// so that a machine growing slower or faster during the measurement weighs on both alike; takes
// the medians of their wall times and of their peak resident memory. A child started from this
// (large) process counts this one's memory as its own, so the memory is measured under
// /usr/bin/time, a small parent.
std::pair<ProcessCost, ProcessCost> MeasureAgainst(const std::vector<std::string>& command,
                                                   const std::vector<std::string>& baseline,
                                                   int runs) {
  std::vector<double> times[2];
  std::vector<double> idles[2];
  std::vector<double> idle_peaks[2];
  std::vector<double> peaks[2];
  const std::string report = fs::temp_directory_path() / "tolvarn-bench-time";
  for (int run = -1; run < runs; ++run) {
    for (int which = 0; which < 2; ++which) {
      const std::vector<std::string>& words = which == 0 ? command : baseline;
      std::vector<std::string> timed = {"/usr/bin/time", "-f", "%M", "-o", report};
      timed.insert(timed.end(), words.begin(), words.end());
      rusage usage{};
      const Run measured = RunOnce(words, usage);
      RunOnce(timed, usage);
      if (run < 0) continue;
      times[which].push_back(measured.seconds);
      idles[which].push_back(measured.idle_seconds);
      idle_peaks[which].push_back(measured.idle_peak_kib);
      std::ifstream peak(report);
      double kib = 0;
      peak >> kib;
      peaks[which].push_back(kib);
    }
  }
  fs::remove(report);
  return {{Median(times[0]), Median(peaks[0]), Median(idles[0]), Median(idle_peaks[0])},
          {Median(times[1]), Median(peaks[1]), Median(idles[1]), Median(idle_peaks[1])}};
}

// The median over `batches` of the mean time of `per_batch` calls.
double MeasureCall(const std::function<void()>& call, int batches, int per_batch) {
  call();
  std::vector<double> means;
  for (int batch = 0; batch < batches; ++batch) {
    const auto start = Clock::now();
    for (int i = 0; i < per_batch; ++i)
      call();
    means.push_back(std::chrono::duration<double>(Clock::now() - start).count() / per_batch);
  }
  return Median(means);
}

void Row(const char* what, double value, double baseline, const char* unit, double scale,
         const char* goal) {
  std::printf("%-46s %10.3f %-3s %10.3f %-3s %7.2f   %s\n", what, value * scale, unit,
              baseline * scale, unit, value / baseline, goal);
}

const std::vector<std::pair<Field, std::string>> kExample = {{Field::WVCost, "1.5"},
                                                             {Field::SVCost, "1.8"},
                                                             {Field::SVAllow, "95"},
                                                             {Field::VRate, ""},
                                                             {Field::AnInfT, "2"},
                                                             {Field::PPeriod, "5"},
                                                             {Field::Item1Use, "65"},
                                                             {Field::Item1UseD, "1"},
                                                             {Field::Item1Cost, ""},
                                                             {Field::Item2Use, "45"},
                                                             {Field::Item2UseD, "1"},
                                                             {Field::Item2Cost, "450"},
                                                             {Field::Notes, "Washing machine"}};

void MakeWorkingDirectory(const fs::path& dir, const fs::path& source) {
  fs::create_directories(dir / "Log");
  fs::copy(source / "Data", dir / "Data", fs::copy_options::recursive);
  fs::copy(source / "Help", dir / "Help", fs::copy_options::recursive);
}

// A log of about `bytes` of start entries, with one record at its very end.
void MakeLog(const fs::path& path, size_t bytes) {
  std::ofstream log(path, std::ios::binary);
  const std::string entry = "Tolvarn Started\r\nVersion 4.3\r\n07/12/26 09:05:03\r\n\r\n";
  std::string chunk;
  while (chunk.size() < (1 << 20))
    chunk += entry;
  for (size_t written = 0; written < bytes; written += chunk.size())
    log << chunk;
  log << "07/12/26 09:05:03\r\nnotes\r\n----\r\nWater Volume Cost         :  1.5000\r\n\r\n";
}

// The start-up, and a window with one control of each kind beside an empty one.
void StartUpRows(const fs::path& build, const fs::path& work) {
  // The start-up is over when the window has been drawn and the program is idle; the probes
  // print the time and their peak memory then. Beside it: the whole runs (the empty window
  // reads the system's font configuration only as it ends), and a window with one control of
  // each kind the form uses, in the program's fonts, for comparison.
  const auto [startup, empty] =
      MeasureAgainst({(build / "tools/tolvarn-startup-probe").string(), "--workdir", work.string()},
                     {(build / "tools/tolvarn-empty-window").string()}, 60);
  Row("start-up to the window drawn and idle (time)", startup.idle_seconds, empty.idle_seconds,
      "ms", 1e3, "(for comparison; goals: --peers)");
  Row("start-up to the window drawn and idle (memory)", startup.idle_peak_kib, empty.idle_peak_kib,
      "MiB", 1.0 / 1024, "(for comparison; goals: --peers)");
  Row("start-up, whole run (time)", startup.seconds, empty.seconds, "ms", 1e3,
      "(the empty window reads the fonts as it ends)");
  Row("start-up, whole run (peak memory)", startup.peak_kib, empty.peak_kib, "MiB", 1.0 / 1024, "");
  const auto [controls, bare] =
      MeasureAgainst({(build / "tools/tolvarn-controls-window").string()},
                     {(build / "tools/tolvarn-empty-window").string()}, 30);
  Row("one control of each kind, to idle (time)", controls.idle_seconds, bare.idle_seconds, "ms",
      1e3, "(for comparison)");
  Row("one control of each kind, to idle (memory)", controls.idle_peak_kib, bare.idle_peak_kib,
      "MiB", 1.0 / 1024, "(for comparison)");
}

void CalculateRows(const fs::path& work, char** argv) {
  // One Calculate through the window on screen, and through the in-memory one.
  int app_argc = 1;
  QApplication application(app_argc, argv);
  FakePlatform fake;
  PosixFileSystem files(work.string());
  MainWindow window({fake.boxes, fake.clock, fake.locale, files, fake.launcher}, "", [](int) {});
  window.Load();
  window.show();
  auto* calculate = window.findChild<QAbstractButton*>("Calc");
  const double through_qt = MeasureCall(
      [&] {
        for (const auto& [field, text] : kExample)
          window.Store().SetText(field, text);
        window.Logic().State().RecordBody.clear();
        calculate->click();
      },
      15, 200);
  MemoryFieldStore memory;
  TolvarnMain in_memory(memory, fake.platform());
  in_memory.Start(false, false);
  const double through_memory = MeasureCall(
      [&] {
        for (const auto& [field, text] : kExample)
          memory.SetText(field, text);
        in_memory.State().RecordBody.clear();
        in_memory.Calc_Click();
      },
      15, 20000);
  Row("one Calculate, Qt window (vs the goal of 1 ms)", through_qt, 1e-3, "us", 1e6, "< 1");
  Row("one Calculate, in-memory window (vs 5 us)", through_memory, 5e-6, "us", 1e6, "< 1");
}

// Returns the small log's working directory, for the command line's row.
fs::path AppendAndScanRows(const fs::path& build, const fs::path& scratch, const fs::path& work) {
  // Appending one record to a small and a large log: nothing reads the log to append.
  const fs::path big = work / "Log/Tolvarn.log";
  MakeLog(big, 500u << 20);
  const fs::path small_dir = scratch / "small";
  MakeWorkingDirectory(small_dir, build / "share/tolvarn");
  MakeLog(small_dir / "Log/Tolvarn.log", 1u << 20);
  const auto append_cost = [&](const fs::path& dir) {
    PosixFileSystem log_files(dir.string());
    FakePlatform others;
    MemoryFieldStore store;
    const Platform platform{others.boxes, others.clock,    others.locale, others.process,
                            log_files,    others.launcher, others.window};
    TolvarnMain logger(store, platform);
    logger.State().RecordText = std::string(1200, 'x');
    return MeasureCall([&] { logger.AppendToLog(); }, 15, 200);
  };
  const double append_small = append_cost(small_dir);
  const double append_big = append_cost(work);
  Row("one append, 500 MB log vs 1 MB log", append_big, append_small, "us", 1e6, "~ 1");

  // The archive's scan of a 500 MB log whose only record is at its end, against grep.
  const auto [scan, grep] =
      MeasureAgainst({(build / "tools/tolvarn-scan-probe").string(), big.string()},
                     {"grep", "-q", "Water", big.string()}, 7);
  Row("archive scan of a 500 MB log vs grep -q (time)", scan.seconds, grep.seconds, "ms", 1e3,
      "<= 1.5");
  Row("archive scan of a 500 MB log vs grep -q (memory)", scan.peak_kib, grep.peak_kib, "MiB",
      1.0 / 1024, "does not grow with the log");

  return small_dir;
}

void CommandLineRow(const fs::path& build, const fs::path& small_dir) {
  const auto [calc, truth] =
      MeasureAgainst({(build / "cli/tolvarn-calc").string(), "--workdir", small_dir.string(),
                      "--set", "Item1Use=65", "--set", "Item1UseD=1", "--set", "Item2Use=45",
                      "--set", "Item2UseD=1", "--set", "Item2Cost=450"},
                     {"/bin/true"}, 100);
  Row("tolvarn-calc on one example vs /bin/true", calc.seconds, truth.seconds, "ms", 1e3, "<= 3");
}

}  // namespace
}  // namespace tolvarn

int main(int argc, char** argv) {
  using namespace tolvarn;
  if (argc != 3) {
    std::fputs("Usage: tolvarn-bench BUILD_DIR SCRATCH_DIR\n", stderr);
    return 64;
  }
  const fs::path build = fs::absolute(argv[1]);
  const fs::path scratch = fs::absolute(argv[2]);
  fs::remove_all(scratch);
  fs::create_directories(scratch);
  const fs::path work = scratch / "work";
  MakeWorkingDirectory(work, build / "share/tolvarn");
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);

  std::printf("%-46s %14s %14s %7s   %s\n", "", "value", "baseline", "ratio", "goal");
  StartUpRows(build, work);
  CalculateRows(work, argv);
  const fs::path small_dir = AppendAndScanRows(build, scratch, work);
  CommandLineRow(build, small_dir);
  fs::remove_all(scratch);
  return 0;
}
