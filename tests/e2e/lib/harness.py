"""One end-to-end session: a private X display, the cached Wine prefix, the program copied into
a fresh run directory, the driver, screenshots, and the cleanup of everything it started."""
import contextlib
import fcntl
import json
import os
import shutil
import subprocess
import sys
import time

from display import Display
from driver_client import Driver, DriverError
from wine_prefix import WINE, WinePrefix, windows_path

DEFAULT_LOCALE = "zh_CN.UTF-8"
DEFAULT_DPI = 96
# Chinese characters and a space, so that the program meets a run directory like a user's.
RUN_DIR_NAME = "运行 目录 {n}"


def scenario(locale=DEFAULT_LOCALE, dpi=DEFAULT_DPI):
    """Marks the settings a scenario needs before Wine starts: locale (en_US.UTF-8 gives the ANSI
    code page 1252, zh_CN.UTF-8 gives 936) and system DPI."""
    def mark(function):
        function.e2e_options = {"locale": locale, "dpi": dpi}
        return function
    return mark


class Paths:
    def __init__(self, exe, driver, click_target, work):
        self.exe = os.path.abspath(exe)
        self.driver = os.path.abspath(driver)
        self.click_target = os.path.abspath(click_target)
        self.work = os.path.abspath(work)


class App:
    """The program under test, started through Wine; the exit code is the Windows process's."""

    def __init__(self, process, run_dir, exe_path):
        self.process = process
        self.run_dir = run_dir
        self.exe_path = exe_path

    @property
    def running(self):
        return self.process.poll() is None

    def wait(self, timeout=10):
        """Waits for the process to end and returns its exit code."""
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError(f"the program did not end within {timeout} s") from None


class ClickTarget:
    """click_target.exe and its log of mouse button messages."""

    def __init__(self, process, log_path):
        self.process = process
        self.log_path = log_path
        self.hwnd = None
        self.rect = None

    def lines(self):
        try:
            with open(self.log_path, encoding="ascii") as f:
                return [line.split() for line in f if line.endswith("\n")]
        except FileNotFoundError:
            return []

    def wait_ready(self, timeout=20):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            for fields in self.lines():
                if fields[0] == "ready":
                    self.hwnd = int(fields[1])
                    self.rect = tuple(int(v) for v in fields[2:6])
                    return self
            if self.process.poll() is not None:
                raise AssertionError(f"click_target ended with exit code {self.process.returncode}")
            time.sleep(0.05)
        raise AssertionError(f"click_target not ready within {timeout} s")

    def events(self):
        """Mouse button messages so far: dicts with message, x, y and t (performance-counter ms)."""
        return [{"message": f[0], "x": int(f[1]), "y": int(f[2]), "t": float(f[3])}
                for f in self.lines() if f[0].startswith("WM_")]

    def focus_events(self):
        return [(f[0], float(f[1])) for f in self.lines() if f[0] in ("focus", "unfocus")]


