"""What the scenarios know of the program's windows: the main window, its controls by id, the
dialogs it opens, and the input box. Shared by the scenario files; extend it by appending."""
import time

from driver_client import DriverError
from win32 import HTCLOSE, WM_NCHITTEST, make_lparam

EXE = "ZelvornMouse.exe"
MAIN_CLASS = "ZelvornMain"
MAIN_CAPTION = "Zelvorn鼠标助手 V3.0"
SPLASH_CLASS = "ZelvornSplash"
DIALOG_CLASS = "#32770"

# Control ids of the main window (src/app/win32/control_ids.h).
IDS = {
    "图片框1": 100, "超级链接框1": 101, "分组框1": 102, "选择夹1": 103, "标签1": 110, "标签2": 111,
    "录制": 120, "播放": 121, "帮助": 122, "关于": 123, "分组框3": 130, "分组框4": 131, "列表框": 132,
    "单选框1": 140, "单选框2": 141, "编辑框1": 142, "次数调节钮": 143, "标签5": 144, "间隔时间": 145,
    "间隔滑块条": 146, "标签6": 147, "鼠标速度": 148, "鼠标滑块条": 149, "按钮1": 150, "分组框2": 151,
    "标签3": 152, "标签4": 153,
}
PAGE0 = ["录制", "播放", "帮助", "关于", "分组框3", "列表框", "分组框4", "单选框1", "单选框2", "编辑框1",
         "次数调节钮", "标签5", "间隔时间", "间隔滑块条", "标签6", "鼠标速度", "鼠标滑块条"]
PAGE1 = ["按钮1", "分组框2", "标签3", "标签4"]
MENU_IDS = {"删除任务": 200, "编辑任务": 201, "Zelvorn网提供": 202}

# The input box of the program (dialog templates 1037 / 1150).
INPUT_PROMPT_ID = 1128
INPUT_FIELD_ID = 1001
IDOK = 1
IDCANCEL = 2
EM_GETSEL = 0x00B0


def wait_main(s, timeout=10000):
    return s.driver.wait_window(exe=EXE, cls=MAIN_CLASS, title=MAIN_CAPTION, timeout=timeout)


