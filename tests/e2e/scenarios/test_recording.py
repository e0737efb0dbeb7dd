"""Recording: the window's place and page during a recording, the hotkeys F6 to F9, the task file
that saving leaves, the interval stored in it, and what a recording costs while it waits."""
import contextlib
import os
import re
import time

from app_model import (EXE, PAGE0, PAGE1, answer_input_box, click_control, control, controls, input_box_state,
                       list_state, pending_files, read_bytes, recorded_delays, start_main, task_file_bytes, task_path,
                       wait_dialog, wait_until)
from display import SCREEN_HEIGHT, SCREEN_WIDTH

KEY_EVENT_TYPES = {"F6": 0, "F7": 1, "F8": 2, "F9": 3}


class Recording:
    """A recording started by a click on 录制; its pending file is the one that appears in the
    prefix's temporary folder afterwards."""

    def __init__(self, s, main):
        self.s = s
        self.earlier = pending_files(s)
        click_control(s, control(s, main, "录制"))
        wait_until(lambda: control(s, main, "按钮1")["visible"], what="page 1 of the recording")

    def pending_file(self):
        new = pending_files(self.s) - self.earlier
        assert len(new) <= 1, f"more than one new pending file: {new}"
        return next(iter(new), None)

    def wait_events(self, count, timeout=10.0):
        """Waits until the pending file holds count event sections; gives its bytes."""
        def holding():
            path = self.pending_file()
            data = read_bytes(path) if path else b""
            return data if len(recorded_delays(data)) >= count else None
        return wait_until(holding, timeout=timeout, what=f"{count} recorded events")


def start_recording(s, main):
    return Recording(s, main)


def press(s, key):
    """Presses a hotkey and gives the driver's time of the press (ms)."""
    return s.driver.key(key)["t"]


def expect_page(s, main, page):
    c = controls(s, main)
    shown, hidden = (PAGE1, PAGE0) if page == 1 else (PAGE0, PAGE1)
    assert all(c[name]["visible"] for name in shown), {n: c[n]["visible"] for n in shown}
    assert not any(c[name]["visible"] for name in hidden), {n: c[n]["visible"] for n in hidden}


def save_as_default(s, main):
    click_control(s, control(s, main, "按钮1"))
    box = wait_dialog(s, title="保存任务")
    state = input_box_state(s, box)
    answer_input_box(s, box)
    return state


