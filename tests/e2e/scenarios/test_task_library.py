"""The task library: saving under a name that is taken, cancelling, saving nothing, names the file
system refuses, deleting after a question, and editing in Notepad."""
import os

from app_model import (EXE, MENU_IDS, PAGE0, answer_input_box, choose_menu_item, click_control, control,
                       controls, input_box_state, list_state, message_buttons, message_text, open_task_menu, put_task,
                       read_bytes, recorded_delays, start_main, start_recording, task_path, wait_dialog, wait_gone,
                       wait_until)

A_TASK = [(120, 45, 0, 0), (300, 200, 2, 1532)]


def record_one_event(s, main):
    recording = start_recording(s, main)
    s.driver.cmd("move", x=321, y=123)
    s.driver.key("F6")
    recording.wait_events(1)
    return recording


def click_save(s, main):
    click_control(s, control(s, main, "按钮1"))


def expect_message(s, text, caption, screenshot):
    box = wait_dialog(s, title=caption)
    assert message_text(s, box) == text, f"{caption}: {message_text(s, box)!r}"
    s.driver.cmd("sleep", ms=300)
    s.screenshot(screenshot)
    return box


def dismiss(s, box, key="enter"):
    s.driver.key(key)
    wait_gone(s, box)


def expect_main_idle(s, main):
    """Back on page 0, enabled and on top, with no dialog left."""
    def idle():
        info = s.driver.info(main["hwnd"])
        return info["enabled"] and info["topmost"] and s.driver.find(exe=EXE, cls="#32770") is None
    wait_until(idle, timeout=3.0, what="the main window idle again")
    c = controls(s, main)
    assert all(c[name]["visible"] for name in PAGE0) and not c["按钮1"]["visible"], "not back on page 0"


def test_a_taken_name_is_refused_whatever_its_case_and_cancel_drops_the_recording(s):
    run_dir = s.new_run_dir()
    put_task(run_dir, "Demo", A_TASK)
    app, main = start_main(s, run_dir=run_dir)
    assert list_state(s, main)["items"] == ["Demo"]
    recording = record_one_event(s, main)
    pending = recording.pending_file()

    click_save(s, main)
    box = wait_dialog(s, title="保存任务")
    assert input_box_state(s, box)["text"] == "新任务2"
    answer_input_box(s, box, text="demo")
    taken = expect_message(s, "该任务已经存在，请换用其它任务名！", "提示！", "name-taken")
    dismiss(s, taken)

    again = wait_dialog(s, title="保存任务")
    state = input_box_state(s, again)
    assert (state["text"], state["selection"]) == ("新任务2", (0, 4)), state
    assert os.path.exists(pending), "the recording is gone before the answer"
    answer_input_box(s, again, key="esc")
    wait_until(lambda: not os.path.exists(pending), what="the pending file deleted after cancel")
    expect_main_idle(s, main)
    assert list_state(s, main)["items"] == ["Demo"]
    assert sorted(os.listdir(run_dir)) == ["Demo.kpx", "ZelvornMouse.exe"]
    assert recorded_delays(read_bytes(task_path(run_dir, "Demo"))) == [0, 1532], "Demo was touched"
    s.driver.cmd("close", hwnd=main["hwnd"])
    assert app.wait() == 0


def test_saving_a_recording_without_events_is_refused(s):
    app, main = start_main(s)
    recording = start_recording(s, main)
    click_save(s, main)
    box = expect_message(s, "您必须至少录制一个鼠标事件！", "提示！", "no-event")
    assert not s.driver.info(main["hwnd"])["topmost"], "the main window stays on top over the message"
    dismiss(s, box)
    expect_main_idle(s, main)
    assert recording.pending_file() is None, "a recording without events left a file"
    assert list_state(s, main)["count"] == 0
    # The recording has ended: F6 is free again.
    held = s.driver.cmd("hold_hotkey", key="F6")
    assert held["registered"], "F6 still registered after the refused save"
    s.driver.cmd("release_hotkey", id=held["id"])
    s.driver.cmd("close", hwnd=main["hwnd"])
    assert app.wait() == 0