def start_main(s, run_dir=None, skip_splash=True):
    """Starts the program and returns (app, main window); a click closes the splash at once."""
    app = s.start_app(run_dir=run_dir)
    splash = s.driver.wait_window(exe=EXE, cls=SPLASH_CLASS, timeout=20000)
    if skip_splash:
        s.driver.cmd("sleep", ms=300)
        r = splash["rect"]
        s.driver.click(r["left"] + r["width"] // 2, r["top"] + r["height"] // 2)
    main = wait_main(s)
    s.driver.cmd("sleep", ms=300)  # let it settle and paint
    return app, s.driver.info(main["hwnd"])


def controls(s, main):
    """The main window's controls by name: the child entries of the driver's "children"."""
    by_id = {c["id"]: c for c in s.driver.children(main["hwnd"])}
    return {name: by_id[i] for name, i in IDS.items() if i in by_id}


def control(s, main, name):
    return controls(s, main)[name]


def centre(window):
    r = window["rect"]
    return r["left"] + r["width"] // 2, r["top"] + r["height"] // 2


def click_control(s, ctrl, button="left", double=False):
    x, y = centre(ctrl)
    return s.driver.click(x, y, button=button, double=double)


def wait_dialog(s, title=None, timeout=5000):
    """A dialog (class #32770) of the program: a message box or the input box."""
    filters = {"exe": EXE, "cls": DIALOG_CLASS, "timeout": timeout}
    if title is not None:
        filters["title"] = title
    return s.driver.wait_window(**filters)


def no_dialog(s):
    return s.driver.find(exe=EXE, cls=DIALOG_CLASS) is None


def dialog_child(s, dialog, control_id):
    for c in s.driver.children(dialog["hwnd"]):
        if c["id"] == control_id:
            return c
    raise DriverError(f"dialog {dialog['title']!r} has no control {control_id}")


def message_text(s, box):
    """The text of a message box: its static controls that carry text (the icon has none)."""
    texts = [c["text"] for c in s.driver.children(box["hwnd"]) if c["class"].lower() == "static" and c["text"]]
    return "\n".join(texts)


def message_buttons(s, box):
    return [c["text"] for c in s.driver.children(box["hwnd"]) if c["class"].lower() == "button" and c["visible"]]


def close_box_point(s, window):
    """A point of the caption bar that the window itself reports as its close box."""
    r = window["rect"]
    for y in range(r["top"] + 2, r["top"] + 40, 3):
        for x in range(r["right"] - 2, r["right"] - 60, -2):
            if s.driver.send(window["hwnd"], WM_NCHITTEST, lparam=make_lparam(x, y)) == HTCLOSE:
                return x, y
    raise AssertionError(f"{window.get('class', 'the window')} reports no close box")


def wait_gone(s, window, timeout=5000):
    answer = s.driver.cmd("wait_gone", hwnd=window["hwnd"], timeout=timeout)
    assert answer["gone"], f"{window['class']} {window['title']!r} still there after {timeout} ms"
    return answer["t"]


def input_box_state(s, box):
    """Prompt, field text and selection (start, end) of the input box."""
    prompt = dialog_child(s, box, INPUT_PROMPT_ID)
    field = dialog_child(s, box, INPUT_FIELD_ID)
    selection = s.driver.send(field["hwnd"], EM_GETSEL)
    return {"prompt": prompt["text"], "field": field, "text": field["text"],
            "selection": (selection & 0xFFFF, (selection >> 16) & 0xFFFF)}


def answer_input_box(s, box, text=None, key="enter"):
    """Types text over the selected default (None keeps it) and presses key (enter or esc)."""
    field = dialog_child(s, box, INPUT_FIELD_ID)
    focus = s.driver.cmd("gui_thread", hwnd=box["hwnd"])["focus"]
    if focus != field["hwnd"]:
        s.driver.cmd("activate", hwnd=box["hwnd"])
    if text is not None:
        s.driver.cmd("set_text", hwnd=field["hwnd"], text=text) if _needs_set(text) else s.driver.cmd("type", text=text)
    s.driver.key(key)
    wait_gone(s, box)


def _needs_set(text):
    # Typing replaces the selection; an empty answer needs the field cleared.
    return text == ""


def list_state(s, main):
    return s.driver.cmd("listbox", hwnd=control(s, main, "列表框")["hwnd"])


def wait_until(predicate, timeout=5.0, interval=0.05, what="condition"):
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise AssertionError(f"{what} not reached within {timeout} s")
        time.sleep(interval)


# --- Task files, as the program writes them (GBK, CR LF, no byte-order mark) -----------------

DESCRIPTION_LINES = [
    "[Zelvorn鼠标助手V3.0]",
    "说明：=    Zelvorn鼠标助手任务文件说明",
    "",
    "    格式：[事件顺序数]",
    "         X＝鼠标横向位置",
    "         Y＝鼠标纵向位置",
    "         事件＝0-3（0表示鼠标左键单击，1表示鼠标左键双击，2表示鼠标右键单击，3表示鼠标右键双击）",
    "         延时＝本次事件与上一事件之间的时间，单击：毫秒",
]


def task_file_bytes(events, interval=None):
    """The bytes of a task file: events are (x, y, type, delay) in recording order."""
    lines = list(DESCRIPTION_LINES)
    for k, (x, y, kind, delay) in enumerate(events, start=1):
        lines += [f"[{k}]", f"X={x}", f"Y={y}", f"事件={kind}", f"延时={delay}"]
    if interval is not None:
        lines += ["[间隔时间]", f"值={interval}"]
    return ("\r\n".join(lines) + "\r\n").encode("gbk")


def task_path(run_dir, name):
    # The run directory is a Linux folder: the GBK name appears there in UTF-8.
    import os
    return os.path.join(run_dir, name + ".kpx")


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


def recorded_delays(data):
    """The "延时" values of a task file's bytes, in file order."""
    import re
    return [int(v) for v in re.findall(rb"\r\n\xd1\xd3\xca\xb1=(-?\d+)\r\n", data)]


# --- The Wine side of the session ------------------------------------------------------------

def wine_temp_dirs(s):
    """Folders that %TEMP% of the prefix may be (Wine 8: drive_c/users/<user>/Temp)."""
    import getpass
    import os
    user = os.path.join(s.prefix.path, "drive_c", "users", getpass.getuser())
    return [d for d in (os.path.join(user, "Temp"), os.path.join(user, "AppData", "Local", "Temp")) if os.path.isdir(d)]


def pending_files(s):
    """Paths of the "<hex>.tmp" files in the prefix's temporary folder."""
    import os
    import re
    found = set()
    for d in wine_temp_dirs(s):
        found |= {os.path.join(d, n) for n in os.listdir(d) if re.fullmatch(r"[0-9a-f]+\.tmp", n)}
    return found


def open_task_menu(s, main):
    """Right click on the task list; gives the shown context menu with its items."""
    click_control(s, control(s, main, "列表框"), button="right")
    menus = s.driver.cmd("menu", timeout=3000)["menus"]
    assert menus, "no context menu came up"
    return menus[0]


def choose_menu_item(s, menu, item_id):
    for item in menu["items"]:
        if item.get("id") == item_id:
            r = item["rect"]
            s.driver.click(r["left"] + r["width"] // 2, r["top"] + r["height"] // 2)
            return item
    raise AssertionError(f"menu has no item {item_id}: {menu['items']}")


# --- The main window as laid out at 96 DPI, and its first state ------------------------------

MAIN_SIZE = (390, 295)  # outer size after the creation handler

# Place and size in the main window's client area once the page area stands at y 62:
# (name, x, y, width, height).
MAIN_LAYOUT = [
    ("图片框1", -3, 0, 400, 60),
    ("超级链接框1", -3, 40, 168, 16),
    ("分组框1", -5, 55, 402, 8),
    ("选择夹1", 0, 62, 400, 199),
    ("标签1", 4, 245, 140, 19),
    ("标签2", 146, 245, 245, 19),
    ("录制", 7, 62, 90, 40),
    ("播放", 101, 62, 90, 40),
    ("帮助", 195, 62, 90, 40),
    ("关于", 289, 62, 90, 40),
    ("分组框3", 5, 107, 190, 132),
    ("列表框", 9, 121, 181, 110),
    ("分组框4", 200, 107, 190, 132),
    ("单选框1", 208, 120, 176, 15),
    ("单选框2", 208, 139, 80, 15),
    ("编辑框1", 287, 137, 68, 16),
    ("次数调节钮", 355, 137, 18, 16),
    ("标签5", 210, 158, 62, 16),
    ("间隔时间", 287, 158, 83, 18),
    ("间隔滑块条", 201, 180, 185, 17),
    ("标签6", 210, 199, 62, 16),
    ("鼠标速度", 287, 198, 83, 18),
    ("鼠标滑块条", 201, 218, 185, 17),
    ("按钮1", 116, 72, 168, 40),
    ("分组框2", 6, 114, 384, 120),
    ("标签3", 16, 128, 168, 104),
    ("标签4", 214, 128, 168, 104),
]

RECORDING_NOTE = ("    请将鼠标移动到指定位置，按下相应的快捷键，以录制鼠标事件。\r\n\r\n"
                  "    点击［保存鼠标事件］按钮以保存本次录制。")
HOTKEY_NOTE = "快捷键：\r\n\r\nF6：鼠标左键单击\r\nF7：鼠标左键双击\r\nF8：鼠标右键单击\r\nF9：鼠标右键双击"

# Texts of the controls when the main window has come up without task files.
FIRST_TEXTS = {
    "录制": "录制", "播放": "播放", "帮助": "帮助", "关于": "关于",
    "分组框3": "任务：", "分组框4": "选项：", "分组框2": "说明：", "分组框1": "",
    "单选框1": "按 Caps Lock键 停止", "单选框2": "指定次数：", "编辑框1": "10",
    "标签5": "间隔时间：", "间隔时间": "0.1秒", "标签6": "鼠标速度：", "鼠标速度": "1",
    "按钮1": "保存鼠标事件", "标签3": RECORDING_NOTE, "标签4": HOTKEY_NOTE,
    "标签1": "欢迎使用Zelvorn鼠标助手",
}
COORDINATE_PREFIX = "当前鼠标横/纵座标："


def client_place(main, ctrl):
    """(x, y, width, height) of a control in the main window's client area."""
    r, c = ctrl["rect"], main["client"]
    return r["left"] - c["left"], r["top"] - c["top"], r["width"], r["height"]


def focused_name(s, main):
    """The name of the main window's control that has the keyboard focus, else its handle."""
    focus = s.driver.cmd("gui_thread", hwnd=main["hwnd"])["focus"]
    for name, ctrl in controls(s, main).items():
        if ctrl["hwnd"] == focus:
            return name
    return focus


def wait_text(s, window, expected, timeout=3.0):
    """Waits until the window's text (WM_GETTEXT) is expected; gives the last text read."""
    deadline = time.monotonic() + timeout
    while True:
        text = s.driver.text(window["hwnd"])
        if text == expected or time.monotonic() >= deadline:
            return text
        time.sleep(0.03)


def expect_main_back(s, main, after):
    """After a modal window or message box: the main window enabled and always on top again."""
    def back():
        info = s.driver.info(main["hwnd"])
        return info["enabled"] and info["topmost"] and info
    info = wait_until(back, timeout=3.0, what=f"main window enabled and on top after {after}")
    return info


def crop_rgb(png_path, left, top, width, height):
    """The pixels of a part of a screenshot as a list of rows of (r, g, b)."""
    import subprocess
    raw = subprocess.run(["convert", png_path, "-crop", f"{width}x{height}+{left}+{top}", "+repage", "-depth", "8",
                          "rgb:-"], check=True, capture_output=True).stdout
    assert len(raw) == width * height * 3, f"crop {width}x{height}+{left}+{top} of {png_path} gave {len(raw)} bytes"
    return [[tuple(raw[(y * width + x) * 3:(y * width + x) * 3 + 3]) for x in range(width)] for y in range(height)]


# --- Playback ---------------------------------------------------------------------------------

PLAYING_CAPTION = "Zelvorn鼠标助手 V3.0  (正在播放任务...)"
STOPPED_STATUS = "任务已停止"
# The button messages at the start of a click (a double click's second press is a DBLCLK).
CLICK_PRESSES = ("WM_LBUTTONDOWN", "WM_LBUTTONDBLCLK", "WM_RBUTTONDOWN", "WM_RBUTTONDBLCLK")


def put_task(run_dir, name, events, interval=None):
    """Writes a task file as the program would: events are (x, y, type, delay)."""
    with open(task_path(run_dir, name), "wb") as f:
        f.write(task_file_bytes(events, interval))


def select_task(s, main, name):
    """Clicks the task's item in 列表框, as a user picks it."""
    listbox = control(s, main, "列表框")
    state = s.driver.cmd("listbox", hwnd=listbox["hwnd"])
    index = state["items"].index(name)
    r = listbox["rect"]
    row = index - state["top"]
    s.driver.click(r["left"] + 30, r["top"] + 2 + row * state["item_height"] + state["item_height"] // 2)
    wait_until(lambda: list_state(s, main)["cursel"] == index, what=f"{name} selected")


def set_pass_count(s, main, text):
    s.driver.cmd("set_text", hwnd=control(s, main, "编辑框1")["hwnd"], text=text)


def set_slider_by_keys(s, main, name, keys):
    """Clicks the slider (which focuses it) and presses keys, e.g. ["home", "right"]; gives its position."""
    slider = control(s, main, name)
    r = slider["rect"]
    s.driver.click(r["left"] + r["width"] // 2, r["top"] + r["height"] // 2)
    for key in keys:
        s.driver.key(key)
    s.driver.cmd("sleep", ms=200)
    return s.driver.cmd("trackbar", hwnd=slider["hwnd"])["pos"]


_status_labels = {}


def main_state(s, main):
    """Caption, 标签1, place and topmost of the main window. Only the label's text is asked of the
    program, since a message to it waits until it next looks at its queue (up to 100 ms while a
    run sleeps)."""
    if main["hwnd"] not in _status_labels:
        _status_labels[main["hwnd"]] = control(s, main, "标签1")["hwnd"]
    info = s.driver.info(main["hwnd"])
    return {"caption": info["title"], "status": s.driver.text(_status_labels[main["hwnd"]]),
            "place": (info["rect"]["left"], info["rect"]["top"]), "topmost": info["topmost"]}


def watch_run(s, main, timeout=60.0, interval=0.05):
    """Polls the main window until a run has stopped; gives every distinct state seen on the way."""
    seen = []
    deadline = time.monotonic() + timeout
    while True:
        state = main_state(s, main)
        if not seen or seen[-1] != state:
            seen.append(state)
        if state["status"] == STOPPED_STATUS and state["caption"] == MAIN_CAPTION:
            return seen
        assert time.monotonic() < deadline, f"the run did not end within {timeout} s; last {state}"
        time.sleep(interval)


def click_presses(target):
    return [e for e in target.events() if e["message"] in CLICK_PRESSES]


# --- Recording --------------------------------------------------------------------------------

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
