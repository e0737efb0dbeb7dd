"""Runs end-to-end scenarios, each in a session of its own.

  python3 run_scenario.py --exe ZelvornMouse.exe --driver e2e_driver.exe \
      --click-target click_target.exe --work DIR scenarios/test_startup.py [FUNCTION ...]

Without FUNCTION every test_* function of the file runs. Exit code 0 when all passed."""
import argparse
import importlib.util
import os
import signal
import sys
import time
import traceback

sys.dont_write_bytecode = True  # keep the source tree free of __pycache__
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from harness import DEFAULT_DPI, DEFAULT_LOCALE, Paths, Session  # noqa: E402


class Deadline(Exception):
    pass


def _on_alarm(signum, frame):
    raise Deadline("the scenario ran out of time")


def _on_term(signum, frame):
    raise SystemExit(f"stopped by signal {signum}")


def load(path):
    spec = importlib.util.spec_from_file_location(os.path.splitext(os.path.basename(path))[0], path)
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


def run_one(module, function_name, paths, deadline_s):
    function = getattr(module, function_name, None)
    if function is None:
        print(f"{module.__name__} has no scenario {function_name}")
        return False
    options = getattr(function, "e2e_options", {})
    name = f"{module.__name__.removeprefix('test_')}.{function_name.removeprefix('test_')}"
    session = Session(name, paths, locale=options.get("locale", DEFAULT_LOCALE), dpi=options.get("dpi", DEFAULT_DPI),
                      log=lambda text: print(f"[{name}] {text}", flush=True))
    started = time.monotonic()
    failed = True
    signal.alarm(deadline_s)
    try:
        session.open()
        function(session)
        failed = False
    except BaseException:  # noqa: B036 - a deadline or a signal must still clean up and report
        traceback.print_exc(file=sys.stdout)
    finally:
        signal.alarm(0)
        session.close(failed=failed)
    print(f"[{name}] {'FAILED' if failed else 'passed'} in {time.monotonic() - started:.1f} s; "
          f"artifacts in {session.artifacts}", flush=True)
    return not failed


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--exe", required=True)
    parser.add_argument("--driver", required=True)
    parser.add_argument("--click-target", required=True)
    parser.add_argument("--work", required=True, help="folder for the Wine prefix, run directories and artifacts")
    parser.add_argument("--deadline", type=int, default=240, help="seconds one scenario may take")
    parser.add_argument("scenario_file")
    parser.add_argument("functions", nargs="*")
    args = parser.parse_args()

    for path in (args.exe, args.driver, args.click_target):
        if not os.path.isfile(path):
            print(f"missing: {path}")
            return 2
    signal.signal(signal.SIGALRM, _on_alarm)
    signal.signal(signal.SIGTERM, _on_term)
    module = load(args.scenario_file)
    functions = args.functions or [n for n, v in vars(module).items() if n.startswith("test_") and callable(v)]
    paths = Paths(args.exe, args.driver, args.click_target, args.work)
    results = [run_one(module, f, paths, args.deadline) for f in functions]
    return 0 if results and all(results) else 1


if __name__ == "__main__":
    sys.exit(main())
