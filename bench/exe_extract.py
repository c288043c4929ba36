#!/usr/bin/python3
"""Times the executable page's batch icon extraction against wrestool
(icoutils) extracting the icon groups (`wrestool -x -t 14`) of the same
executables, and prints the time per executable and the ratio.

The corpus is a few hundred executables made by the fixture writer's sample
program (PE32, PE32+ and 16-bit programs with icons, one without icons, one
text file named .exe), copied under distinct names into WORK/exe-corpus.

Both sides run as one process over the whole folder: exe_extract_times runs
the window's batch code (search, image list, large icon, an .ico beside each
executable), wrestool gets every executable on one command line. Both write
their icon files into the corpus folder, after the previous run's icons were
removed, so that both create their files under the same conditions. For
reference wrestool is also timed as one process per executable, as a script
calling it file by file would. Each timing is repeated and the best kept;
wall time on the monotonic clock. Targets are printed, never enforced.

usage: exe_extract.py --build DIR --work DIR [--count N] [--repeats N]
"""
import argparse
import glob
import os
import shutil
import subprocess
import sys
import time

WRESTOOL = "/usr/bin/wrestool"
TARGET = 1.0   # at least as fast as wrestool per executable


def make_corpus(build, work, count):
    maker = os.path.join(build, "exewriter", "trevalo_make_sample_exes")
    seeds = os.path.join(work, "exe-seeds")
    corpus = os.path.join(work, "exe-corpus")
    shutil.rmtree(seeds, ignore_errors=True)
    subprocess.run([maker, seeds], check=True)
    kinds = sorted(glob.glob(os.path.join(seeds, "*.exe")))
    shutil.rmtree(corpus, ignore_errors=True)
    os.makedirs(corpus)
    for i in range(count):
        seed = kinds[i % len(kinds)]
        stem = os.path.splitext(os.path.basename(seed))[0]
        shutil.copyfile(seed, os.path.join(corpus, "%s-%03d.exe" % (stem, i)))
    return corpus, len(kinds)


def remove_icons(folder):
    for icon in glob.glob(os.path.join(folder, "*.ico")) + glob.glob(os.path.join(folder, ".*.ico")):
        os.remove(icon)


def best_of(repeats, prepare, run):
    best = None
    for _ in range(repeats):
        prepare()
        start = time.monotonic()
        result = run()
        elapsed = time.monotonic() - start
        if best is None or elapsed < best[0]:
            best = (elapsed, result)
    return best


def time_ours(tool, corpus, repeats):
    def run():
        out = subprocess.run([tool, corpus], check=True, capture_output=True, text=True).stdout
        fields = dict(part.split("=") for part in out.split())
        return fields
    wall, fields = best_of(repeats, lambda: remove_icons(corpus), run)
    return wall, int(fields["executables"]), int(fields["written"]), float(fields["seconds"])


def stage_times(tool, corpus):
    remove_icons(corpus)
    out = subprocess.run([tool, "--stages", corpus], check=True, capture_output=True, text=True).stdout
    return dict((k, float(v)) for k, v in (part.split("=") for part in out.split()))


def count_icons(folder):
    return len(glob.glob(os.path.join(folder, "*.ico")))


def time_wrestool_folder(corpus, executables, repeats):
    def run():
        # Files without icon groups make wrestool complain and exit non-zero;
        # it still writes the others.
        subprocess.run([WRESTOOL, "-x", "-t", "14", "-o", corpus] + executables,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return count_icons(corpus)
    return best_of(repeats, lambda: remove_icons(corpus), run)


def time_wrestool_each(corpus, executables, repeats):
    def run():
        for exe in executables:
            subprocess.run([WRESTOOL, "-x", "-t", "14", "-o", corpus, exe],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return count_icons(corpus)
    return best_of(repeats, lambda: remove_icons(corpus), run)


def startup_time(argv, repeats=5):
    """Best wall time of a run that handles no executable: the process's own start and end."""
    def run():
        subprocess.run(argv, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return best_of(repeats, lambda: None, run)[0]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--count", type=int, default=300)
    parser.add_argument("--repeats", type=int, default=3)
    args = parser.parse_args()

    tool = os.path.join(args.build, "bench", "exe_extract_times")
    if not os.access(tool, os.X_OK):
        print("exe bench: %s is not built; skipped" % tool)
        return 0
    corpus, kinds = make_corpus(args.build, args.work, args.count)
    executables = sorted(glob.glob(os.path.join(corpus, "*.exe")))
    n = len(executables)
    print()
    print("exe bench: %d executables (%d kinds of sample copied), best of %d" % (n, kinds, args.repeats))

    wall, found, written, inner = time_ours(tool, corpus, args.repeats)
    rows = [("trevalo batch (one process)", wall, written)]
    print("  trevalo: %d found, %d icon files; search and walk %.1f ms of %.1f ms in the process"
          % (found, written, inner * 1000, wall * 1000))
    stages = stage_times(tool, corpus)
    print("  trevalo steps, ms per executable: large icon %.3f, image list %.3f, SavePicture %.3f"
          % tuple(stages[k] * 1000 / n for k in ("icon", "list", "save")))
    if not os.access(WRESTOOL, os.X_OK):
        print("exe bench: %s missing (make deps installs icoutils); no comparison" % WRESTOOL)
        remove_icons(corpus)
        return 0
    folder_wall, folder_icons = time_wrestool_folder(corpus, executables, args.repeats)
    rows.append(("wrestool -x -t 14 (one process)", folder_wall, folder_icons))
    each_wall, each_icons = time_wrestool_each(corpus, executables, 1)
    rows.append(("wrestool -x -t 14 (per executable)", each_wall, each_icons))
    remove_icons(corpus)

    print("  %-36s %10s %12s %8s" % ("tool", "ms/exe", "exe/s", "icons"))
    for name, seconds, icons in rows:
        print("  %-36s %10.3f %12.0f %8d" % (name, seconds * 1000 / n, n / seconds, icons))
    # The window is running already when a batch starts, so per executable
    # the fair comparison leaves out each process's own start-up.
    empty = os.path.join(args.work, "exe-empty")
    os.makedirs(empty, exist_ok=True)
    our_start = startup_time([tool, empty])
    their_start = startup_time([WRESTOOL, "-x", "-t", "14", "-o", empty, os.devnull])
    ours_each = max(wall - our_start, 1e-9) / n
    theirs_each = max(folder_wall - their_start, 1e-9) / n
    print("  process start-up: trevalo tool %.1f ms, wrestool %.1f ms" % (our_start * 1000, their_start * 1000))
    print("  trevalo vs wrestool, both one process: %.2fx as fast" % (folder_wall / wall))
    print("  per executable without start-up: trevalo %.3f ms, wrestool %.3f ms: %.2fx as fast"
          % (ours_each * 1000, theirs_each * 1000, theirs_each / ours_each))
    # wrestool writes nothing for executables without icons, where trevalo
    # saves the generic icon; per icon file written the work is the same.
    ours_icon = ours_each * n / max(written, 1)
    theirs_icon = theirs_each * n / max(folder_icons, 1)
    ratio = theirs_icon / ours_icon
    print("  per icon file written, without start-up: trevalo %.3f ms, wrestool %.3f ms: %.2fx as fast "
          "(target >= %.1fx: %s)" % (ours_icon * 1000, theirs_icon * 1000, ratio, TARGET,
                                     "met" if ratio >= TARGET else "NOT met"))
    print("  trevalo vs wrestool run per executable: %.2fx as fast" % (each_wall / wall))
    return 0


if __name__ == "__main__":
    sys.exit(main())