class Session:
    def __init__(self, name, paths, locale=DEFAULT_LOCALE, dpi=DEFAULT_DPI, log=print):
        self.name = name
        self.paths = paths
        self.locale = locale
        self.dpi = dpi
        self.say = log
        self.artifacts = os.path.join(paths.work, "artifacts", name)
        self.runs = os.path.join(paths.work, "runs", name)
        self.display = None
        self.prefix = None
        self.driver = None
        self._processes = []
        self._shots = 0
        self._run_dirs = 0
        self._lock = None
        self._wine_log = None
        self._reaper = None

    # Setting up

    def open(self):
        os.makedirs(self.paths.work, exist_ok=True)
        # One session at a time per prefix: a prefix has one wineserver and one desktop.
        self._lock = open(os.path.join(self.paths.work, ".session.lock"), "w")
        fcntl.flock(self._lock, fcntl.LOCK_EX)
        shutil.rmtree(self.artifacts, ignore_errors=True)
        shutil.rmtree(self.runs, ignore_errors=True)
        os.makedirs(self.artifacts)
        os.makedirs(self.runs)
        self._wine_log = open(os.path.join(self.artifacts, "wine.log"), "ab")
        self.display = Display(os.path.join(self.artifacts, "xvfb.log"))
        self.prefix = WinePrefix(os.path.join(self.paths.work, "wineprefix"), self._wine_log)
        self._reaper = subprocess.Popen(
            [sys.executable, "-B", os.path.join(os.path.dirname(os.path.abspath(__file__)), "reaper.py"), self.prefix.path,
             str(self.display.process.pid)],
            stdin=subprocess.PIPE, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
        started = time.monotonic()
        if self.prefix.ensure(self.display.name, self.locale):
            self.say(f"made the Wine prefix in {time.monotonic() - started:.1f} s")
        self.prefix.kill_server()  # a server left by a killed run would carry its state over
        self.prefix.set_dpi(self.dpi, self.display.name, self.locale)
        self.driver = self._start_driver()
        if self.driver.cmd("screen")["system_dpi"] != self.dpi:
            # The prefix lost the setting that its note says it has: write it again.
            self.driver.close()
            self.prefix.set_dpi(self.dpi, self.display.name, self.locale, force=True)
            self.driver = self._start_driver()
            dpi = self.driver.cmd("screen")["system_dpi"]
            if dpi != self.dpi:
                raise AssertionError(f"system DPI is {dpi}, wanted {self.dpi}")
        self.ensure_capslock_off()
        return self

    def _start_driver(self):
        return Driver([WINE, self.paths.driver], self.wine_env(), self._wine_log, cwd=os.path.dirname(self.paths.driver))

    def wine_env(self):
        return self.prefix.env(self.display.name, self.locale)

    def ensure_capslock_off(self):
        # A thread's Caps Lock toggle starts off and follows later changes, so the program
        # must start while the real state is off.
        if self.driver.capslock_on():
            self.driver.key("capslock")
        if self.driver.capslock_on():
            raise AssertionError("cannot switch Caps Lock off")

    # Programs

    def new_run_dir(self):
        self._run_dirs += 1
        path = os.path.join(self.runs, RUN_DIR_NAME.format(n=self._run_dirs))
        os.makedirs(path)
        return path

    def start_app(self, run_dir=None, args=()):
        """Copies the program into run_dir (a fresh one by default) and starts it from there."""
        self.ensure_capslock_off()
        run_dir = run_dir or self.new_run_dir()
        exe = os.path.join(run_dir, os.path.basename(self.paths.exe))
        if not os.path.exists(exe):
            shutil.copy2(self.paths.exe, exe)
        process = subprocess.Popen([WINE, exe, *args], cwd=run_dir, env=self.wine_env(), stdin=subprocess.DEVNULL,
                                   stdout=self._wine_log, stderr=self._wine_log)
        self._processes.append(process)
        return App(process, run_dir, exe)

    def start_click_target(self, geometry=None, wait=True):
        """Starts click_target.exe over the whole screen, or over (left, top, width, height)."""
        log_path = os.path.join(self.artifacts, f"clicks-{len(self._processes)}.log")
        args = [WINE, self.paths.click_target, windows_path(log_path)]
        if geometry:
            args += [str(v) for v in geometry]
        process = subprocess.Popen(args, cwd=os.path.dirname(self.paths.click_target), env=self.wine_env(),
                                   stdin=subprocess.DEVNULL, stdout=self._wine_log, stderr=self._wine_log)
        self._processes.append(process)
        target = ClickTarget(process, log_path)
        return target.wait_ready() if wait else target

    # Evidence

    def screenshot(self, label):
        self._shots += 1
        path = os.path.join(self.artifacts, f"{self._shots:02d}-{label}.png")
        self.display.screenshot(path)
        return path

    def artifact(self, file_name):
        return os.path.join(self.artifacts, file_name)

    def _record_failure(self):
        with contextlib.suppress(Exception):
            self.screenshot("failure")
        with contextlib.suppress(Exception):
            windows = self.driver.windows(all=False)
            with open(self.artifact("windows-at-failure.json"), "w", encoding="utf-8") as f:
                json.dump(windows, f, ensure_ascii=False, indent=1)

    # Tearing down

    def close(self, failed=False):
        if failed and self.driver and self.display:
            self._record_failure()
        steps = [
            lambda: self.driver and self.driver.close(),
            lambda: self.prefix and self.prefix.kill_server(),
            self._reap,
            lambda: self.display and self.display.close(),
            self._dismiss_reaper,
            lambda: self._wine_log and self._wine_log.close(),
            lambda: self._lock and self._lock.close(),
        ]
        for step in steps:
            try:
                step()
            except Exception as e:  # cleanup goes on whatever one step does
                self.say(f"cleanup: {e!r}")

    def _dismiss_reaper(self):
        if self._reaper:
            self._reaper.communicate(b"done\n", timeout=10)

    def _reap(self):
        for p in self._processes:
            if p.poll() is None:
                p.kill()
            with contextlib.suppress(subprocess.TimeoutExpired):
                p.wait(timeout=5)


__all__ = ["App", "ClickTarget", "DriverError", "Paths", "Session", "scenario"]
