#!/usr/bin/python3
"""Start-up to the first painting of a capture: the program (startup_window, on the capture folder)
against a bare Qt window painting the same image (startup_floor, on the folder's first .tif).
All programs run in turn, each with fresh user folders; prints, in milliseconds from the spawn,
the median and the best of each, with the medians of the marks on the way (main entered, window
built, first painting of any window, open started, document arrived) and of the processor time the
GUI thread used until the picture showed, and the ratio of each median to the floor's.
More start-up executables (an earlier build, say) can be named to be measured in the same turns.
Needs a display:

    xvfb-run -a -s '-screen 0 1280x1024x24' bench/startup/startup_times.py BUILD-DIR CAPTURE-FOLDER \\
        [RUNS [OTHER-STARTUP-WINDOW...]]
"""
import glob
import os
import statistics
import subprocess
import sys
import tempfile
import time


def marks_after(command):
    """The marks a run prints, in milliseconds after its spawn."""
    with tempfile.TemporaryDirectory() as home:
        env = dict(os.environ)
        for name in ("XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"):
            env[name] = os.path.join(home, name)
            os.makedirs(env[name])
        env["KY_INSTANCE_LOCK_DIR"] = home
        start = time.monotonic_ns()
        done = subprocess.run(command, env=env, capture_output=True, text=True, timeout=60)
        marks = {}
        for line in done.stdout.splitlines():
            parts = line.split()
            if len(parts) == 2 and parts[1].isdigit():
                marks[parts[0]] = int(parts[1]) / 1e6 if parts[0] == "gui-cpu" else (int(parts[1]) - start) / 1e6
        if "shown" not in marks:
            raise RuntimeError(f"{command[0]} showed nothing: {done.stderr[-2000:]}")
        return marks


def main():
    build, capture = sys.argv[1], sys.argv[2]
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 9
    image = sorted(glob.glob(os.path.join(capture, "*.tif")))[0]
    programs = {"floor": [os.path.join(build, "bench", "startup_floor"), image],
                "window": [os.path.join(build, "bench", "startup_window"), capture]}
    for other in sys.argv[4:]:
        programs[os.path.basename(other)] = [other, capture]
    results = {name: [] for name in programs}
    marks_after(programs["window"])  # warms the file cache
    for _ in range(runs):
        for name, command in programs.items():
            results[name].append(marks_after(command))
    floor = statistics.median(r["shown"] for r in results["floor"])
    for name, runs_marks in results.items():
        shown = [r["shown"] for r in runs_marks]
        steps = ", ".join(f"{mark} {statistics.median(r[mark] for r in runs_marks):.0f}"
                          for mark in ("main", "built", "painted", "open", "opened") if all(mark in r for r in runs_marks))
        cpu = [r["gui-cpu"] for r in runs_marks if "gui-cpu" in r]
        used = f", GUI thread processor time median {statistics.median(cpu):.0f} ms" if len(cpu) == len(runs_marks) else ""
        print(f"{name:22s} shown: median {statistics.median(shown):6.1f} ms, best {min(shown):6.1f} ms,"
              f" {statistics.median(shown) / floor:.2f} x floor ({steps}){used}")


if __name__ == "__main__":
    main()
