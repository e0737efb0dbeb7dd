"""A private X display: Xvfb on the first free display number from 90 on."""
import ctypes
import os
import signal
import subprocess
import time

SCREEN_WIDTH = 1280
SCREEN_HEIGHT = 1024


def _die_with_parent():
    # If the test process is killed outright, its X server goes with it.
    PR_SET_PDEATHSIG = 1
    try:
        ctypes.CDLL("libc.so.6", use_errno=True).prctl(PR_SET_PDEATHSIG, signal.SIGTERM)
    except OSError:
        pass


def _taken(number):
    return os.path.exists(f"/tmp/.X{number}-lock") or os.path.exists(f"/tmp/.X11-unix/X{number}")


class Display:
    def __init__(self, log_path, first=90, last=189):
        self.number = None
        self.process = None
        self._log = open(log_path, "ab")
        for number in range(first, last + 1):
            if _taken(number):
                continue
            if self._try_start(number):
                self.number = number
                return
        self._log.close()
        raise RuntimeError(f"no free X display between :{first} and :{last}")

    @property
    def name(self):
        return f":{self.number}"

    def _try_start(self, number):
        process = subprocess.Popen(
            ["Xvfb", f":{number}", "-screen", "0", f"{SCREEN_WIDTH}x{SCREEN_HEIGHT}x24", "-nolisten", "tcp",
             "-noreset"],
            stdin=subprocess.DEVNULL, stdout=self._log, stderr=self._log, preexec_fn=_die_with_parent)
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline:
            if process.poll() is not None:
                return False  # someone else took the number in the meantime
            if os.path.exists(f"/tmp/.X11-unix/X{number}"):
                probe = subprocess.run(["xdpyinfo", "-display", f":{number}"], stdout=subprocess.DEVNULL,
                                       stderr=subprocess.DEVNULL)
                if probe.returncode == 0:
                    self.process = process
                    return True
            time.sleep(0.05)
        process.kill()
        process.wait()
        return False

    def screenshot(self, path):
        # -silent: import rings the display's bell otherwise, which would pass for the program's beep.
        subprocess.run(["import", "-display", self.name, "-window", "root", "-silent", str(path)], check=True,
                       stdout=subprocess.DEVNULL, stderr=self._log, timeout=30)

    def close(self):
        if self.process and self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.process = None
        self._log.close()
