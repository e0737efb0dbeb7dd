"""Playback measured under Wine: how exactly the recorded delays are waited, how fast the pointer
glides at the speed positions 1, 10 and 100 (with the CPU time of the run), and whether the cost
of an event stays flat over a 10,000-event task file. Clicks are timed by the message time that
click_target.exe logs with each (when the program's input reached the system; the time the
target took them is given too), glides by the pointer position that the driver samples.

  python3 bench/playback/playback_bench.py --win-build build/win --work build/bench-playback \\
      [--only delays,glide,large] [--runs 3] [--json figures.json]

Each measurement runs in a session of its own (a private Xvfb display and Wine prefix under
--work, as the end-to-end tests use them)."""
import argparse
import json
import os
import statistics
import sys
import time

sys.dont_write_bytecode = True
ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e", "lib"))

from app_model import (CLICK_PRESSES, PLAYING_CAPTION, click_control, control, main_state, put_task,  # noqa: E402
                       select_task, set_pass_count, set_slider_by_keys, start_main)
from harness import Paths, Session  # noqa: E402


# --- Helpers ------------------------------------------------------------------------------------

def cpu_seconds(pid):
    """utime + stime of a Linux process, all its threads."""
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def wineserver_pid(prefix):
    """The wineserver of this session's prefix (read-only look at /proc)."""
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/cmdline", "rb") as f:
                command = f.read().split(b"\0")[0]
            if not os.path.basename(command).startswith(b"wineserver"):
                continue
            with open(f"/proc/{entry}/environ", "rb") as f:
                if f"WINEPREFIX={prefix}".encode() in f.read().split(b"\0"):
                    return int(entry)
        except OSError:
            continue
    return None


def line_of(events, delay=0, start=(400, 400)):
    """events clicks (type 0), alternately on two neighbouring pixels: each glide is 2 iterations."""
    x, y = start
    return [(x + k % 2, y, 0, 0 if k == 0 else delay) for k in range(events)]


class Targets:
    """Small click targets around the click points, so that the glides between them run over no
    window: under Wine a program whose window lies under the pointer reports each of our pointer
    warps back as a move of its own, some warps late, which pushes a glide back or ends it early
    (see the glide's edge rule)."""

    def __init__(self, s, points, half=10):
        self.targets = [s.start_click_target(geometry=(x - half, y - half, 2 * half + 2, 2 * half + 2))
                        for x, y in points]

    def presses(self):
        """The click presses so far, with t (when the target took them, performance-counter ms) and
        made (their message time: when the program's mouse_event reached the system, tick ms)."""
        found = [{"message": f[0], "x": int(f[1]), "y": int(f[2]), "t": float(f[3]), "made": int(f[4])}
                 for target in self.targets for f in target.lines() if f[0] in CLICK_PRESSES]
        return sorted(found, key=lambda e: e["t"])

    def press_count(self):
        return sum(1 for target in self.targets for f in target.lines() if f[0] in CLICK_PRESSES)


class Bench:
    def __init__(self, s, points):
        self.s = s
        self.points = points
        self.run_dir = s.new_run_dir()
        self.app = self.main = self.target = None

    def start(self):
        self.app, self.main = start_main(self.s, run_dir=self.run_dir)
        self.target = Targets(self.s, self.points)

    def play(self, name, passes, samples=None):
        """Plays the task; gives (the click presses of the run, wall seconds, program CPU s, wineserver
        CPU s). With a list for samples, appends (clicks so far, program CPU s, wineserver CPU s)
        about twice a second."""
        s, main = self.s, self.main
        select_task(s, main, name)
        set_pass_count(s, main, str(passes))
        before = len(self.target.presses())
        server = wineserver_pid(s.prefix.path)
        program = self.app.process.pid
        cpu0, server0, wall0 = cpu_seconds(program), cpu_seconds(server), time.monotonic()
        click_control(s, control(s, main, "播放"))
        # The run has begun once the caption says so (the previous run's texts are still there).
        while main_state(s, main)["caption"] != PLAYING_CAPTION and time.monotonic() - wall0 < 10:
            time.sleep(0.005)
        while True:
            if samples is not None:
                samples.append((self.target.press_count() - before, cpu_seconds(program), cpu_seconds(server)))
            state = main_state(s, main)
            if state["caption"] != PLAYING_CAPTION:
                break
            assert time.monotonic() - wall0 < 1800, f"{name}: the run did not end"
            time.sleep(0.5)
        wall = time.monotonic() - wall0
        cpu, server_cpu = cpu_seconds(program) - cpu0, cpu_seconds(server) - server0
        time.sleep(0.3)
        return self.target.presses()[before:], wall, cpu, server_cpu

    def stop(self):
        self.s.driver.cmd("close", hwnd=self.main["hwnd"])
        assert self.app.wait() == 0


