"""Cleans up after a session whose process was killed outright (SIGKILL, as ctest does on a
timeout): started in a session of its own, it waits for its stdin to close. A session that
ends normally writes "done" first and the reaper leaves quietly.

  python3 reaper.py WINEPREFIX XVFB_PID"""
import os
import signal
import subprocess
import sys

from wine_prefix import WINESERVER


def main():
    prefix, xvfb_pid = sys.argv[1], int(sys.argv[2])
    if sys.stdin.read().strip() == "done":
        return
    env = dict(os.environ, WINEPREFIX=prefix)
    subprocess.run([WINESERVER, "-k"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
    try:
        os.kill(xvfb_pid, signal.SIGTERM)
    except ProcessLookupError:
        pass


if __name__ == "__main__":
    main()
