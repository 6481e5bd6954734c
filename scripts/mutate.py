#!/usr/bin/env python3
"""Mutation check: how many small faults planted in the program's logic do the tests catch?

Makes a fixed, seeded sample of single-point mutants of core/, files/ and shell/ (operators
swapped, boundaries moved by one, conditions flipped, constants changed, calls dropped), rebuilds
each incrementally, runs the unit and command-line tests, and prints how many were killed (a test
failed), survived (every test passed) or failed to build, with each survivor's place.

    python3 scripts/mutate.py [--count 160] [--seed 2026] [--build build/mutate] [--list] [--gui]

With --gui, a mutant that every unit and command-line test lets through is also run against the
window's offscreen tests, and the run gives both figures: the first alone stays comparable with
runs before the window tests were counted.

Not part of the test command: a run takes 8 to 18 minutes on two cores (more with --gui). The
source tree is restored after each mutant, and also when the run is interrupted or terminated; a
run refuses to start on a tree whose core/, files/ or shell/ differ from the last commit, so that
a mutant left behind by a killed run is never taken for the program.
"""
import argparse
import os
import random
import re
import signal
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
FOLDERS = ["core", "files", "shell"]
# The long tests (concurrent copies, random kills) measure robustness, not logic; they are left out
# so that a mutant takes seconds.
LONG_TESTS = "-CliFiles.TwoCopies*:CliKilled.*:CliFiles.AnEntryThatDoesNotFit*:CliFiles.Archiving*"
TARGETS = ["tolvarn_tests", "tolvarn_cli_tests", "tolvarn-calc", "tolvarn_template"]

# (name, pattern, replacement): applied at one match at a time, outside strings and comments.
SWAPS = [
    ("+ to -", r"(?<=[\w)\]] )\+(?= [\w(])", "-"),
    ("- to +", r"(?<=[\w)\]] )-(?= [\w(])", "+"),
    ("* to /", r"(?<=[\w)\]] )\*(?= [\w(])", "/"),
    ("/ to *", r"(?<=[\w)\]] )/(?= [\w(])", "*"),
    ("< to <=", r"(?<= )<(?= )", "<="),
    ("<= to <", r"(?<= )<=(?= )", "<"),
    ("> to >=", r"(?<= )>(?= )", ">="),
    (">= to >", r"(?<= )>=(?= )", ">"),
    ("== to !=", r"(?<= )==(?= )", "!="),
    ("!= to ==", r"(?<= )!=(?= )", "=="),
    ("&& to ||", r"(?<= )&&(?= )", "||"),
    ("|| to &&", r"(?<= )\|\|(?= )", "&&"),
    ("true to false", r"\btrue\b", "false"),
    ("false to true", r"\bfalse\b", "true"),
    ("flip condition", r"\b(if|while) \(", r"\1 (!"),
]
NUMBER = re.compile(r"(?<![\w.])(\d+)(?![\w.])")
CALL_STATEMENT = re.compile(r"^(\s*)([A-Za-z_][\w:.>-]*\(.*\));\s*$")


def masked(line):
    """The line with string and character literals and comments blanked, same length."""
    out, i, quote = [], 0, None
    while i < len(line):
        c = line[i]
        if quote:
            if c == "\\":
                out.append("  ")
                i += 2
                continue
            if c == quote:
                quote = None
                out.append(c)
            else:
                out.append(" ")
        elif c in "\"'":
            quote = c
            out.append(c)
        elif line.startswith("//", i):
            out.append(" " * (len(line) - i))
            break
        else:
            out.append(c)
        i += 1
    return "".join(out)[: len(line)]


def sites(path):
    """Every single-point mutation of one file: (path, line number, name, new line)."""
    found = []
    in_block_comment = False
    for number, line in enumerate(path.read_text().splitlines(), 1):
        stripped = line.strip()
        if in_block_comment:
            in_block_comment = "*/" not in stripped
            continue
        if stripped.startswith("/*"):
            in_block_comment = "*/" not in stripped
            continue
        if not stripped or stripped.startswith(("#", "//", "namespace", "using", "}")):
            continue
        if stripped.startswith(("case ", "template")) or "static_assert" in stripped:
            continue
        view = masked(line)
        for name, pattern, replacement in SWAPS:
            for match in re.finditer(pattern, view):
                new = line[: match.start()] + match.expand(replacement) + line[match.end():]
                if name == "flip condition":
                    # Close the added negation where the condition's parenthesis closes.
                    new = close_negation(line, match.end() - 1)
                    if new is None:
                        continue
                found.append((path, number, name, new))
        for match in NUMBER.finditer(view):
            value = int(match.group(1))
            new = line[: match.start()] + str(value + 1) + line[match.end():]
            found.append((path, number, f"{value} to {value + 1}", new))
        call = CALL_STATEMENT.match(view)
        if call and not stripped.startswith("return") and "=" not in view.split("(")[0]:
            found.append((path, number, "drop call", call.group(1) + ";"))
    return found


def close_negation(line, open_index):
    depth = 0
    for i in range(open_index, len(line)):
        if line[i] == "(":
            depth += 1
        elif line[i] == ")":
            depth -= 1
            if depth == 0:
                inner = line[open_index + 1 : i]
                return line[: open_index + 1] + "!(" + inner + ")" + line[i:]
    return None