def pass_gaps(presses, per_pass, clock="made"):
    """Gaps (ms) between consecutive clicks inside each pass, by the given clock."""
    assert len(presses) % per_pass == 0, f"{len(presses)} clicks for passes of {per_pass}"
    gaps = []
    for p in range(0, len(presses), per_pass):
        times = [e[clock] for e in presses[p:p + per_pass]]
        gaps += [b - a for a, b in zip(times, times[1:])]
    return gaps


# --- Measurements ---------------------------------------------------------------------------------

def measure_delays(s, runs):
    """Gap between consecutive clicks against floor(delay / 100) x 100 ms; the glide between them is
    2 iterations and is not subtracted (delay 0 shows what it and the click cost)."""
    plan = [(0, 11), (100, 11), (250, 11), (1000, 6), (5000, 4)]
    bench = Bench(s, [(400, 400)])
    for delay, events in plan:
        put_task(bench.run_dir, f"delay{delay}", line_of(events, delay))
    bench.start()
    rows = []
    for delay, events in plan:
        presses, _, _, _ = bench.play(f"delay{delay}", runs)
        expected = delay // 100 * 100
        errors = [g - expected for g in pass_gaps(presses, events)]
        arrival = [g - expected for g in pass_gaps(presses, events, clock="t")]
        rows.append({"delay_ms": delay, "expected_ms": expected, "gaps": len(errors),
                     "mean_error_ms": round(statistics.mean(errors), 1),
                     "worst_error_ms": round(max(errors, key=abs), 1),
                     "min_error_ms": round(min(errors), 1),
                     "arrival_mean_error_ms": round(statistics.mean(arrival), 1),
                     "arrival_worst_error_ms": round(max(arrival, key=abs), 1)})
        s.say(f"delay {delay}: {rows[-1]}")
    bench.stop()
    return rows


def glide_paces(samples, start_x, end_x, margin=50):
    """Pixels per second of each glide from start_x to end_x along y = 100, from the pointer samples
    (t, x, y) taken while it was more than margin pixels away from both ends."""
    paces, run = [], []

    def finish():
        if len(run) >= 2 and run[-1][1] - run[0][1] >= (end_x - start_x - 2 * margin) // 2:
            (t0, x0), (t1, x1) = run[0], run[-1]
            paces.append((x1 - x0) / ((t1 - t0) / 1000))
    for t, x, y in samples:
        inside = y in (100, 101) and start_x + margin <= x <= end_x - margin
        if inside and (not run or x >= run[-1][1]):
            run.append((t, x))
            continue
        finish()
        run = [(t, x)] if inside else []
    finish()
    return paces


def measure_glide(s, runs):
    """Pixels per second of a glide along x at the speed positions 1, 10 and 100, read from the
    pointer position sampled by the driver (no window lies on the path: see Targets), and the CPU
    time of each run."""
    plan = [(1, ["home"], 1000), (10, ["home"] + ["right"] * 9, 1000), (100, ["end"], 300)]
    run_dir = s.new_run_dir()
    for speed, _, distance in plan:
        put_task(run_dir, f"speed{speed}", [(100, 100, 0, 0), (100 + distance, 100, 0, 0)])
    app, main = start_main(s, run_dir=run_dir)
    rows = []
    for speed, keys, distance in plan:
        position = set_slider_by_keys(s, main, "鼠标滑块条", keys)
        assert position == speed, f"鼠标滑块条 at {position}, wanted {speed}"
        label = control(s, main, "鼠标速度")["text"]
        assert label == str(speed), f"鼠标速度 shows {label!r}"
        select_task(s, main, f"speed{speed}")
        set_pass_count(s, main, str(runs))
        server = wineserver_pid(s.prefix.path)
        cpu0, server0, wall0 = cpu_seconds(app.process.pid), cpu_seconds(server), time.monotonic()
        click_control(s, control(s, main, "播放"))
        samples, checked, started = [], time.monotonic(), False
        while True:
            answer = s.driver.cmd("cursor")
            samples.append((answer["t"], answer["x"], answer["y"]))
            time.sleep(0.01)
            if time.monotonic() - checked > 0.25:
                checked = time.monotonic()
                playing = main_state(s, main)["caption"] == PLAYING_CAPTION
                if started and not playing:
                    break
                started = started or playing
        wall = time.monotonic() - wall0
        cpu, server_cpu = cpu_seconds(app.process.pid) - cpu0, cpu_seconds(server) - server0
        paces = glide_paces(samples, 100, 100 + distance)
        assert paces, f"speed {speed}: no glide seen in {len(samples)} samples"
        mean = statistics.mean(paces)
        rows.append({"speed": speed, "glides": len(paces), "px_per_s": round(mean, 1),
                     "slowest_px_per_s": round(min(paces), 1), "fastest_px_per_s": round(max(paces), 1),
                     "ms_per_iteration": round(1000 / mean, 3), "run_wall_s": round(wall, 2),
                     "program_cpu_s": round(cpu, 2), "program_cpu_share": round(cpu / wall, 3),
                     "wineserver_cpu_s": round(server_cpu, 2)})
        s.say(f"speed {speed}: {rows[-1]}")
    s.driver.cmd("close", hwnd=main["hwnd"])
    assert app.wait() == 0
    return rows


