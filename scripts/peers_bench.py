#!/usr/bin/python3
"""Start-up as a user sees it: Tolvarn beside the desktop calculators a user already knows.

Run by `bash scripts/bench.sh --peers`, never by the tests. Each program is started, in turns
with the others, on an X server of this harness's own (Xvfb, 1280x900, no window manager), with
a session bus of its own for each run, a fresh HOME and nothing else from the caller's
environment. Measured for each run, from the moment the program is started:

- time to map: until the server reports the first MapNotify of a top-level window that the
  program's own process owns (asked of the server through X-Resource, so a helper's window
  never counts);
- time to first drawing: until the first Damage on the screen inside that window after it was
  mapped (nothing else is on the screen). A window whose background the server paints would
  count as drawn at its map; none of these programs' has one (their first drawing comes
  milliseconds after the map);
- peak memory: the program's own VmHWM (/proc/PID/status), read --settle seconds after its
  first drawing, just before it is ended. Helper processes it leaves behind (a session bus, D-Bus
  activated services, kdeinit and the like) are not counted; they are found by a mark in their
  environment and ended with it;
- shared with X: the part of its resident memory that it shares with the X server (RssShmem,
  read at the same moment). A Qt program draws its window into such memory (MIT-SHM) and keeps
  it; a GTK 3 program draws on the server, which this figure does not see.

Tolvarn starts as at a user's first start: no working directory, so it makes one from the
template beside the program under the fresh HOME.
"""

import argparse
import ctypes
import json
import os
import select
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time
import uuid

MARK = "TOLVARN_PEERS_RUN"

TOLVARN = "Tolvarn"
EMPTY = "empty Qt window"
CONTROLS = "one control of each kind"


def programs(build):
    """Name, command and kind ("own", "probe" or "peer") of each program measured."""
    return [
        (TOLVARN, [os.path.join(build, "app/tolvarn")], "own"),
        (EMPTY, [os.path.join(build, "tools/tolvarn-empty-window"), "--stay"], "probe"),
        (CONTROLS, [os.path.join(build, "tools/tolvarn-controls-window"), "--stay"], "probe"),
        ("galculator", ["galculator"], "peer"),
        ("speedcrunch", ["speedcrunch"], "peer"),
        ("kcalc", ["kcalc"], "peer"),
        ("qalculate-gtk", ["qalculate-gtk"], "peer"),
    ]


# ---------------------------------------------------------------------------------------------
# Figures and goals: no X here, so the tests can run it anywhere.


def summary(values):
    """Median, minimum and maximum of a list of figures."""
    return statistics.median(values), min(values), max(values)


def ratio_text(value, base):
    return "-" if not base else f"{value / base:.2f}"


def table(results, measures):
    """The printed table: one row per program and measure; ratios to Tolvarn's median."""
    lines = []
    lines.append(f"{'program':<26} {'measure':<17} {'median':>9} {'min':>9} {'max':>9}"
                 f" {'/ Tolvarn':>9}")
    base = results.get(TOLVARN)
    for name, runs in results.items():
        for key, label, unit, scale in measures:
            median, low, high = summary([run[key] * scale for run in runs])
            tolvarn = statistics.median([run[key] * scale for run in base]) if base else None
            lines.append(
                f"{name:<26} {label:<17} {median:>6.1f} {unit:<2} {low:>6.1f} {unit:<2}"
                f" {high:>6.1f} {unit:<2} {ratio_text(median, tolvarn):>9}")
    return lines


MEASURES = [
    ("map", "time to map", "ms", 1e3),
    ("draw", "to first drawing", "ms", 1e3),
    ("peak", "peak memory", "MiB", 1 / 1024),
    ("shared", "shared with X", "MiB", 1 / 1024),
]


def median_of(results, name, key):
    return statistics.median(run[key] for run in results[name])


