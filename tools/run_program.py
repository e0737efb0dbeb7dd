"""Starts the Windows program under Wine: on the user's display when there is one, otherwise on
a private virtual display, where it leaves a screenshot and ends the program again."""
import os
import shutil
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e", "lib"))

from display import Display  # noqa: E402
from wine_prefix import WINE, WinePrefix  # noqa: E402

LOCALE = "zh_CN.UTF-8"


def main():
    exe = os.path.join(ROOT, "build", "windows", "ZelvornMouse.exe")
    run_dir = os.path.join(ROOT, "build", "run")
    os.makedirs(run_dir, exist_ok=True)
    # Task files are saved next to the program, so it runs from a folder that keeps them.
    shutil.copy2(exe, run_dir)
    program = os.path.join(run_dir, "ZelvornMouse.exe")
    log = open(os.path.join(run_dir, "wine.log"), "ab")

    display = None
    display_name = os.environ.get("DISPLAY")
    if not display_name:
        print("No display found (DISPLAY is not set): running the program on a private virtual display.")
        display = Display(os.path.join(run_dir, "xvfb.log"))
        display_name = display.name

    prefix = WinePrefix(os.path.join(ROOT, "build", "wineprefix-run"), log)
    if prefix.ensure(display_name, LOCALE):
        print("Made the Wine prefix build/wineprefix-run (once).")
    env = prefix.env(display_name, LOCALE)
    print(f"Starting {program} under Wine on {display_name}.")
    app = subprocess.Popen([WINE, program], cwd=run_dir, env=env, stdin=subprocess.DEVNULL,
                           stdout=log, stderr=log)
    if display is None:
        code = app.wait()
        print(f"The program ended with exit code {code}.")
        return code

    try:
        time.sleep(7)  # the splash stands 3 s, then the main window
        shot = os.path.join(run_dir, "screenshot.png")
        display.screenshot(shot)
        print(f"Screenshot of the running program: {shot}")
    finally:
        app.terminate()
        prefix.kill_server()
        display.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