def cpu_per_event(samples, first, last):
    """Program and wineserver CPU ms per event between the samples nearest to first and last clicks."""
    def nearest(count):
        return min(samples, key=lambda sample: abs(sample[0] - count))
    (n0, p0, w0), (n1, p1, w1) = nearest(first), nearest(last)
    if n1 <= n0:
        return "n/a"
    return f"{(p1 - p0) * 1000 / (n1 - n0):.2f} + {(w1 - w0) * 1000 / (n1 - n0):.2f}"


def measure_large(s, runs):
    """Cost per event (glide of 2 iterations, click, reads; no waits) over a 10,000-event file:
    the first 500 events against the last 500, and a 500-event file for comparison."""
    plan = [("events500", 500), ("events10000", 10000)]
    bench = Bench(s, [(500, 300)])
    for name, events in plan:
        put_task(bench.run_dir, name, line_of(events, 0, start=(500, 300)))
    bench.start()
    rows = []
    for name, events in plan:
        for run in range(runs):
            samples = []
            presses, wall, cpu, server_cpu = bench.play(name, 1, samples)
            assert len(presses) == events, f"{name}: {len(presses)} clicks"
            head_cpu, tail_cpu = cpu_per_event(samples, 0, 500), cpu_per_event(samples, events - 500, events)
            t = [e["made"] for e in presses]
            head = (t[499] - t[0]) / 499
            tail = (t[-1] - t[-500]) / 499
            # ms per event in each block of 500, and its trend over the file (least squares)
            blocks = [(t[k + 499] - t[k]) / 499 for k in range(0, events - 499, 500)]
            slope = statistics.linear_regression(range(len(blocks)), blocks).slope * 2 if len(blocks) > 1 else 0.0
            rows.append({"file_events": events, "run": run + 1, "first_500_ms_per_event": round(head, 3),
                         "last_500_ms_per_event": round(tail, 3),
                         "blocks_min_max_ms": f"{min(blocks):.2f}..{max(blocks):.2f}",
                         "trend_ms_per_1000_events": round(slope, 3),
                         "cpu_ms_per_event_first_500": head_cpu, "cpu_ms_per_event_last_500": tail_cpu,
                         "events_per_s": round((events - 1) / ((t[-1] - t[0]) / 1000), 1),
                         "run_wall_s": round(wall, 2), "program_cpu_s": round(cpu, 2),
                         "wineserver_cpu_s": round(server_cpu, 2)})
            s.say(f"{name}: {rows[-1]}")
    bench.stop()
    return rows


MEASUREMENTS = {"delays": measure_delays, "glide": measure_glide, "large": measure_large}


def print_table(title, rows):
    print(f"\n{title}")
    if not rows:
        return
    keys = list(rows[0])
    widths = [max(len(k), *(len(str(r[k])) for r in rows)) for k in keys]
    print("  ".join(k.ljust(w) for k, w in zip(keys, widths)))
    for r in rows:
        print("  ".join(str(r[k]).ljust(w) for k, w in zip(keys, widths)))


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--win-build", required=True, help="the mingw build tree with ZelvornMouse.exe and the tools")
    parser.add_argument("--work", required=True, help="folder for the Wine prefix, run directories and logs")
    parser.add_argument("--only", default=",".join(MEASUREMENTS), help="comma-separated: " + ", ".join(MEASUREMENTS))
    parser.add_argument("--runs", type=int, default=3, help="passes (or runs) per figure")
    parser.add_argument("--json", help="also write the figures to this file")
    args = parser.parse_args()

    build = os.path.abspath(args.win_build)
    paths = Paths(os.path.join(build, "ZelvornMouse.exe"), os.path.join(build, "e2e_driver.exe"),
                  os.path.join(build, "click_target.exe"), args.work)
    figures = {}
    for name in args.only.split(","):
        session = Session(f"bench.{name}", paths, log=lambda text, n=name: print(f"[{n}] {text}", flush=True))
        failed = True
        started = time.monotonic()
        try:
            session.open()
            figures[name] = MEASUREMENTS[name](session, args.runs)
            failed = False
        finally:
            session.close(failed=failed)
            print(f"[{name}] {'failed' if failed else 'done'} in {time.monotonic() - started:.0f} s", flush=True)
    for name, rows in figures.items():
        print_table(name, rows)
    if args.json:
        with open(args.json, "w") as f:
            json.dump(figures, f, indent=1)
    return 0


if __name__ == "__main__":
    sys.exit(main())