def goals(results, kinds):
    """The three goals, each as (text, ratio, limit, met); ratio None when it cannot be judged."""
    peers = [name for name in results if kinds.get(name) == "peer"]
    own = TOLVARN in results
    fastest = min(peers, key=lambda name: median_of(results, name, "map")) if peers else None
    lightest = min(peers, key=lambda name: median_of(results, name, "peak")) if peers else None

    def ratio(key, other):
        if not own or other not in results:
            return None
        return median_of(results, TOLVARN, key) / median_of(results, other, key)

    judged = [
        (f"time to map <= 0.6 x the fastest peer ({fastest or 'none measured'})",
         ratio("map", fastest), 0.6),
        (f"time to map <= 1.35 x the {EMPTY}", ratio("map", EMPTY), 1.35),
        (f"peak memory <= the lightest peer's ({lightest or 'none measured'})",
         ratio("peak", lightest), 1.0),
    ]
    return [(text, value, limit, value is not None and value <= limit)
            for text, value, limit in judged]


def unshared_note(results, kinds):
    """Peak memory less what is shared with the X server, against the lightest peer's."""
    peers = [name for name in results if kinds.get(name) == "peer"]
    if TOLVARN not in results or not peers:
        return None

    def unshared(name):
        return median_of(results, name, "peak") - median_of(results, name, "shared")
    lightest = min(peers, key=lambda name: median_of(results, name, "peak"))
    return (f"peak memory less the memory shared with the X server, against {lightest}'s: "
            f"{unshared(TOLVARN) / 1024:.1f} MiB / {unshared(lightest) / 1024:.1f} MiB = "
            f"{unshared(TOLVARN) / unshared(lightest):.2f}")


def goal_lines(judged):
    lines = []
    for text, value, limit, met in judged:
        shown = "-" if value is None else f"{value:.2f}"
        lines.append(f"goal: {text:<58} ratio {shown:>5}  {'met' if met else 'MISSED'}")
    return lines


# ---------------------------------------------------------------------------------------------
# Processes


def parent_of(pid):
    try:
        with open(f"/proc/{pid}/stat") as stat:
            # The name in parentheses may hold blanks; the parent follows the last ')'.
            return int(stat.read().rsplit(")", 1)[1].split()[1])
    except (OSError, IndexError, ValueError):
        return 0


def descends_from(pid, ancestor):
    for _ in range(64):
        if pid == ancestor:
            return True
        if pid <= 1:
            return False
        pid = parent_of(pid)
    return False


def status_kib(pid, field):
    """A figure in KiB from /proc/PID/status (VmHWM, RssShmem...); None once it has ended."""
    try:
        with open(f"/proc/{pid}/status") as status:
            for line in status:
                if line.startswith(field + ":"):
                    return int(line.split()[1])
    except OSError:
        pass
    return None


def marked(mark):
    """The processes whose environment carries this run's mark."""
    found = []
    needle = f"{MARK}={mark}".encode()
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/environ", "rb") as environ:
                if needle in environ.read().split(b"\0"):
                    found.append(int(entry))
        except OSError:
            continue
    return found


def reap():
    """Collects every ended child, the orphans this harness adopted included."""
    while True:
        try:
            pid, _ = os.waitpid(-1, os.WNOHANG)
        except ChildProcessError:
            return
        if pid == 0:
            return


def end_run(process, mark):
    """Ends the program (asked first, as a desktop would), then whatever its run left behind."""
    if process.poll() is None:
        process.terminate()
        try:
            process.wait(2)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
    for _ in range(100):  # up to 5 s: a loaded machine may be slow to end them
        left = marked(mark)
        if not left:
            break
        for pid in left:
            try:
                os.kill(pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        time.sleep(0.05)
        reap()
    reap()


def become_subreaper():
    # Helpers that detach from the program (kdeinit, D-Bus services) are then this harness's
    # children, so they are reaped here rather than left as zombies.
    libc = ctypes.CDLL(None, use_errno=True)
    PR_SET_CHILD_SUBREAPER = 36
    libc.prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0)


def start_xvfb():
    read_end, write_end = os.pipe()
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x900x24", "-nolisten", "tcp",
         "-noreset"],
        pass_fds=[write_end], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    number = b""
    while not number.endswith(b"\n"):
        chunk = os.read(read_end, 16)
        if not chunk:
            raise RuntimeError("Xvfb did not start")
        number += chunk
    os.close(read_end)
    return server, ":" + number.decode().strip()


