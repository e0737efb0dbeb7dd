"""Playback: a task played onto the click target in count mode and in Caps-Lock mode, a task
recorded through the window and played back, closing the window during a run, and the refusal of
a task file without events."""
import contextlib
import ctypes
import os
import threading
import time

from app_model import (EXE, close_box_point, MAIN_CAPTION, PLAYING_CAPTION, STOPPED_STATUS, answer_input_box, click_control,
                       click_presses, control, crop_rgb, list_state, main_state, message_buttons, message_text,
                       pending_files, put_task, read_bytes, recorded_delays, select_task, set_pass_count, start_main,
                       task_file_bytes, task_path, wait_dialog, wait_gone, wait_until, watch_run)
from display import SCREEN_HEIGHT, SCREEN_WIDTH

# Where a run puts the main window (its size is 390 x 295).
RUN_PLACE = (SCREEN_WIDTH - 400, SCREEN_HEIGHT - 296)

# The button messages that one event of each type gives a window of class style CS_DBLCLKS.
CLICK_MESSAGES = {
    0: ["WM_LBUTTONDOWN", "WM_LBUTTONUP"],
    1: ["WM_LBUTTONDOWN", "WM_LBUTTONUP", "WM_LBUTTONDBLCLK", "WM_LBUTTONUP"],
    2: ["WM_RBUTTONDOWN", "WM_RBUTTONUP"],
    3: ["WM_RBUTTONDOWN", "WM_RBUTTONUP", "WM_RBUTTONDBLCLK", "WM_RBUTTONUP"],
}

# All four types near the corners and in the centre, clear of the window's place during a run
# ((880, 728) to (1270, 1023)); delays of a few hundred ms.
SPREAD_EVENTS = [(60, 50, 0, 0), (1215, 40, 1, 300), (640, 512, 2, 200), (70, 985, 3, 450), (1225, 430, 0, 300)]


class BellWatcher:
    """Counts the bells of the X display: Wine's MessageBeep rings the X keyboard bell, which XKB
    reports to any client that asks for XkbBellNotify events."""
    XKB_USE_CORE_KBD = 0x0100
    XKB_BELL_NOTIFY = 8

    def __init__(self, display_name):
        x = self.x = ctypes.CDLL("libX11.so.6")
        x.XOpenDisplay.restype = ctypes.c_void_p
        x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x.XkbQueryExtension.argtypes = [ctypes.c_void_p] + [ctypes.POINTER(ctypes.c_int)] * 5
        x.XkbSelectEvents.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_ulong, ctypes.c_ulong]
        x.XPending.argtypes = x.XFlush.argtypes = x.XCloseDisplay.argtypes = [ctypes.c_void_p]
        x.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
        self.display = x.XOpenDisplay(display_name.encode())
        assert self.display, f"cannot open the X display {display_name}"
        opcode, event_base, error_base = ctypes.c_int(), ctypes.c_int(), ctypes.c_int()
        major, minor = ctypes.c_int(1), ctypes.c_int(0)
        assert x.XkbQueryExtension(self.display, *(ctypes.byref(v) for v in (opcode, event_base, error_base, major,
                                                                              minor))), "the display has no XKB"
        self.event_base = event_base.value
        mask = 1 << self.XKB_BELL_NOTIFY
        x.XkbSelectEvents(self.display, self.XKB_USE_CORE_KBD, mask, mask)
        x.XFlush(self.display)
        self.count = 0
        self._stop = threading.Event()
        self._thread = threading.Thread(target=self._watch, daemon=True)
        self._thread.start()

    def _watch(self):
        event = ctypes.create_string_buffer(192)  # sizeof(XEvent)
        while not self._stop.wait(0.01):
            while self.x.XPending(self.display):
                self.x.XNextEvent(self.display, event)
                # XkbAnyEvent: int type at 0, int xkb_type at 40 (LP64)
                if (ctypes.c_int.from_buffer(event, 0).value == self.event_base
                        and ctypes.c_int.from_buffer(event, 40).value == self.XKB_BELL_NOTIFY):
                    self.count += 1

    def close(self):
        self._stop.set()
        self._thread.join()
        self.x.XCloseDisplay(self.display)


@contextlib.contextmanager
def bells(s):
    watcher = BellWatcher(s.display.name)
    try:
        yield watcher
    finally:
        watcher.close()


def expected_messages(events, passes=1):
    one = [(m, x, y) for x, y, kind, _ in events for m in CLICK_MESSAGES[kind]]
    return one * passes


