#!/usr/bin/python3
"""Times png2ico and its peers on the same corpus in the same run and prints,
per corpus and tool, pictures per second, milliseconds per picture, CPU time,
peak memory, the icon count, and how png2ico's speed compares with each peer.
png2ico runs twice: with its default workers (one per CPU it may use) and
with -j 1; the first is compared with the peers as a user gets them, the
second with the single-threaded peers, and the two with each other.

Every tool runs as one process at a time over the whole corpus. The tools take
turns, and each timing is repeated and the best kept (png2ico's short runs
more often than the peers'); wall time is measured on the monotonic clock (the
machine's wall clock may jump). Peak memory is the
maximum resident set size that /usr/bin/time reports (%M), or the kernel's
rusage where it is missing.

Exit status: 1 when a tool could not run at all (or png2ico is missing),
else 0. Missing peers are reported and skipped; targets are printed, never
enforced.

usage: compare.py --png2ico PATH --corpus DIR --work DIR [--stage-times PATH]
                  [--baseline-stage-times PATH] [--repeats N]

--baseline-stage-times: stage_times of an earlier build (say, of the main branch),
run right after ours on the same corpus, to set our resample + mask stage against it.
"""
import argparse
import os
import shutil
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SIZES = (16, 32, 48, 64, 72, 96, 128)
CORPORA = ("small", "large", "folders", "mixed")
PNG2ICO_ONLY = {"folders", "mixed"}  # the peers and the stage breakdown say nothing new there
TIME = "/usr/bin/time"
MOGRIFY = "/usr/bin/mogrify"  # /usr/local/bin may hold a stand-in, not ImageMagick
PYTHON = "/usr/bin/python3"    # the system Python, which has Pillow
SPEED_TARGET = 3.0             # png2ico -j 1 against the fastest single-threaded peer
MAGICK_TARGETS = {"small": 9.0, "large": 12.5}  # png2ico -j 1 against ImageMagick on one thread
MAGICK_AIMS = {"small": 10.0}  # ... and what to aim for beyond the target
RESAMPLE_TARGET = 3.0          # resample + mask against an earlier build's, same corpus, same run
PNG2ICO_REPEATS = 7            # png2ico's runs are short: more of them make its best less noisy
WORKERS_TARGET = 1.8           # png2ico's default workers against -j 1, on a 2-core machine
MEMORY_PICTURES = 3            # png2ico's peak should stay near this many decoded pictures
MEMORY_SLACK_MIB = 4.0         # ... plus a small constant; both per worker, each has its own buffers
MIB = 1024.0 * 1024.0


class Tool:
    def __init__(self, name, folder, single_thread, command):
        self.name = name
        self.folder = folder    # its output folder's name
        self.single_thread = single_thread
        self.command = command  # (input folder, output folder, pictures) -> argv


ONE_WORKER = "png2ico -j 1"


def png2ico_tool(binary, workers=None):
    def command(source, target, _pictures):
        argv = [binary]
        for size in SIZES:
            argv += ["-s", str(size), "32bpp"]
        argv += ["-i", source, "-o", target, "-noconfirm", "-silent"]
        return argv + (["-j", str(workers)] if workers else [])
    if workers == 1:
        return Tool(ONE_WORKER, "png2ico-1", True, command)
    return Tool("png2ico", "png2ico", False, command)


def magick_tool(threads):
    def command(_source, target, pictures):
        argv = [MOGRIFY]
        if threads:
            argv += ["-limit", "thread", str(threads)]
        return argv + ["-path", target, "-format", "ico",
                       "-define", "icon:auto-resize=" + ",".join(map(str, SIZES))] + pictures
    # mogrify writes every icon into one folder: the corpus names are unique.
    if threads == 1:
        return Tool("ImageMagick (1 thread)", "magick-1-thread", True, command)
    return Tool("ImageMagick (default threads)", "magick", False, command)


