"""Time from starting a program to its window "Form1" (or the title given) being
mapped, against a baseline program, alternating runs on one Xvfb + openbox session.

usage: startup.py RUNS [--title TITLE] -- PROGRAM [ARGS] -- BASELINE [ARGS]
Prints the medians and "startup/baseline ratio: X.XX"."""

import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "e2e"))
from harness import X11Session  # noqa: E402


def time_to_window(x, command, cwd, title="Form1"):
    start = time.monotonic()
    process = subprocess.Popen(command, cwd=cwd, env=x.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        while not x.visible_windows(title):
            if time.monotonic() - start > 60:
                raise RuntimeError(f"no window from {command}")
        return time.monotonic() - start
    finally:
        process.kill()
        process.wait()
        while x.visible_windows(title):
            time.sleep(0.01)


def main():
    runs = int(sys.argv[1])
    title = sys.argv[3] if sys.argv[2] == "--title" else "Form1"
    rest = sys.argv[5:] if sys.argv[2] == "--title" else sys.argv[3:]
    split = rest.index("--")
    program, baseline = rest[:split], rest[split + 1:]
    for command in (program, baseline):  # relative paths are taken from here, not the scratch folder
        command[:] = [str(Path(part).resolve()) if Path(part).exists() else part for part in command]
    x = X11Session()
    try:
        with tempfile.TemporaryDirectory() as cwd:
            time_to_window(x, program, cwd, title)  # warm the caches for both
            time_to_window(x, baseline, cwd, title)
            ours, base = [], []
            for _ in range(runs):
                ours.append(time_to_window(x, program, cwd, title))
                base.append(time_to_window(x, baseline, cwd, title))
    finally:
        x.close()
    ours_ms, base_ms = statistics.median(ours) * 1000, statistics.median(base) * 1000
    print(f"program median: {ours_ms:.1f} ms, baseline median: {base_ms:.1f} ms over {runs} runs each")
    print(f"startup/baseline ratio: {ours_ms / base_ms:.2f}")


if __name__ == "__main__":
    main()