def received(target):
    return [(e["message"], e["x"], e["y"]) for e in target.events()]


def play(s, main):
    """Clicks 播放 and gives the driver's time of the click."""
    return click_control(s, control(s, main, "播放"))["t"]


def expect_gaps_wait_the_delays(target, events, passes):
    """Between two clicks of a pass lies at least the next event's delay, in whole 100 ms slices."""
    # By message time, when the program's input reached the system: the target may take a click late.
    times = [int(f[4]) for f in target.lines() if f[0] in ("WM_LBUTTONDOWN", "WM_RBUTTONDOWN")]
    per_pass = len(events)
    assert len(times) == per_pass * passes, times
    for p in range(passes):
        for k in range(1, per_pass):
            gap = times[p * per_pass + k] - times[p * per_pass + k - 1]
            wait = events[k][3] // 100 * 100
            assert gap >= wait - 2, f"pass {p + 1}: {gap:.0f} ms from event {k} to {k + 1}, delay {events[k][3]}"


def close_and_expect_exit(s, app, main):
    s.driver.cmd("close", hwnd=main["hwnd"])
    assert app.wait() == 0


def test_a_task_file_plays_three_passes_onto_the_click_target(s):
    run_dir = s.new_run_dir()
    put_task(run_dir, "回放任务", SPREAD_EVENTS)
    app, main = start_main(s, run_dir=run_dir)
    target = s.start_click_target()
    select_task(s, main, "回放任务")
    set_pass_count(s, main, "3")
    before = main_state(s, main)
    assert before["place"] != RUN_PLACE and before["topmost"], before

    with bells(s) as bell:
        play(s, main)
        # Taken before the first click at the target: once a click has activated the target, Wine
        # may draw its X window above the topmost main window (Wine's own order is unchanged).
        first = wait_until(lambda: (lambda x: x["place"] == RUN_PLACE and x)(main_state(s, main)), timeout=5,
                           interval=0.01, what="the window in its place for the run")
        s.screenshot("during-the-run")
        assert bell.count == 0, "a bell at the start of the run"
        seen = [first] + watch_run(s, main)
        rang_while_playing = bell.count
        s.driver.cmd("sleep", ms=500)
        rang = bell.count
    s.screenshot("after-the-run")
    s.say(f"bells: {rang_while_playing} until the run was seen stopped, {rang} in all")
    assert rang == 1, f"{rang} bells"
    s.say(f"states seen: {[(x['caption'][-9:], x['status'], x['place'], x['topmost']) for x in seen]}")

    playing = [x for x in seen if x["caption"] == PLAYING_CAPTION]
    assert playing, seen
    moved = [x for x in playing if x["place"] == RUN_PLACE]
    assert moved and all(x["topmost"] for x in moved), f"while playing: {playing}"
    statuses = [x["status"] for x in playing]
    # The end sets 标签1 just before the caption: a look in between sees both.
    allowed = {"正在执行任务...", "已执行任务次数：1", "已执行任务次数：2", "已执行任务次数：3", STOPPED_STATUS}
    assert set(statuses) <= allowed and STOPPED_STATUS not in statuses[:-1], statuses
    assert "已执行任务次数：1" in statuses and "已执行任务次数：2" in statuses, statuses
    after = seen[-1]
    assert after == {"caption": MAIN_CAPTION, "status": STOPPED_STATUS, "place": RUN_PLACE, "topmost": True}, after

    s.driver.cmd("sleep", ms=300)  # the last title-bar click would show up by now
    got, want = received(target), expected_messages(SPREAD_EVENTS, passes=3)
    assert got == want, "clicks at the target differ:\n" + "\n".join(
        f"{g} {'' if g == w else '<> ' + str(w)}" for g, w in zip(got + [None] * len(want), want + [None] * len(got)))
    expect_gaps_wait_the_delays(target, SPREAD_EVENTS, passes=3)
    close_and_expect_exit(s, app, main)