def test_record_three_events_save_and_keep_the_interval(s):
    app, main = start_main(s)
    recording = start_recording(s, main)
    moved = s.driver.info(main["hwnd"])["rect"]
    assert (moved["left"], moved["top"]) == (SCREEN_WIDTH - 400, SCREEN_HEIGHT - 296), f"recording place {moved}"
    assert (moved["width"], moved["height"]) == (390, 295), f"the window changed size: {moved}"
    expect_page(s, main, 1)

    # The positions and keys of the example task file: F6, F8, F7.
    steps = [((120, 45), "F6", 0), ((300, 200), "F8", 1500), ((5, 700), "F7", 2000)]
    pressed_at = []
    for (x, y), key, pause in steps:
        if pause:
            s.driver.cmd("sleep", ms=pause - 30)  # the pointer move below takes a little too
        s.driver.cmd("move", x=x, y=y)
        pressed_at.append(press(s, key))
    recording.wait_events(len(steps))
    s.screenshot("recording-page-1")

    state = save_as_default(s, main)
    s.say(f"input box: {state['prompt']!r}, {state['text']!r} selected {state['selection']}")
    assert state["prompt"] == "请输入本次任务保存的名称...", state["prompt"]
    assert state["text"] == "新任务1", state["text"]
    assert state["selection"] == (0, len("新任务1")), f"default not selected: {state['selection']}"

    path = task_path(app.run_dir, "新任务1")
    wait_until(lambda: os.path.exists(path), what="the saved task file")
    data = read_bytes(path)
    delays = recorded_delays(data)
    pauses = [0] + [round(b - a) for a, b in zip(pressed_at, pressed_at[1:])]
    s.say(f"recorded delays {delays}, pauses made {pauses} ms")
    events = [(x, y, KEY_EVENT_TYPES[key], delay) for ((x, y), key, _), delay in zip(steps, delays)]
    assert data == task_file_bytes(events), f"task file differs:\n{data!r}\n{task_file_bytes(events)!r}"
    assert delays[0] == 0 and all(abs(d - p) <= 100 for d, p in zip(delays[1:], pauses[1:])), (delays, pauses)
    assert not data.startswith(b"\xef\xbb\xbf") and b"\r\n" in data and b"\n" not in data.replace(b"\r\n", b"")

    listed = list_state(s, main)
    assert listed["items"] == ["新任务1"] and listed["cursel"] == 0, listed
    expect_page(s, main, 0)
    assert s.driver.info(main["hwnd"])["topmost"], "the main window is no longer on top after saving"

    # The interval slider, moved with the keyboard while it has the focus, writes the task file.
    slider = control(s, main, "间隔滑块条")
    r = slider["rect"]
    s.driver.click(r["right"] - 6, r["top"] + r["height"] // 2)  # focuses it; past the channel's end
    s.driver.cmd("sleep", ms=300)
    moved_by_click = s.driver.cmd("trackbar", hwnd=slider["hwnd"])["pos"]
    assert read_bytes(path) == task_file_bytes(events, interval=None if moved_by_click == 1 else moved_by_click)
    for key, position in (("right", moved_by_click + 10), ("right", moved_by_click + 20), ("end", 10000)):
        s.driver.key(key)
        expected = task_file_bytes(events, interval=position)
        wait_until(lambda: read_bytes(path) == expected, what=f"{key}: interval {position} in the task file")
    assert s.driver.cmd("trackbar", hwnd=slider["hwnd"])["pos"] == 10000
    label = control(s, main, "间隔时间")["text"]
    assert label == "16分40.0秒", label

    s.driver.cmd("close", hwnd=main["hwnd"])
    assert app.wait() == 0
    app, main = start_main(s, run_dir=app.run_dir)
    listed = list_state(s, main)
    assert listed["items"] == ["新任务1"] and listed["cursel"] == 0, listed
    assert s.driver.cmd("trackbar", hwnd=control(s, main, "间隔滑块条")["hwnd"])["pos"] == 10000
    assert control(s, main, "间隔时间")["text"] == "16分40.0秒"
    s.screenshot("restarted-with-interval")
    s.driver.cmd("close", hwnd=main["hwnd"])
    assert app.wait() == 0


def test_hotkey_held_by_another_program_leaves_the_others_working(s):
    app, main = start_main(s)
    held = s.driver.cmd("hold_hotkey", key="F6")
    assert held["registered"], held
    try:
        recording = start_recording(s, main)
        keys = ["F7", "F6", "F8", "F9"]
        for i, key in enumerate(keys):
            s.driver.cmd("move", x=100 + 50 * i, y=300)
            press(s, key)
            s.driver.cmd("sleep", ms=150)
        recording.wait_events(3)
        save_as_default(s, main)
    finally:
        released = s.driver.cmd("release_hotkey", id=held["id"])
    assert released["presses"] == 1, f"the holder saw {released['presses']} F6 presses"
    data = read_bytes(task_path(app.run_dir, "新任务1"))
    delays = recorded_delays(data)
    events = [(100, 300, 1, 0), (200, 300, 2, delays[1]), (250, 300, 3, delays[2])]
    assert data == task_file_bytes(events), data
    s.driver.cmd("close", hwnd=main["hwnd"])
    assert app.wait() == 0


def test_closing_the_window_during_a_recording_frees_the_hotkeys(s):
    app, main = start_main(s)
    recording = start_recording(s, main)
    s.driver.cmd("move", x=400, y=400)
    press(s, "F6")
    recording.wait_events(1)
    refused = s.driver.cmd("hold_hotkey", key="F6")
    assert not refused["registered"], "F6 was free while recording"
    s.driver.cmd("close", hwnd=main["hwnd"])
    assert app.wait() == 0, "exit code"
    for key in KEY_EVENT_TYPES:
        held = s.driver.cmd("hold_hotkey", key=key)
        assert held["registered"], f"{key} still held after the program ended: {held}"
        s.driver.cmd("release_hotkey", id=held["id"])


# --- What a recording costs -------------------------------------------------------------------

def cpu_seconds(pid):
    """utime + stime of a Linux process, all its threads."""
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def memory_kib(pid):
    with open(f"/proc/{pid}/status") as f:
        values = dict(line.split(":", 1) for line in f)
    return {k: int(values[k].split()[0]) for k in ("RssAnon", "VmData")}


def test_an_idle_recording_sleeps(s):
    app, main = start_main(s)
    pid = app.process.pid  # the Wine process is the one that runs the program
    start_recording(s, main)
    s.driver.cmd("move", x=640, y=300)  # the pointer rests; only the label timer ticks
    s.driver.cmd("sleep", ms=1000)
    before, started = cpu_seconds(pid), time.monotonic()
    time.sleep(10)
    used, elapsed = cpu_seconds(pid) - before, time.monotonic() - started
    share = used / elapsed
    s.say(f"idle recording: {used * 1000:.0f} ms of CPU in {elapsed:.1f} s ({share:.2%} of a core)")
    assert share < 0.05, f"an idle recording used {share:.1%} of a core"
    s.driver.cmd("close", hwnd=main["hwnd"])
    assert app.wait() == 0


@contextlib.contextmanager
def null_sound_device():
    """ALSA's null output as the default device, so that the program's cues really open and close
    a wave output (Xvfb machines have no sound card). Only the processes started inside see it."""
    system_config = "/usr/share/alsa/alsa.conf"
    if not os.path.exists(system_config):
        yield False
        return
    config = os.path.join(os.environ.get("TMPDIR", "/tmp"), f"zelvorn-e2e-asound-{os.getpid()}.conf")
    with open(config, "w") as f:
        f.write(f"<{system_config}>\npcm.!default {{ type null }}\n")
    old = os.environ.get("ALSA_CONFIG_PATH")
    os.environ["ALSA_CONFIG_PATH"] = config
    try:
        yield True
    finally:
        if old is None:
            del os.environ["ALSA_CONFIG_PATH"]
        else:
            os.environ["ALSA_CONFIG_PATH"] = old
        os.unlink(config)


def record_f6_repeats(s, recording, at_least):
    """Holds F6 down (key repeats) until the pending file holds at_least events."""
    while True:
        s.driver.key("F6", action="down", count=200, gap=4)
        s.driver.key("F6", action="up")
        data = recording.wait_events(1)
        count = len(recorded_delays(data))
        if count >= at_least:
            return count


def settled_resources(s, pid):
    """Handles and memory once the cues still sounding have ended (each lasts about 0.63 s)."""
    s.driver.cmd("sleep", ms=2000)
    stats = s.driver.cmd("process_stats", pid=s.driver.find(exe=EXE)["pid"])
    return {"handles": stats["system_table_handles"], "threads": stats["threads"], **memory_kib(pid)}


def test_a_thousand_cues_leave_no_handles_or_memory_behind(s):
    with null_sound_device() as have_device:
        app, main = start_main(s)
    devices = s.driver.cmd("wave_out")["devices"]
    s.say(f"null sound device: {have_device}; the driver (started without it) sees {devices} wave outputs")
    pid = app.process.pid
    recording = start_recording(s, main)
    s.driver.cmd("move", x=500, y=500)
    warmed = record_f6_repeats(s, recording, 100)  # the sound system's one-time set-up, and a full heap
    before = settled_resources(s, pid)
    started = time.monotonic()
    total = record_f6_repeats(s, recording, warmed + 1000)
    took = time.monotonic() - started
    after = settled_resources(s, pid)
    s.say(f"{total - warmed} cues in {took:.1f} s; before {before}, after {after}")
    assert after["handles"] - before["handles"] <= 20, f"handles grew: {before} -> {after}"
    assert after["RssAnon"] - before["RssAnon"] <= 16 * 1024, f"memory grew: {before} -> {after}"
    assert s.driver.cmd("wave_out")["devices"] == devices
    click_control(s, control(s, main, "按钮1"))
    box = wait_dialog(s, title="保存任务")
    answer_input_box(s, box, key="esc")
    s.driver.cmd("close", hwnd=main["hwnd"])
    assert app.wait() == 0