def start_bus(env, folder):
    # Its socket in the run's own folder, so that nothing of it outlives the run.
    bus = subprocess.Popen(
        ["dbus-daemon", "--session", "--nofork", "--nopidfile", "--print-address=1",
         f"--address=unix:dir={folder}"],
        env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    address = bus.stdout.readline().decode().strip()
    if not address:
        raise RuntimeError("dbus-daemon did not start")
    return bus, address


# ---------------------------------------------------------------------------------------------
# The X side


class Screen:
    def __init__(self, name):
        # Imported here, so that the figures above can be used (and tested) without an X library.
        from Xlib import X, display
        from Xlib.ext import damage
        self.X = X
        self.display = display.Display(name)
        for extension in ("DAMAGE", "X-Resource"):
            if not self.display.has_extension(extension):
                raise RuntimeError(f"the X server lacks {extension}")
        self.display.damage_query_version()
        self.display.res_query_version()
        self.root = self.display.screen().root
        self.root.change_attributes(event_mask=X.SubstructureNotifyMask)
        # Damage on the root window reports drawing to every window on the screen.
        self.damage = self.root.damage_create(damage.DamageReportRawRectangles)
        self.damage_event = self.display.extension_event.DamageNotify
        self.display.sync()

    def owner(self, window):
        from Xlib.ext import res
        try:
            ids = self.display.res_query_client_ids(
                [{"client": window, "mask": res.LocalClientPIDMask}])
            for found in ids.ids:
                if found.value:
                    return found.value[0]
        except Exception:  # a window gone already
            pass
        return 0

    def drain(self):
        self.display.sync()
        while self.display.pending_events():
            self.display.next_event()

    def next_events(self, timeout):
        """The events that come within timeout seconds, each with the time it was read."""
        if not self.display.pending_events():
            ready, _, _ = select.select([self.display.fileno()], [], [], max(timeout, 0))
            if not ready:
                return []
        events = []
        while True:
            count = self.display.pending_events()
            if not count:
                break
            for _ in range(count):
                events.append((time.monotonic_ns(), self.display.next_event()))
        return events

    def windows_left(self):
        X = self.X
        left = []
        for child in self.root.query_tree().children:
            try:
                if child.get_attributes().map_state != X.IsUnmapped:
                    left.append(child.id)
            except Exception:
                pass
        return left


def measure_once(screen, display_name, command, settle, timeout, extra_env=()):
    """One run: the times to map and to first drawing (s), the peak and shared memory (KiB)."""
    X = screen.X
    home = tempfile.mkdtemp(prefix="tolvarn-peers-")
    runtime = os.path.join(home, ".runtime")
    os.mkdir(runtime, 0o700)
    mark = uuid.uuid4().hex
    env = {
        "PATH": "/usr/local/bin:/usr/bin:/bin",
        "HOME": home,
        "USER": os.environ.get("USER", "root"),
        "LOGNAME": os.environ.get("LOGNAME", "root"),
        "LANG": "C.UTF-8",
        "DISPLAY": display_name,
        "XDG_RUNTIME_DIR": runtime,
        MARK: mark,
    }
    env.update(extra_env)
    bus, env["DBUS_SESSION_BUS_ADDRESS"] = start_bus(env, runtime)
    process = None
    try:
        screen.drain()
        screen.display.damage_subtract(screen.damage)
        screen.display.sync()
        screen.drain()
        start = time.monotonic_ns()
        process = subprocess.Popen(command, env=env, cwd=home, stdin=subprocess.DEVNULL,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        mapped_at = drawn_at = None
        window = owner = None
        area = None
        deadline = time.monotonic() + timeout
        while drawn_at is None:
            if time.monotonic() > deadline:
                raise RuntimeError("no window mapped and drawn in time")
            if process.poll() is not None:
                raise RuntimeError(f"ended with status {process.returncode} before drawing")
            for at, event in screen.next_events(0.05):
                if event.type == X.MapNotify and mapped_at is None:
                    if event.override or event.event != screen.root:
                        continue
                    pid = screen.owner(event.window.id)
                    if not descends_from(pid, process.pid):
                        continue
                    mapped_at, window, owner = at, event.window, pid
                    geometry = window.get_geometry()
                    area = (geometry.x, geometry.y, geometry.x + geometry.width,
                            geometry.y + geometry.height)
                elif event.type == screen.damage_event and mapped_at is not None:
                    box = event.area
                    if (box.x < area[2] and box.y < area[3] and box.x + box.width > area[0] and
                            box.y + box.height > area[1]):
                        drawn_at = at
                        break
        # Settle: keep reading events (so the program is never held up by a full queue).
        settle_end = time.monotonic() + settle
        while time.monotonic() < settle_end:
            screen.next_events(settle_end - time.monotonic())
        peak = status_kib(owner, "VmHWM")
        shared = status_kib(owner, "RssShmem")
        if peak is None or shared is None:
            raise RuntimeError("ended before its memory could be read")
        return {"map": (mapped_at - start) / 1e9, "draw": (drawn_at - start) / 1e9,
                "peak": peak, "shared": shared}
    finally:
        if process is not None:
            end_run(process, mark)
        if bus.poll() is None:
            bus.kill()
        bus.wait()
        end_run(bus, mark)
        screen.drain()
        shutil.rmtree(home, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("build", help="the Release build directory")
    parser.add_argument("--runs", type=int, default=30)
    parser.add_argument("--warmups", type=int, default=3)
    parser.add_argument("--settle", type=float, default=1.0,
                        help="seconds between the first drawing and reading the peak memory")
    parser.add_argument("--timeout", type=float, default=30.0)
    parser.add_argument("--only", action="append", help="measure only these programs")
    parser.add_argument("--env", action="append", default=[], metavar="NAME=VALUE",
                        help="set in each program's environment (for experiments)")
    parser.add_argument("--json", metavar="FILE", help="also write every run's figures to FILE")
    args = parser.parse_args()

    build = os.path.abspath(args.build)
    extra_env = dict(setting.split("=", 1) for setting in args.env)
    chosen = []
    kinds = {}
    for name, command, kind in programs(build):
        if args.only and name not in args.only:
            continue
        if shutil.which(command[0]) is None:
            print(f"{name}: not installed, skipped")
            continue
        chosen.append((name, command))
        kinds[name] = kind

    become_subreaper()
    server, display_name = start_xvfb()
    results = {name: [] for name, _ in chosen}
    failed = {}
    try:
        screen = Screen(display_name)
        for run in range(-args.warmups, args.runs):
            for name, command in chosen:
                if name in failed:
                    continue
                try:
                    figures = measure_once(screen, display_name, command, args.settle,
                                           args.timeout, extra_env)
                except RuntimeError as problem:
                    failed[name] = str(problem)
                    print(f"{name}: {problem}; skipped", file=sys.stderr)
                    continue
                if run >= 0:
                    results[name].append(figures)
                left = screen.windows_left()
                if left:
                    raise RuntimeError(f"{name} left {len(left)} windows on the screen")
            print(f"\rrun {run + 1 if run >= 0 else run} of {args.runs}", end="",
                  file=sys.stderr, flush=True)
        print(file=sys.stderr)
    finally:
        server.terminate()
        server.wait()
    results = {name: runs for name, runs in results.items() if runs}
    if args.json:
        with open(args.json, "w") as out:
            json.dump(results, out, indent=1)
    print(f"{args.runs} runs of each in turns after {args.warmups} warm-ups; Xvfb 1280x900, "
          "no window manager, a fresh HOME and session bus per run")
    print("\n".join(table(results, MEASURES)))
    print()
    print("\n".join(goal_lines(goals(results, kinds))))
    note = unshared_note(results, kinds)
    if note:
        print(f"note: {note}")
    for name, problem in failed.items():
        print(f"{name}: not measured ({problem})")


if __name__ == "__main__":
    main()
