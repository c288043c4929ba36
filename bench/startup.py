#!/usr/bin/env python3
"""Start-up of png2ico: a run over an empty folder against /bin/true and
wrestool in the same run, best of many, and the empty run's peak RSS.

A run over PNG pictures needs none of Qt, so the empty-folder run is what
every run pays before its first picture. --before names a second png2ico
(e.g. an older build) timed in the same rounds.
"""
import argparse
import os
import tempfile
import time

TARGET_MS = 1.5   # png2ico's empty-folder run, at most
WRESTOOL = "/usr/bin/wrestool"
TIME = "/usr/bin/time"   # GNU time, for the peak RSS


def spawn(argv):
    actions = [(os.POSIX_SPAWN_OPEN, fd, os.devnull, os.O_RDWR, 0) for fd in (0, 1, 2)]
    pid = os.posix_spawn(argv[0], argv, os.environ, file_actions=actions)
    os.waitpid(pid, 0)


def run_once(argv, work):
    """Wall time (s) and peak RSS (KiB) of one run, output dropped."""
    start = time.perf_counter()
    spawn(argv)
    wall = time.perf_counter() - start
    # A child spawned from here counts this process's memory in its peak
    # (the kernel keeps the peak across exec); GNU time's child starts from
    # time's own small memory instead.
    report = os.path.join(work, "rss")
    spawn([TIME, "-f", "%M", "-o", report] + argv)
    with open(report) as f:
        rss = int(f.read().split()[-1])
    return wall, rss


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--png2ico", required=True)
    parser.add_argument("--before", help="another png2ico to time in the same rounds")
    parser.add_argument("--repeats", type=int, default=50)
    args = parser.parse_args()

    with tempfile.TemporaryDirectory() as work:
        empty = os.path.join(work, "empty")
        os.mkdir(empty)

        def png2ico(program):
            return [program, "-s", "16", "32bpp", "-i", empty, "-o", os.path.join(work, "out"), "-noconfirm"]

        commands = [("png2ico (empty folder)", png2ico(args.png2ico))]
        if args.before and os.access(args.before, os.X_OK):
            commands.append(("png2ico before", png2ico(args.before)))
        elif args.before:
            print("start-up: --before %s is not a program; timed without it" % args.before)
        commands.append(("/bin/true", ["/bin/true"]))
        if os.access(WRESTOOL, os.X_OK):
            commands.append(("wrestool --help", [WRESTOOL, "--help"]))
        best = {name: (float("inf"), 0) for name, _ in commands}
        # Interleaved rounds: every command sees the same machine load.
        for _ in range(args.repeats):
            for name, argv in commands:
                wall, rss = run_once(argv, work)
                if wall < best[name][0]:
                    best[name] = (wall, best[name][1])
                best[name] = (best[name][0], max(best[name][1], rss))

    true_ms = best["/bin/true"][0] * 1000
    wrestool = "wrestool --help"
    wrestool_ms = best[wrestool][0] * 1000 if wrestool in best else None
    print("start-up (best of %d, same run; peak RSS the largest seen):" % args.repeats)
    print("  %-24s %8s %8s %10s %12s" % ("", "ms", "x true", "x wrestool", "peak RSS"))
    for name, _ in commands:
        wall, rss = best[name]
        against = "%10.2f" % (wall * 1000 / wrestool_ms) if wrestool_ms else "%10s" % "-"
        print("  %-24s %8.3f %8.2f %s %8.1f MiB" % (name, wall * 1000, wall * 1000 / true_ms, against, rss / 1024))
    ours = best["png2ico (empty folder)"][0] * 1000
    print("  target: png2ico's empty-folder run <= %.1f ms: %.3f ms  [%s]"
          % (TARGET_MS, ours, "met" if ours <= TARGET_MS else "NOT met"))


if __name__ == "__main__":
    main()