def pillow_tool(png_entries):
    def command(source, target, _pictures):
        argv = [PYTHON, os.path.join(HERE, "pillow_peer.py")]
        if png_entries:
            argv.append("--png")
        return argv + [source, target] + [str(s) for s in SIZES]
    if png_entries:
        return Tool("Pillow (PNG entries)", "pillow-png", True, command)
    return Tool("Pillow (BMP entries)", "pillow-bmp", True, command)


def magick_available():
    try:
        out = subprocess.run([MOGRIFY, "-version"], capture_output=True, text=True, timeout=30).stdout
    except OSError:
        return False
    return "ImageMagick" in out


def pillow_available():
    try:
        return subprocess.run([PYTHON, "-c", "import PIL"], capture_output=True, timeout=30).returncode == 0
    except OSError:
        return False


class Run:
    """One timed process: wall seconds, CPU seconds, peak RSS in KiB, exit code."""

    def __init__(self, wall, cpu, rss_kib, code, stderr):
        self.wall, self.cpu, self.rss_kib, self.code, self.stderr = wall, cpu, rss_kib, code, stderr
        self.tool = None    # filled in by run_corpus
        self.output = None


def timed(argv, scratch):
    """Runs argv once, silently; peak memory through /usr/bin/time when it is there."""
    report = os.path.join(scratch, "time.txt")
    wrapped = [TIME, "-q", "-f", "%M %U %S", "-o", report] + argv if os.access(TIME, os.X_OK) else argv
    start = time.monotonic()
    try:
        child = subprocess.Popen(wrapped, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                 stderr=subprocess.PIPE)
    except OSError as error:
        return Run(0, 0, 0, 127, str(error))
    stderr = child.stderr.read().decode(errors="replace")
    _, status, usage = os.wait4(child.pid, 0)
    wall = time.monotonic() - start
    child.returncode = os.waitstatus_to_exitcode(status)
    rss, cpu = usage.ru_maxrss, usage.ru_utime + usage.ru_stime
    if wrapped is not argv:
        try:
            with open(report) as f:
                fields = f.read().split()
            rss, cpu = int(fields[-3]), float(fields[-2]) + float(fields[-1])
        except (OSError, ValueError, IndexError):
            pass
    return Run(wall, cpu, rss, child.returncode, stderr)


def count_icons(folder):
    return sum(1 for _, _, names in os.walk(folder) for n in names if n.lower().endswith(".ico"))


def list_pictures(folder):
    found = []
    for parent, subfolders, names in os.walk(folder):
        subfolders.sort()
        found += [os.path.join(parent, n) for n in sorted(names) if n.lower().endswith(".png")]
    return found


def best_of(tools, source, name, pictures, repeats, work, scratch):
    """Per tool, the fastest of `repeats` runs (peak memory: the largest seen), or its failing run.
    The tools take turns, round after round, so that a busy spell of the machine slows all of
    them alike instead of one tool's every run."""
    best = {}
    peak = {}
    ours = [tool for tool in tools if tool.name.startswith("png2ico")]
    rounds = [tools] * repeats + [ours] * max(0, PNG2ICO_REPEATS - repeats)
    for round_tools in rounds:
        for tool in round_tools:
            if tool.name in best and best[tool.name].code != 0:
                continue
            target = os.path.join(work, "out", tool.folder, name)
            shutil.rmtree(target, ignore_errors=True)
            os.makedirs(target)
            # The icons of the run before are still being written back to
            # the disk; that work is not this run's to pay for.
            os.sync()
            run = timed(tool.command(source, target, pictures), scratch)
            run.tool, run.output = tool, target
            peak[tool.name] = max(peak.get(tool.name, 0), run.rss_kib)
            if run.code != 0 or tool.name not in best or run.wall < best[tool.name].wall:
                best[tool.name] = run
    for tool_name, run in best.items():
        if run.code == 0:
            run.rss_kib = peak[tool_name]
    return best