def record_through_the_window(s, main, steps):
    """录制, then for each (x, y, key) the pointer moved there and the hotkey pressed, then
    保存鼠标事件 and Enter on the input box: the task is saved as 新任务<n>."""
    earlier = pending_files(s)
    # The click target had the foreground: a click that activates the main window can lose its
    # button-up under Wine, leaving 录制 focused but not clicked. Page 0 still up after 2 s means
    # the click did not arrive (a recording shows page 1 at once), so it is made once more.
    s.driver.cmd("activate", hwnd=main["hwnd"])
    for attempt in range(2):
        click_control(s, control(s, main, "录制"))
        try:
            wait_until(lambda: control(s, main, "按钮1")["visible"], timeout=2.0 if attempt == 0 else 5.0,
                       what="page 1 of the recording")
            break
        except AssertionError:
            if attempt or not control(s, main, "录制")["visible"]:
                raise
            s.say("the click on 录制 was lost; clicking again")
    for i, (x, y, key) in enumerate(steps):
        if i:
            s.driver.cmd("sleep", ms=400)
        s.driver.cmd("move", x=x, y=y)
        s.driver.key(key)

    def recorded():
        new = pending_files(s) - earlier
        return new and len(recorded_delays(read_bytes(next(iter(new))))) == len(steps)
    wait_until(recorded, timeout=10, what=f"{len(steps)} recorded events")
    click_control(s, control(s, main, "按钮1"))
    answer_input_box(s, wait_dialog(s, title="保存任务"))


def test_a_task_recorded_in_the_window_plays_where_it_was_recorded(s):
    app, main = start_main(s)
    target = s.start_click_target()
    steps = [(150, 140, "F6"), (1100, 220, "F7"), (320, 830, "F8"), (700, 420, "F9"), (40, 600, "F6")]
    record_through_the_window(s, main, steps)
    listed = list_state(s, main)
    assert listed["items"] == ["新任务1"] and listed["cursel"] == 0, listed
    data = read_bytes(task_path(app.run_dir, "新任务1"))
    delays = recorded_delays(data)
    kinds = {"F6": 0, "F7": 1, "F8": 2, "F9": 3}
    events = [(x, y, kinds[key], delay) for (x, y, key), delay in zip(steps, delays)]
    assert data == task_file_bytes(events), data
    assert received(target) == [], "recording clicked"

    set_pass_count(s, main, "1")
    play(s, main)
    watch_run(s, main)
    s.driver.cmd("sleep", ms=300)
    assert received(target) == expected_messages(events), received(target)
    close_and_expect_exit(s, app, main)


def test_caps_lock_mode_stops_once_caps_lock_goes_on(s):
    run_dir = s.new_run_dir()
    # Long delays: Caps Lock goes on in the wait after the second click.
    events = [(200, 200, 0, 0), (1000, 300, 2, 2000), (400, 700, 0, 2000), (700, 150, 0, 2000)]
    put_task(run_dir, "大写锁定", events)
    app, main = start_main(s, run_dir=run_dir)
    target = s.start_click_target()
    select_task(s, main, "大写锁定")
    click_control(s, control(s, main, "单选框1"))
    wait_until(lambda: s.driver.cmd("button", hwnd=control(s, main, "单选框1")["hwnd"])["check"] == 1,
               what="单选框1 checked")
    # Caps Lock on when the run starts: the run switches it off, then plays.
    s.driver.key("capslock")
    assert s.driver.capslock_on()
    play(s, main)
    wait_until(lambda: received(target), timeout=15, what="the first click at the target")
    assert not s.driver.capslock_on(), "the run did not switch Caps Lock off at its start"
    wait_until(lambda: len(received(target)) == 4, timeout=15, what="two clicks at the target")

    # The clicks activated the target: the keyboard goes there, not to the main window. (Only the
    # driver is asked here: a message to the program would wait for the end of its 100 ms sleep.)
    foreground = s.driver.cmd("foreground")["window"]
    focus = s.driver.cmd("gui_thread", hwnd=target.hwnd)["focus"]
    pressed_at = s.driver.key("capslock")["t"]
    assert foreground and foreground["hwnd"] == target.hwnd, f"foreground is {foreground}"
    assert focus == target.hwnd, f"the target's thread has the focus on {focus}"
    assert s.driver.capslock_on(), "the press did not switch Caps Lock on"
    clicked_at = target.events()[-1]["t"]
    s.say(f"Caps Lock pressed {pressed_at - clicked_at:.0f} ms after the second click")
    assert pressed_at - clicked_at < 1500, "Caps Lock went on after the wait that follows the second click"
    watch_run(s, main, timeout=10)
    stopped_at = s.driver.cmd("ping")["t"]
    s.say(f"the run was seen stopped {stopped_at - pressed_at:.0f} ms after the press")

    s.driver.cmd("sleep", ms=300)
    assert received(target) == expected_messages(events[:2]), received(target)
    assert not s.driver.capslock_on(), "Caps Lock is still on after the run"
    keys = [line[0] for line in target.lines() if line[0] in ("keydown", "keyup") and line[1] == "20"]
    s.say(f"Caps Lock messages at the target: {keys}")
    assert "keydown" in keys, "the target did not get a Caps Lock press"
    close_and_expect_exit(s, app, main)


