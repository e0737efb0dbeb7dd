"""The Python side of e2e_driver.exe: one request line out, one JSON answer line back."""
import json
import queue
import subprocess
import threading


class DriverError(AssertionError):
    pass


class Driver:
    def __init__(self, args, env, log_file, cwd=None):
        self.process = subprocess.Popen(args, env=env, cwd=cwd, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        stderr=log_file, bufsize=0)
        self._answers = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()
        hello = self._next(60, "start")
        self.pid = hello["pid"]  # the driver's Windows process id

    def _read(self):
        for line in self.process.stdout:
            self._answers.put(line)
        self._answers.put(None)

    def _next(self, timeout, what):
        try:
            line = self._answers.get(timeout=timeout)
        except queue.Empty:
            raise DriverError(f"driver gave no answer to {what} within {timeout} s") from None
        if line is None:
            raise DriverError(f"driver ended (exit code {self.process.poll()}) during {what}")
        return json.loads(line.decode("utf-8"))

    def cmd(self, name, **args):
        """Runs one command and returns its answer; a failed command raises DriverError."""
        request = dict(args, cmd=name)
        self.process.stdin.write((json.dumps(request, ensure_ascii=False) + "\n").encode("utf-8"))
        self.process.stdin.flush()
        wait = 30 + (args.get("timeout", 0) or 0) / 1000 + (args.get("ms", 0) or 0) / 1000
        answer = self._next(wait, name)
        if not answer.get("ok"):
            raise DriverError(f"driver command {name} {args}: {answer.get('error')}")
        return answer

    # Conveniences used by the scenarios. Times are milliseconds, as the driver takes them.

    def find(self, timeout=0, cls=None, **filters):
        """The first top-level window matching title, class (cls), exe and pid, or None. The
        window's "found_at" is the driver's time (ms) when it saw it."""
        if cls is not None:
            filters["class"] = cls
        answer = self.cmd("find", timeout=timeout, **filters)
        window = answer["window"]
        if window is not None:
            window["found_at"] = answer["t"]
        return window

    def wait_window(self, timeout=10000, cls=None, **filters):
        window = self.find(timeout=timeout, cls=cls, **filters)
        if window is None:
            raise DriverError(f"no window {dict(filters, cls=cls)} appeared within {timeout} ms")
        return window

    def windows(self, cls=None, **filters):
        if cls is not None:
            filters["class"] = cls
        return self.cmd("windows", **filters)["windows"]

    def info(self, hwnd):
        return self.cmd("info", hwnd=hwnd)

    def children(self, hwnd):
        return self.cmd("children", hwnd=hwnd)["children"]

    def text(self, hwnd):
        return self.cmd("get_text", hwnd=hwnd)["text"]

    def send(self, hwnd, msg, wparam=0, lparam=0):
        return self.cmd("send", hwnd=hwnd, msg=msg, wparam=wparam, lparam=lparam)["result"]

    def click(self, x, y, button="left", double=False):
        return self.cmd("click", x=x, y=y, button=button, double=double)

    def key(self, key, **options):
        return self.cmd("key", key=key, **options)

    def capslock_on(self):
        return self.cmd("keystate", key="capslock")["toggled"]

    def close(self):
        if self.process.poll() is None:
            try:
                self.process.stdin.write(b'{"cmd": "quit"}\n')
                self.process.stdin.flush()
                self.process.wait(timeout=5)
            except (OSError, subprocess.TimeoutExpired):
                self.process.kill()
                self.process.wait()