def baseline_rss(png2ico, work, scratch):
    """png2ico's peak memory on an empty folder: the process and its libraries alone."""
    empty = os.path.join(work, "empty")
    os.makedirs(empty, exist_ok=True)
    tool = png2ico_tool(png2ico)
    runs = [timed(tool.command(empty, os.path.join(work, "out-empty"), []), scratch) for _ in range(3)]
    return min(r.rss_kib for r in runs) if all(r.code == 0 for r in runs) else None


def print_corpus_table(name, count, edges, results, repeats):
    print()
    print("corpus %s: %d pictures of %s RGBA, sizes %s at 32 bits, best of %d (png2ico: of %d)"
          % (name, count, " and ".join("%d x %d" % (e, e) for e in edges), ",".join(map(str, SIZES)), repeats,
             max(repeats, PNG2ICO_REPEATS)))
    print("  %-30s %8s %8s %9s %10s %6s  %s" % ("tool", "pics/s", "ms/pic", "cpu ms/p", "peak RSS", "icons",
                                               "png2ico is"))
    ours = results.get("png2ico")
    for tool_name, run in results.items():
        if isinstance(run, str):
            print("  %-30s %s" % (tool_name, run))
            continue
        if run.code != 0:
            print("  %-30s FAILED (exit %d) %s" % (tool_name, run.code, run.stderr.strip()[:200]))
            continue
        icons = count_icons(run.output)
        mark = "" if icons == count else " MISMATCH"
        ratio = ""
        if tool_name != "png2ico" and ours is not None and not isinstance(ours, str) and ours.code == 0 \
                and run.wall > 0:
            ratio = "%.1fx faster" % (run.wall / ours.wall) if run.wall >= ours.wall else \
                "%.1fx slower" % (ours.wall / run.wall)
        print("  %-30s %8.1f %8.2f %9.2f %6.1f MiB %6d%s  %s"
              % (tool_name, count / run.wall, 1000 * run.wall / count, 1000 * run.cpu / count,
                 run.rss_kib / 1024.0, icons, mark, ratio))
        if run.stderr.strip():
            print("  %-30s said: %s" % ("", run.stderr.strip().splitlines()[0][:200]))


def usable(run):
    return run is not None and not isinstance(run, str) and run.code == 0 and run.wall > 0


def print_targets(name, count, edge, results, baseline_kib):
    ours = results.get("png2ico")
    one = results.get(ONE_WORKER)
    if not usable(ours):
        return
    if usable(one):
        magick_one = results.get("ImageMagick (1 thread)")
        if name in MAGICK_TARGETS and usable(magick_one):
            ratio = magick_one.wall / one.wall
            aim = MAGICK_AIMS.get(name)
            print("  target: -j 1 >= %.1fx ImageMagick (1 thread): %.2fx  [%s]%s"
                  % (MAGICK_TARGETS[name], ratio, "met" if ratio >= MAGICK_TARGETS[name] else "NOT met",
                     "" if aim is None else "; aim %.0fx: %s" % (aim, "reached" if ratio >= aim else "not reached")))
        peers = [(n, r) for n, r in results.items()
                 if not n.startswith("png2ico") and usable(r) and r.tool.single_thread]
        if peers:
            peer, fastest = min(peers, key=lambda item: item[1].wall)
            ratio = fastest.wall / one.wall
            print("  target: -j 1 >= %.0fx the fastest single-threaded peer (%s): %.2fx  [%s]"
                  % (SPEED_TARGET, peer, ratio, "met" if ratio >= SPEED_TARGET else "NOT met"))
        ratio = one.wall / ours.wall
        print("  target: default workers (%d CPUs) >= %.1fx -j 1: %.2fx  [%s]; cpu %.2f s against %.2f s"
              % (len(os.sched_getaffinity(0)), WORKERS_TARGET, ratio, "met" if ratio >= WORKERS_TARGET else "NOT met",
                 ours.cpu, one.cpu))
    magick = results.get("ImageMagick (default threads)")
    if usable(magick):
        print("  png2ico (default workers) against ImageMagick (default threads): %.2fx" % (magick.wall / ours.wall))
    decoded = MEMORY_PICTURES * edge * edge * 4 / MIB
    if baseline_kib is None:
        print("  memory: peak %.1f MiB (no empty-folder baseline)" % (ours.rss_kib / 1024.0))
        return
    for label, run, workers in (("-j 1", one, 1), ("default", ours, len(os.sched_getaffinity(0)))):
        if not usable(run):
            continue
        extra = (run.rss_kib - baseline_kib) / 1024.0
        allowed = workers * (decoded + MEMORY_SLACK_MIB)
        print("  memory %-8s peak %.1f MiB - empty-folder run %.1f MiB = %.1f MiB; %d x (%d decoded pictures"
              " + %.0f MiB slack) = %.1f MiB  [%s]"
              % (label, run.rss_kib / 1024.0, baseline_kib / 1024.0, extra, workers, MEMORY_PICTURES,
                 MEMORY_SLACK_MIB, allowed, "met" if extra <= allowed else "NOT met"))