def test_closing_the_main_window_during_a_run_ends_the_program_with_zero(s):
    run_dir = s.new_run_dir()
    put_task(run_dir, "关闭测试", [(60, 60, 0, 0), (300, 300, 0, 5000)])
    # Only around the first click: under Wine a window under the pointer reports each of the
    # program's pointer warps back as a move, some late, which can end a glide early.
    target = s.start_click_target(geometry=(40, 40, 41, 41))
    # A user's click on the close button while the run waits 5 s after a click, and WM_CLOSE
    # while the pointer glides from the title bar towards (60, 60).
    for case in ("close button in a wait", "WM_CLOSE in a glide"):
        app, main = start_main(s, run_dir=run_dir)
        clicks_before = len(click_presses(target))
        set_pass_count(s, main, "100")
        play(s, main)
        wait_until(lambda: main_state(s, main)["caption"] == PLAYING_CAPTION, what=f"{case}: playing")
        if case.startswith("close button"):
            wait_until(lambda: len(click_presses(target)) > clicks_before, timeout=10, what=f"{case}: the first click")
            s.driver.click(*close_box_point(s, s.driver.info(main["hwnd"])))
        else:
            def mid_glide():
                p = s.driver.cmd("cursor")
                return 200 < p["x"] < 700 and 200 < p["y"] < 600 and p
            at = wait_until(mid_glide, timeout=10, interval=0.005, what=f"{case}: the glide")
            s.driver.cmd("close", hwnd=main["hwnd"])
            s.say(f"{case}: closed with the pointer at {at['x']}, {at['y']}")
        closed_at = time.monotonic()
        code = app.wait(timeout=10)
        s.say(f"{case}: the program ended {time.monotonic() - closed_at:.2f} s after the close, exit code {code}")
        assert code == 0, f"{case}: exit code {code}"
        assert s.driver.windows(exe=EXE, all=True) == [], f"{case}: windows outlive the program"
        if case.endswith("glide"):
            assert len(click_presses(target)) == clicks_before, f"{case}: the glide ended in a click before the close"


def red_share(path, rect):
    """The share of clearly red pixels in a part of a screenshot (the error icon is mostly red)."""
    rows = crop_rgb(path, rect["left"], rect["top"], rect["width"], rect["height"])
    pixels = [p for row in rows for p in row]
    return sum(r > 160 and g < 90 and b < 90 for r, g, b in pixels) / len(pixels)


def test_a_task_file_without_events_is_refused(s):
    run_dir = s.new_run_dir()
    # Only the description section, and an interval; and one that is deleted once it is listed.
    with open(task_path(run_dir, "没有事件"), "wb") as f:
        f.write(task_file_bytes([], interval=5))
    put_task(run_dir, "已删除", [(100, 100, 0, 0)])
    app, main = start_main(s, run_dir=run_dir)
    os.unlink(task_path(run_dir, "已删除"))
    assert sorted(list_state(s, main)["items"]) == ["已删除", "没有事件"], list_state(s, main)
    target = s.start_click_target()

    for name in ("没有事件", "已删除"):
        select_task(s, main, name)
        before = main_state(s, main)
        assert before["topmost"], before
        play(s, main)
        box = wait_dialog(s, title="提示！")
        s.driver.cmd("sleep", ms=300)  # let it paint
        shot = s.screenshot(f"refused-{name}")
        assert message_text(s, box) == "任务文件无效或已经损坏！", message_text(s, box)
        assert len(message_buttons(s, box)) == 1, message_buttons(s, box)
        icons = [c for c in s.driver.children(box["hwnd"]) if c["class"].lower() == "static" and not c["text"]]
        assert icons, "the message box shows no icon"
        share = red_share(shot, icons[0]["rect"])
        s.say(f"{name}: {share:.0%} of the icon is red")
        assert share > 0.2, f"{name}: the icon is not the error icon ({share:.0%} red)"
        assert not main_state(s, main)["topmost"], "the main window stays on top of the message box"
        s.driver.cmd("activate", hwnd=box["hwnd"])
        s.driver.key("enter")
        wait_gone(s, box)
        wait_until(lambda: main_state(s, main) == before, timeout=3,
                   what=f"{name}: texts, place and topmost as before the run ({before})")
    assert received(target) == [], "a refused run clicked"
    close_and_expect_exit(s, app, main)