def run(command, timeout=None, quiet=True, env=None):
    result = subprocess.run(command, cwd=ROOT, timeout=timeout, env=env,
                            stdout=subprocess.DEVNULL if quiet else None,
                            stderr=subprocess.DEVNULL if quiet else None)
    return result.returncode


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--count", type=int, default=160)
    parser.add_argument("--seed", type=int, default=2026)
    parser.add_argument("--build", default="build/mutate")
    parser.add_argument("--list", action="store_true", help="print the sample and stop")
    parser.add_argument("--gui", action="store_true",
                        help="also run the window's offscreen tests on each survivor")
    args = parser.parse_args()

    candidates = []
    for folder in FOLDERS:
        for path in sorted((ROOT / folder).glob("*.cpp")):
            candidates.extend(sites(path))
    sample = random.Random(args.seed).sample(candidates, min(args.count, len(candidates)))
    sample.sort(key=lambda s: (str(s[0]), s[1]))
    print(f"{len(candidates)} possible mutants; sample of {len(sample)} (seed {args.seed})")
    if args.list:
        for path, number, name, _ in sample:
            print(f"  {path.relative_to(ROOT)}:{number}: {name}")
        return 0

    if (ROOT / ".git").exists() and run(["git", "diff", "--quiet", "HEAD", "--", *FOLDERS]) != 0:
        sys.exit("core/, files/ or shell/ differ from the last commit: commit or restore them first")
    build = ROOT / args.build
    env_launcher = ["-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"] if shutil_which("ccache") else []
    # Each mutant relinks the test programs: lld and no debug information make that quick.
    if shutil_which("ld.lld"):
        env_launcher += [f"-DCMAKE_{kind}_LINKER_FLAGS=-fuse-ld=lld" for kind in ("EXE", "SHARED", "MODULE")]
    if run(["cmake", "-S", ".", "-B", str(build), "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release",
            "-DCMAKE_CXX_FLAGS_RELEASE=-O1 -DNDEBUG", "-DTOLVARN_HARDENING=OFF",
            "-DTOLVARN_BENCHMARKS=OFF", *env_launcher]) != 0:
        sys.exit("cmake failed")
    if run(["cmake", "--build", str(build), "--target", *TARGETS], quiet=False) != 0:
        sys.exit("the unmutated tree does not build")
    if tests_fail(build) or (args.gui and gui_tests_fail(build)):
        sys.exit("the tests fail on the unmutated tree")

    killed, survived, unbuilt, by_gui = 0, [], 0, []
    started = time.monotonic()
    for index, (path, number, name, new) in enumerate(sample, 1):
        original = path.read_text()
        lines = original.split("\n")
        lines[number - 1] = new
        restore = lambda *_: path.write_text(original)  # noqa: E731
        for signum in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
            signal.signal(signum, lambda *a: (restore(), sys.exit(130)))
        try:
            path.write_text("\n".join(lines))
            if run(["cmake", "--build", str(build), "--target", *TARGETS]) != 0:
                unbuilt += 1
                verdict = "failed to build"
            elif tests_fail(build):
                killed += 1
                verdict = "killed"
            elif args.gui and gui_tests_fail(build):
                by_gui.append((path, number, name, new))
                verdict = "killed by the window tests"
            else:
                survived.append((path, number, name, new))
                verdict = "SURVIVED"
        finally:
            restore()
        place = f"{path.relative_to(ROOT)}:{number}"
        print(f"[{index}/{len(sample)}] {place} {name}: {verdict}", flush=True)

    run(["cmake", "--build", str(build), "--target", *TARGETS])
    built = killed + len(by_gui) + len(survived)
    rate = 100.0 * killed / built if built else 0.0
    minutes = (time.monotonic() - started) / 60
    print(f"\nkilled {killed} / survived {len(survived) + len(by_gui)} / failed to build "
          f"{unbuilt}: kill rate {rate:.1f} % of the {built} that built ({minutes:.0f} min)")
    if args.gui:
        whole = 100.0 * (killed + len(by_gui)) / built if built else 0.0
        print(f"with the window tests: killed {killed + len(by_gui)} / survived {len(survived)}: "
              f"kill rate {whole:.1f} %")
        for path, number, name, new in by_gui:
            print(f"  window tests only {path.relative_to(ROOT)}:{number} {name}: {new.strip()}")
    for path, number, name, new in survived:
        print(f"  survivor {path.relative_to(ROOT)}:{number} {name}: {new.strip()}")
    return 0


def tests_fail(build):
    for binary, extra in (("tests/tolvarn_tests", []),
                          ("tests/tolvarn_cli_tests", [f"--gtest_filter={LONG_TESTS}"])):
        try:
            if run([str(build / binary), "--gtest_brief=1", *extra], timeout=300) != 0:
                return True
        except subprocess.TimeoutExpired:
            return True
    return False


def gui_tests_fail(build):
    if run(["cmake", "--build", str(build), "--target", "tolvarn_gui_tests"]) != 0:
        return True
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", LC_ALL="C", LANG="")
    try:
        return run([str(build / "tests/tolvarn_gui_tests"), "--gtest_brief=1"], timeout=300,
                   env=env) != 0
    except subprocess.TimeoutExpired:
        return True


def shutil_which(name):
    return any(os.access(os.path.join(d, name), os.X_OK)
               for d in os.environ.get("PATH", "").split(os.pathsep))


if __name__ == "__main__":
    sys.exit(main())
