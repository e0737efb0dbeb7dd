"""Recording: the window's place and page during a recording, the hotkeys F6 to F9, the task file
that saving leaves, the interval stored in it, and what a recording costs while it waits."""
import contextlib
import os
import re
import time

from app_model import (EXE, PAGE0, PAGE1, answer_input_box, click_control, control, controls, input_box_state,
                       list_state, read_bytes, recorded_delays, start_main, start_recording, task_file_bytes,
                       task_path, wait_dialog, wait_until)
from display import SCREEN_HEIGHT, SCREEN_WIDTH

KEY_EVENT_TYPES = {"F6": 0, "F7": 1, "F8": 2, "F9": 3}


def press(s, key):
    """Presses a hotkey and gives the driver's time of the press (ms)."""
    return s.driver.key(key)["t"]


def expect_page(s, main, page):
    c = controls(s, main)
    shown, hidden = (PAGE1, PAGE0) if page == 1 else (PAGE0, PAGE1)
    assert all(c[name]["visible"] for name in shown), {n: c[n]["visible"] for n in shown}
    assert not any(c[name]["visible"] for name in hidden), {n: c[n]["visible"] for n in hidden}


def save_as_default(s, main, screenshot=None):
    click_control(s, control(s, main, "按钮1"))
    box = wait_dialog(s, title="保存任务")
    state = input_box_state(s, box)
    if screenshot:
        s.driver.cmd("sleep", ms=300)
        s.screenshot(screenshot)
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

    state = save_as_default(s, main, screenshot="input-box")
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

    wait_until(lambda: s.driver.info(main["hwnd"])["topmost"], what="the main window on top again after saving")
    listed = list_state(s, main)
    assert listed["items"] == ["新任务1"] and listed["cursel"] == 0, listed
    expect_page(s, main, 0)

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


def test_every_press_counts_while_the_window_keeps_busy(s):
    # Each press follows a pointer move over the window (mouse messages, the button's hot
    # tracking, the pointer label's timer and repaints): none of them may swallow the press.
    app, main = start_main(s)
    recording = start_recording(s, main)
    button = control(s, main, "按钮1")["rect"]
    y = button["top"] + button["height"] // 2
    keys = list(KEY_EVENT_TYPES) * 10
    for i, key in enumerate(keys):
        s.driver.cmd("move", x=button["left"] - 60 + 7 * i, y=y)
        press(s, key)
        s.driver.cmd("sleep", ms=100)
    try:
        data = recording.wait_events(len(keys), timeout=5.0)
    except AssertionError:
        data = read_bytes(recording.pending_file())
    got = [(int(x) - button["left"] + 60) // 7 for x in re.findall(rb"\r\nX=(\d+)\r\n", data)]
    assert got == list(range(len(keys))), f"presses lost: {sorted(set(range(len(keys))) - set(got))}"
    kinds = [int(k) for k in re.findall(rb"\r\n\xca\xc2\xbc\xfe=(\d)\r\n", data)]
    assert kinds == [KEY_EVENT_TYPES[k] for k in keys], kinds
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
    path = task_path(app.run_dir, "新任务1")
    wait_until(lambda: os.path.exists(path), what="the saved task file")
    data = read_bytes(path)
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
def captured_sound_device(capture_path):
    """An ALSA default device that writes what it is given into capture_path (the file is
    begun anew by every opening) and plays nothing. Xvfb machines have no sound card: with it the
    program's cues really open, play and close a wave output. Only processes started inside see it."""
    system_config = "/usr/share/alsa/alsa.conf"
    if not os.path.exists(system_config):
        yield False
        return
    config = capture_path + ".asoundrc"
    with open(config, "w") as f:
        f.write(f'<{system_config}>\npcm.!default {{ type file slave.pcm "null" file "{capture_path}" format "raw" }}\n')
    old = os.environ.get("ALSA_CONFIG_PATH")
    os.environ["ALSA_CONFIG_PATH"] = config
    try:
        yield True
    finally:
        if old is None:
            del os.environ["ALSA_CONFIG_PATH"]
        else:
            os.environ["ALSA_CONFIG_PATH"] = old


def cue_sound_data():
    """The sound data of the cue the program carries (res/cue.wav, its "data" chunk)."""
    wav = read_bytes(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "res", "cue.wav"))
    pos = 12
    while pos + 8 <= len(wav):
        size = int.from_bytes(wav[pos + 4:pos + 8], "little")
        if wav[pos:pos + 4] == b"data":
            return wav[pos + 8:pos + 8 + size]
        pos += 8 + size + (size & 1)
    raise AssertionError("res/cue.wav has no data chunk")


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
    """Handles and memory once the cues have ended and the system's thread pool has let its idle
    workers go (they leave after about 5 s): unchanged for 6 s, or the last reading after 30 s."""
    windows_pid = s.driver.find(exe=EXE)["pid"]
    readings = []
    deadline = time.monotonic() + 30
    while True:
        stats = s.driver.cmd("process_stats", pid=windows_pid)
        readings.append((stats["system_table_handles"], stats["threads"]))
        if len(readings) >= 7 and len(set(readings[-7:])) == 1 or time.monotonic() > deadline:
            return {"handles": readings[-1][0], "threads": readings[-1][1], **memory_kib(pid)}
        time.sleep(1)


def test_a_thousand_cues_leave_no_handles_or_memory_behind(s):
    capture = s.artifact("cue-output.raw")
    with captured_sound_device(capture) as have_device:
        app, main = start_main(s)
    s.say(f"sound device for the program: {'ALSA null with capture' if have_device else 'none'}; "
          f"wave outputs without it (the driver's view): {s.driver.cmd('wave_out')['devices']}")
    pid = app.process.pid
    recording = start_recording(s, main)
    s.driver.cmd("move", x=500, y=500)
    if have_device:
        press(s, "F6")
        clip = cue_sound_data()
        # A slow machine may get silence put in where the output ran dry.
        wait_until(lambda: os.path.exists(capture) and read_bytes(capture).replace(b"\0", b"") == clip.replace(b"\0", b""),
                   what="one whole cue played")
    warmed = record_f6_repeats(s, recording, 100)  # the sound system's one-time set-up, and a full heap
    before = settled_resources(s, pid)
    started = time.monotonic()
    total = record_f6_repeats(s, recording, warmed + 1000)
    took = time.monotonic() - started
    after = settled_resources(s, pid)
    s.say(f"{total - warmed} cues in {took:.1f} s; before {before}, after {after}")
    # A cue that stayed open would hold an event and a wave output: a thousand of each.
    assert after["handles"] - before["handles"] <= 50, f"handles grew: {before} -> {after}"
    # The system's thread pool may add a worker or two when cues overlap; each has its stack.
    allowance = 16 * 1024 + 2 * 1024 * max(0, after["threads"] - before["threads"])
    assert after["RssAnon"] - before["RssAnon"] <= allowance, f"memory grew: {before} -> {after}"
    click_control(s, control(s, main, "按钮1"))
    box = wait_dialog(s, title="保存任务")
    answer_input_box(s, box, key="esc")
    s.driver.cmd("close", hwnd=main["hwnd"])
    assert app.wait() == 0