def test_a_name_the_file_system_refuses_keeps_the_recording(s):
    app, main = start_main(s)
    recording = record_one_event(s, main)
    pending = recording.pending_file()
    recorded = read_bytes(pending)
    click_save(s, main)
    box = wait_dialog(s, title="保存任务")
    answer_input_box(s, box, text="子目录\\任务")
    failed = expect_message(s, "保存任务失败！", "错误！", "save-failed")
    dismiss(s, failed)
    expect_main_idle(s, main)
    assert read_bytes(pending) == recorded, "the pending file changed or went"
    assert sorted(os.listdir(app.run_dir)) == ["ZelvornMouse.exe"], os.listdir(app.run_dir)
    assert list_state(s, main)["count"] == 0
    s.driver.cmd("close", hwnd=main["hwnd"])
    assert app.wait() == 0


def test_delete_asks_first(s):
    run_dir = s.new_run_dir()
    for name in ("任务甲", "任务乙"):
        put_task(run_dir, name, A_TASK, interval=25 if name == "任务乙" else None)
    app, main = start_main(s, run_dir=run_dir)
    listed = list_state(s, main)
    first, second = listed["items"]
    assert listed["cursel"] == 0

    for answer in ("n", "y"):
        menu = open_task_menu(s, main)
        if answer == "n":
            s.screenshot("task-menu")
        choose_menu_item(s, menu, MENU_IDS["删除任务"])
        box = expect_message(s, "您确定要删除当前选中的任务吗？", "删除任务？", f"delete-question-{answer}")
        assert len(message_buttons(s, box)) == 2, message_buttons(s, box)
        dismiss(s, box, key=answer)
        expect_main_idle(s, main)
        if answer == "n":
            assert os.path.exists(task_path(run_dir, first)) and list_state(s, main)["items"] == [first, second]

    assert not os.path.exists(task_path(run_dir, first)), "Yes left the file"
    listed = list_state(s, main)
    assert (listed["items"], listed["cursel"]) == ([second], 0), listed
    slider = s.driver.cmd("trackbar", hwnd=control(s, main, "间隔滑块条")["hwnd"])["pos"]
    assert slider == (25 if second == "任务乙" else 1), f"the interval of {second} is not shown: {slider}"
    s.driver.cmd("close", hwnd=main["hwnd"])
    assert app.wait() == 0


def notepad_windows(s):
    return s.driver.windows(exe="notepad.exe")


def close_notepad(s, window):
    s.driver.cmd("close", hwnd=window["hwnd"])
    wait_until(lambda: not notepad_windows(s), what="Notepad closed")


def test_edit_opens_the_task_in_notepad(s):
    run_dir = s.new_run_dir()
    put_task(run_dir, "新任务1", A_TASK)
    app, main = start_main(s, run_dir=run_dir)
    assert not notepad_windows(s), "a Notepad is open already"
    openers = [("menu", lambda: choose_menu_item(s, open_task_menu(s, main), MENU_IDS["编辑任务"])),
               ("double click", lambda: s.driver.click(*item_point(s, main, 0), double=True))]
    for how, open_editor in openers:
        open_editor()
        notepad = wait_until(lambda: next((w for w in notepad_windows(s) if "新任务1" in w["title"]), None),
                             timeout=15.0, what=f"Notepad on the task file ({how})")
        s.say(f"{how}: Notepad's title {notepad['title']!r}")
        s.driver.cmd("sleep", ms=300)
        s.screenshot(f"notepad-{how.replace(' ', '-')}")
        close_notepad(s, notepad)
        assert app.running, "the program ended with Notepad"
    assert list_state(s, main)["items"] == ["新任务1"]
    s.driver.cmd("close", hwnd=main["hwnd"])
    assert app.wait() == 0


def item_point(s, main, index):
    listbox = control(s, main, "列表框")
    state = s.driver.cmd("listbox", hwnd=listbox["hwnd"])
    r = listbox["rect"]
    row = index - state["top"]
    return r["left"] + 30, r["top"] + 2 + row * state["item_height"] + state["item_height"] // 2