def run_corpus(name, tools, args, scratch, baseline_kib):
    source = os.path.join(args.corpus, name)
    pictures = list_pictures(source)
    if not pictures:
        print("corpus %s: no pictures under %s" % (name, source))
        return False
    edges = sorted({picture_edge(p) for p in pictures})
    edge = edges[-1]  # the memory bound follows the largest
    ours_only = name in PNG2ICO_ONLY
    if ours_only:
        tools = [tool for tool in tools if not isinstance(tool, tuple) and tool.name.startswith("png2ico")]
    runnable = [tool for tool in tools if not isinstance(tool, tuple)]
    timings = best_of(runnable, source, name, pictures, args.repeats, args.work, scratch)
    results = {}
    failed = False
    for tool in tools:
        if isinstance(tool, tuple):  # (name, why it is skipped)
            results[tool[0]] = "skipped: " + tool[1]
            continue
        results[tool.name] = timings[tool.name]
        failed |= timings[tool.name].code != 0
    print_corpus_table(name, len(pictures), edges, results, args.repeats)
    print_targets(name, len(pictures), edge, results, baseline_kib)
    if ours_only:
        return not failed
    if args.stage_times:
        stages_ms = stage_breakdown(args.stage_times, source, os.path.join(args.work, "out", "stages", name),
                                    args.repeats, args.baseline_stage_times)
        failed |= stages_ms is None
        one = results.get(ONE_WORKER)  # the stages are timed on one thread
        if stages_ms is not None and usable(one):
            whole = 1000 * one.wall / len(pictures)
            print("    %-17s %9.3f  (png2ico -j 1's whole run %.3f ms/pic: start-up, folder walk and the rest)"
                  % ("outside stages", whole - stages_ms, whole))
    quality_check(name, source, pictures, results)
    return not failed


def picture_edge(path):
    """Width of a PNG from its header (the corpus pictures are square)."""
    with open(path, "rb") as f:
        header = f.read(24)
    return int.from_bytes(header[16:20], "big")


def stage_ms(output, stage):
    """One stage's ms per picture from stage_times' table, or None."""
    for line in output.splitlines():
        if line.strip().startswith(stage + " "):
            try:
                return float(line.strip()[len(stage):].split()[0])
            except (IndexError, ValueError):
                return None
    return None


def baseline_resample(binary, ours_binary, ours_output, source, target, repeats, rounds=3):
    """Runs an earlier build's stage_times, taking turns with ours for a few rounds so that a busy spell
    slows both alike, and prints the best resample + mask stage of each against the other."""
    ours_runs, theirs_runs = [stage_ms(ours_output, "resample + mask")], []
    for round_index in range(rounds):
        for run_binary, runs in ((binary, theirs_runs), (ours_binary, ours_runs)):
            if run_binary == ours_binary and round_index == 0:
                continue  # ours has just run once
            shutil.rmtree(target, ignore_errors=True)
            try:
                done = subprocess.run([run_binary, source, target, str(repeats)], capture_output=True, text=True)
            except OSError as error:
                print("  baseline stage_times FAILED: %s" % error)
                return
            if done.returncode != 0:
                print("  baseline stage_times FAILED (exit %d)" % done.returncode)
                return
            runs.append(stage_ms(done.stdout, "resample + mask"))
    if not all(ours_runs) or not all(theirs_runs):
        print("  baseline stage_times FAILED: no resample + mask stage in its table")
        return
    ours, theirs = min(ours_runs), min(theirs_runs)
    ratio = theirs / ours
    print("  resample + mask, ms/pic, best of %d turns each: %.3f against the baseline build's %.3f: %.2fx faster"
          "  [target >= %.0fx: %s]" % (rounds, ours, theirs, ratio, RESAMPLE_TARGET,
                                       "met" if ratio >= RESAMPLE_TARGET else "NOT met"))


def stage_breakdown(binary, source, target, repeats, baseline=None):
    """Prints stage_times' table; returns its sum in ms per picture, or None when it failed."""
    shutil.rmtree(target, ignore_errors=True)
    try:
        done = subprocess.run([binary, source, target, str(repeats)], capture_output=True, text=True)
    except OSError as error:
        print("  stage_times FAILED: %s" % error)
        return None
    sys.stdout.write(done.stdout)
    if done.returncode != 0:
        print("  stage_times FAILED (exit %d): %s" % (done.returncode, done.stderr.strip()[:300]))
        return None
    if baseline:
        baseline_resample(baseline, binary, done.stdout, source, target + "-baseline", repeats)
    else:
        print("  resample + mask against a baseline build: [target >= %.0fx: not measured]; BENCH_BASELINE names"
              " a release build of an earlier version" % RESAMPLE_TARGET)
    sums = [line.split() for line in done.stdout.splitlines() if line.split()[:1] == ["sum"]]
    try:
        return float(sums[-1][1])
    except (IndexError, ValueError):
        return 0.0


def quality_check(name, source, pictures, results):
    """Compares each tool's 32 x 32 image of one picture with partial alpha with a
    Lanczos reference made from the same source."""
    done = subprocess.run([PYTHON, os.path.join(HERE, "quality.py"), source, pictures_with_alpha(pictures)]
                          + ["%s=%s" % (n, r.output) for n, r in results.items()
                             if not isinstance(r, str) and r.code == 0],
                          capture_output=True, text=True)
    sys.stdout.write(done.stdout)
    if done.returncode != 0:
        print("  quality check could not run: %s" % done.stderr.strip()[-300:])


def pictures_with_alpha(pictures):
    glass = [p for p in pictures if p.endswith("_glass.png")]
    return (glass or pictures)[0]


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--png2ico", required=True)
    parser.add_argument("--corpus", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--stage-times")
    parser.add_argument("--baseline-stage-times")
    parser.add_argument("--repeats", type=int, default=3)
    parser.add_argument("--peers-only", action="store_true", help="leave png2ico out (to try the peers)")
    args = parser.parse_args()

    scratch = os.path.join(args.work, "scratch")
    os.makedirs(scratch, exist_ok=True)
    tools = [] if args.peers_only else [png2ico_tool(args.png2ico), png2ico_tool(args.png2ico, 1)]
    if magick_available():
        tools += [magick_tool(1), magick_tool(0)]
    else:
        tools += [("ImageMagick (1 thread)", MOGRIFY + " is not ImageMagick or is missing"),
                  ("ImageMagick (default threads)", MOGRIFY + " is not ImageMagick or is missing")]
    if pillow_available():
        tools += [pillow_tool(False), pillow_tool(True)]
    else:
        tools += [("Pillow (BMP entries)", "no Pillow for " + PYTHON),
                  ("Pillow (PNG entries)", "no Pillow for " + PYTHON)]

    baseline = None if args.peers_only else baseline_rss(args.png2ico, args.work, scratch)
    ok = True
    for name in CORPORA:
        ok &= run_corpus(name, tools, args, scratch, baseline)
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
