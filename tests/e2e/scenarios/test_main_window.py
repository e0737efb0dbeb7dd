"""The main window: where every control stands, what kind it is and how it starts; the labels
that follow the sliders and the pointer; the pass-count box; the list's menu and the keys."""
import os

import app_model as m
from display import SCREEN_HEIGHT, SCREEN_WIDTH
from win32 import BST_CHECKED, BST_UNCHECKED, WS_EX_CLIENTEDGE, WS_EX_STATICEDGE

WS_VSCROLL = 0x00200000
WS_HSCROLL = 0x00100000
WS_BORDER = 0x00800000
LBS_NOTIFY = 0x0001
LBS_SORT = 0x0002
LBS_MULTIPLESEL = 0x0008
LBS_MULTICOLUMN = 0x0200
LBS_EXTENDEDSEL = 0x0800
BS_TYPEMASK = 0x000F
BS_GROUPBOX = 0x0007
BS_PUSHBUTTON = 0x0000
BS_AUTORADIOBUTTON = 0x0009
BS_LEFTTEXT = 0x0020
BS_MULTILINE = 0x2000
ES_MULTILINE = 0x0004
ES_AUTOHSCROLL = 0x0080
TBS_VERT = 0x0002
TBS_TOP = 0x0004
TBS_BOTH = 0x0008
TBS_NOTICKS = 0x0010
TBS_ENABLESELRANGE = 0x0020
SS_TYPEMASK = 0x001F
SS_LEFT = 0x0000
EM_GETSEL = 0x00B0

KINDS = {
    "图片框1": "ZelvornPicture", "超级链接框1": "Static", "分组框1": "Button", "选择夹1": "ZelvornPages",
    "标签1": "Static", "标签2": "Static", "录制": "Button", "播放": "Button", "帮助": "Button", "关于": "Button",
    "分组框3": "Button", "分组框4": "Button", "列表框": "ListBox", "单选框1": "Button", "单选框2": "Button",
    "编辑框1": "Edit", "次数调节钮": "msctls_updown32", "标签5": "Static", "间隔时间": "Static",
    "间隔滑块条": "msctls_trackbar32", "标签6": "Static", "鼠标速度": "Static", "鼠标滑块条": "msctls_trackbar32",
    "按钮1": "Button", "分组框2": "Button", "标签3": "Static", "标签4": "Static",
}
ON_WINDOW = {"图片框1", "分组框1", "选择夹1", "标签1", "标签2"}
STATIC_EDGE = {"标签1", "标签2", "间隔时间", "鼠标速度", "次数调节钮"}
PLAIN_LABELS = {"标签5", "标签6", "标签3", "标签4"}
SLIDERS = {  # min, max, tic frequency, line size, page size
    "鼠标滑块条": (1, 100, 10, 1, 1),
    "间隔滑块条": (1, 10000, 1000, 10, 1),
}


def mul_div(value, numerator, denominator):
    """Windows' MulDiv: the product divided, rounded half away from zero."""
    q, r = divmod(abs(value) * numerator, denominator)
    q += 1 if 2 * r >= denominator else 0
    return q if value >= 0 else -q


def check_layout(s, main, dpi=96):
    """Every control's place and size in the client area: the 96-DPI values, scaled to the DPI
    (one pixel of rounding allowed when scaled)."""
    tolerance = 0 if dpi == 96 else 1
    ctrls = m.controls(s, main)
    wrong = []
    for name, *place in m.MAIN_LAYOUT:
        expected = tuple(mul_div(v, dpi, 96) for v in place)
        actual = m.client_place(main, ctrls[name])
        if any(abs(a - e) > tolerance for a, e in zip(actual, expected)):
            wrong.append(f"{name}: {actual}, expected {expected}")
    assert not wrong, "controls out of place:\n" + "\n".join(wrong)


def check_texts_and_first_state(s, main):
    """Texts read back as UTF-16, the checked radio button, the shown page, the empty list."""
    assert s.driver.text(main["hwnd"]) == m.MAIN_CAPTION
    ctrls = m.controls(s, main)
    wrong = [f"{name}: {ctrls[name]['text']!r}, expected {text!r}" for name, text in m.FIRST_TEXTS.items()
             if ctrls[name]["text"] != text]
    assert not wrong, "texts:\n" + "\n".join(wrong)
    coordinates = s.driver.text(ctrls["标签2"]["hwnd"])
    assert coordinates.startswith(m.COORDINATE_PREFIX), f"标签2 {coordinates!r}"

    assert s.driver.cmd("button", hwnd=ctrls["单选框1"]["hwnd"])["check"] == BST_UNCHECKED
    assert s.driver.cmd("button", hwnd=ctrls["单选框2"]["hwnd"])["check"] == BST_CHECKED
    shown = {name for name in m.PAGE0 + m.PAGE1 if ctrls[name]["visible"]}
    assert shown == set(m.PAGE0), f"visible page controls: {sorted(shown)}"

    tasks = m.list_state(s, main)
    assert (tasks["count"], tasks["cursel"]) == (0, -1), f"task list {tasks}"


def test_controls_stand_where_laid_out_with_their_kinds_styles_and_first_state(s):
    app, main = m.start_main(s)
    r = main["rect"]
    assert (r["width"], r["height"]) == m.MAIN_SIZE, f"main window size {r}"
    check_layout(s, main)
    check_texts_and_first_state(s, main)

    ctrls = m.controls(s, main)
    pages, banner = ctrls["选择夹1"]["hwnd"], ctrls["图片框1"]["hwnd"]
    for name, kind in KINDS.items():
        c = ctrls[name]
        assert c["class"].lower() == kind.lower(), f"{name} is a {c['class']}, expected {kind}"
        parent = main["hwnd"] if name in ON_WINDOW else banner if name == "超级链接框1" else pages
        assert c["parent"] == parent, f"{name} has the wrong parent"
        has_edge = bool(c["exstyle"] & WS_EX_STATICEDGE)
        if name in STATIC_EDGE or name in PLAIN_LABELS:
            assert has_edge == (name in STATIC_EDGE), f"{name} exstyle {c['exstyle']:#x}"
    assert not ctrls["超级链接框1"]["visible"], "the hyperlink box shows"

    style = lambda name: ctrls[name]["style"]  # noqa: E731
    for name in ("录制", "播放", "帮助", "关于", "按钮1"):
        assert style(name) & BS_TYPEMASK in (BS_PUSHBUTTON, 1), f"{name} style {style(name):#x}"
    for name in ("分组框1", "分组框2", "分组框3", "分组框4"):
        assert style(name) & BS_TYPEMASK == BS_GROUPBOX, f"{name} style {style(name):#x}"
    for name in ("单选框1", "单选框2"):
        assert style(name) & BS_TYPEMASK == BS_AUTORADIOBUTTON, f"{name} style {style(name):#x}"
        assert style(name) & BS_MULTILINE and not style(name) & BS_LEFTTEXT, f"{name} style {style(name):#x}"
    for name in ("标签1", "标签2", "标签3", "标签4", "标签5", "标签6", "间隔时间", "鼠标速度"):
        assert style(name) & SS_TYPEMASK == SS_LEFT, f"{name} style {style(name):#x}"

    listbox = ctrls["列表框"]
    assert listbox["style"] & LBS_NOTIFY, f"list style {listbox['style']:#x}"
    for bit, what in ((LBS_SORT, "sorted"), (LBS_MULTIPLESEL | LBS_EXTENDEDSEL, "multiple selection"),
                      (LBS_MULTICOLUMN, "several columns"), (WS_HSCROLL, "a horizontal scroll bar")):
        assert not listbox["style"] & bit, f"the list is {what}: style {listbox['style']:#x}"
    # Windows takes WS_VSCROLL away while the scroll bar is hidden: an empty list shows none.
    assert not listbox["style"] & WS_VSCROLL, "an empty list shows a scroll bar"
    assert listbox["exstyle"] & WS_EX_CLIENTEDGE and ctrls["编辑框1"]["exstyle"] & WS_EX_CLIENTEDGE

    edit = ctrls["编辑框1"]
    assert edit["style"] & ES_AUTOHSCROLL and not edit["style"] & ES_MULTILINE, f"edit style {edit['style']:#x}"
    updown = s.driver.cmd("updown", hwnd=ctrls["次数调节钮"]["hwnd"])
    assert (updown["min"], updown["max"]) == (1, 5000), f"up-down {updown}"

    for name, (low, high, frequency, line, page) in SLIDERS.items():
        c = ctrls[name]
        assert not c["style"] & (TBS_VERT | TBS_TOP | TBS_BOTH | TBS_NOTICKS | WS_BORDER), f"{name} {c['style']:#x}"
        assert c["style"] & TBS_ENABLESELRANGE, f"{name} style {c['style']:#x}"
        t = s.driver.cmd("trackbar", hwnd=c["hwnd"])
        got = (t["pos"], t["min"], t["max"], t["linesize"], t["pagesize"], t["sel_start"], t["sel_end"])
        assert got == (1, low, high, line, page, 0, 0), f"{name} {t}"
        assert t["tics"] == list(range(low + frequency, high, frequency)), f"{name} tics {t['tics']}"

    shot = s.screenshot("main-window")
    check_group_captions_blue(shot, main, ctrls, ("分组框3", "分组框4"))
    check_banner_fills_its_box(shot, main)
    ratio = glyph_height_ratio(shot, ctrls["录制"])
    assert 0.21 < ratio < 0.4, f"the text of 录制 is {ratio:.2f} of the button's height"
    s.driver.cmd("close", hwnd=main["hwnd"])
    assert app.wait() == 0


def check_group_captions_blue(shot, main, ctrls, names):
    for name in names:
        r = ctrls[name]["rect"]
        rows = m.crop_rgb(shot, r["left"] + 4, r["top"], min(60, r["width"] - 8), 14)
        blue = sum(1 for row in rows for (red, green, b) in row if b > 200 and red < 80 and green < 80)
        assert blue >= 10, f"the caption of {name} is not drawn in blue ({blue} blue pixels)"


def test_a_list_longer_than_its_box_shows_its_scroll_bar(s):
    run_dir = s.new_run_dir()
    names = [f"task{n:02d}" for n in range(1, 13)]
    for name in names:
        with open(os.path.join(run_dir, name + ".kpx"), "wb") as f:
            f.write(m.task_file_bytes([(10, 10, 0, 0)]))
    app, main = m.start_main(s, run_dir=run_dir)
    listbox = m.control(s, main, "列表框")
    tasks = m.list_state(s, main)
    assert sorted(tasks["items"]) == names, f"task list {tasks}"
    assert tasks["count"] * tasks["item_height"] > listbox["rect"]["height"], "the items fit: no test"
    assert listbox["style"] & WS_VSCROLL, f"no vertical scroll bar: style {listbox['style']:#x}"
    s.driver.cmd("close", hwnd=main["hwnd"])
    assert app.wait() == 0


def wait_slider(s, slider, label, position, text):
    def reached():
        return s.driver.cmd("trackbar", hwnd=slider["hwnd"])["pos"] == position and s.driver.text(label["hwnd"]) == text
    try:
        m.wait_until(reached, timeout=3.0)
    except AssertionError:
        t = s.driver.cmd("trackbar", hwnd=slider["hwnd"])["pos"]
        raise AssertionError(f"slider at {t}, label {s.driver.text(label['hwnd'])!r}; "
                             f"expected {position} and {text!r}") from None


def clicked_position(s, slider):
    """The slider's position after a click on its channel, which starts at 1."""
    position = m.wait_until(lambda: (p := s.driver.cmd("trackbar", hwnd=slider["hwnd"])["pos"]) != 1 and p,
                            timeout=3.0, what="the click moved the slider")
    assert 2 <= position <= 5, f"one click moved the slider to {position}"
    return position


def slider_point(slider, x_from_left):
    """A point on the slider's channel row, x pixels from its left edge."""
    r = slider["rect"]
    return r["left"] + x_from_left, r["top"] + r["height"] // 2


def test_slider_labels_follow_the_user(s):
    app, main = m.start_main(s)
    ctrls = m.controls(s, main)
    interval, interval_label = ctrls["间隔滑块条"], ctrls["间隔时间"]

    # A click on the channel right of the thumb moves it by pages of 1 and focuses the slider.
    # Wine pages again on each pointer move while the button is down, and the driver's click
    # comes with such moves: one click may give a few pages.
    s.driver.click(*slider_point(interval, interval["rect"]["width"] - 12))
    position = clicked_position(s, interval)
    wait_slider(s, interval, interval_label, position, f"0.{position}秒")
    assert m.focused_name(s, main) == "间隔滑块条"
    s.driver.key("home")
    wait_slider(s, interval, interval_label, 1, "0.1秒")
    # Arrows move by the line size (10), Page Up and Down by the page size (1).
    steps = [("right", 5, 51, None), ("pagedown", 8, 59, "5.9秒"), ("pagedown", 1, 60, "6秒"),
             ("right", 53, 590, None), ("pagedown", 9, 599, "59.9秒"), ("pagedown", 1, 600, "1分0.0秒"),
             ("end", 1, 10000, "16分40.0秒"), ("pageup", 1, 9999, "16分39.9秒"), ("home", 1, 1, "0.1秒")]
    for key, count, position, text in steps:
        s.driver.key(key, count=count, gap=15)
        if text is None:
            m.wait_until(lambda: s.driver.cmd("trackbar", hwnd=interval["hwnd"])["pos"] == position, timeout=3.0,
                         what=f"interval slider at {position}")
        else:
            wait_slider(s, interval, interval_label, position, text)

    speed, speed_label = ctrls["鼠标滑块条"], ctrls["鼠标速度"]
    s.driver.click(*slider_point(speed, speed["rect"]["width"] - 12))
    position = clicked_position(s, speed)
    wait_slider(s, speed, speed_label, position, str(position))
    s.driver.key("home")
    wait_slider(s, speed, speed_label, 1, "1")
    # Dragging the thumb: the label follows while the button is still down.
    thumb = slider_point(speed, 10)
    s.driver.cmd("mouse", action="down", button="left", x=thumb[0], y=thumb[1])
    try:
        for x in (60, 120):
            s.driver.cmd("move", x=speed["rect"]["left"] + x, y=thumb[1])
            m.wait_until(lambda: s.driver.cmd("trackbar", hwnd=speed["hwnd"])["pos"] > 2 + x // 3, timeout=3.0,
                         what=f"thumb dragged to x {x}")
            position = s.driver.cmd("trackbar", hwnd=speed["hwnd"])["pos"]
            assert m.wait_text(s, speed_label, str(position)) == str(position), f"speed label while dragging to {x}"
    finally:
        s.driver.cmd("mouse", action="up", button="left", x=speed["rect"]["left"] + 120, y=thumb[1])
    for key, position in (("end", 100), ("left", 99), ("home", 1)):
        s.driver.key(key)
        wait_slider(s, speed, speed_label, position, str(position))
    # The interval label did not move with the speed slider.
    assert s.driver.text(interval_label["hwnd"]) == "0.1秒"
    s.driver.cmd("close", hwnd=main["hwnd"])
    assert app.wait() == 0


def test_pass_count_up_down_wraps_and_typing_keeps_digits_and_minus(s):
    app, main = m.start_main(s)
    ctrls = m.controls(s, main)
    edit, arrows = ctrls["编辑框1"], ctrls["次数调节钮"]["rect"]
    x = arrows["left"] + arrows["width"] // 2
    points = {"up": (x, arrows["top"] + arrows["height"] // 4), "down": (x, arrows["top"] + 3 * arrows["height"] // 4)}
    cases = [("5000", "up", "1"), ("1", "down", "5000"), ("abc", "up", "1"), ("abc", "down", "5000"),
             ("10", "up", "11"), ("10", "down", "9"), ("-7", "up", "1"), ("", "down", "5000")]
    for before, arrow, after in cases:
        s.driver.cmd("set_text", hwnd=edit["hwnd"], text=before)
        s.driver.click(*points[arrow])
        got = m.wait_text(s, edit, after)
        assert got == after, f"{before!r} then {arrow}: {got!r}, expected {after!r}"
        selection = s.driver.send(edit["hwnd"], EM_GETSEL)
        assert (selection & 0xFFFF, selection >> 16) == (0, len(after)), f"{before!r} {arrow}: selection {selection:#x}"
        assert m.focused_name(s, main) == "编辑框1", f"{before!r} {arrow}: the focus is not in the box"

    # The box holds "5000", all selected: typing replaces it, letters are dropped.
    s.driver.cmd("type", text="ab-1x2!c3")
    assert m.wait_text(s, edit, "-123") == "-123"
    s.driver.key("backspace")
    assert m.wait_text(s, edit, "-12") == "-12"
    s.driver.cmd("close", hwnd=main["hwnd"])
    assert app.wait() == 0


def test_coordinate_label_follows_the_pointer(s):
    app, main = m.start_main(s)
    label = m.control(s, main, "标签2")
    slowest = 0
    for x, y in ((100, 200), (SCREEN_WIDTH - 1, 0), (0, SCREEN_HEIGHT - 1), (640, 513)):
        moved_at = s.driver.cmd("move", x=x, y=y)["t"]
        expected = f"{m.COORDINATE_PREFIX}{x}/{y}"
        got = m.wait_text(s, label, expected, timeout=2.0)
        shown_at = s.driver.cmd("ping")["t"]
        assert got == expected, f"标签2 {got!r}, expected {expected!r}"
        slowest = max(slowest, shown_at - moved_at)
    s.say(f"标签2 followed the pointer within {slowest:.0f} ms")
    # 100 ms ticks; the margin is for a loaded machine.
    assert slowest < 1000, f"标签2 took {slowest:.0f} ms"
    s.driver.cmd("close", hwnd=main["hwnd"])
    assert app.wait() == 0


def program_windows(s):
    return {w["hwnd"] for w in s.driver.windows(exe=m.EXE)}


def test_context_menu_of_the_empty_list_and_the_main_window_keys(s):
    app, main = m.start_main(s)
    ctrls = m.controls(s, main)
    listbox = ctrls["列表框"]
    x, y = m.centre(listbox)
    s.driver.click(x, y, button="right")
    menus = s.driver.cmd("menu", timeout=3000)["menus"]
    assert len(menus) == 1, f"menus {menus}"
    # (Wine reports separators as greyed.)
    items = [("-" if i["separator"] else i["text"], i["grayed"] and not i["separator"]) for i in menus[0]["items"]]
    assert items == [("删除任务(&D)...\tCtrl+D", True), ("-", False), ("编辑任务(&E)...\tCtrl+E", True),
                     ("Zelvorn网提供", False)], f"menu {items}"
    popup = s.driver.windows(cls="#32768")
    assert popup, "no menu window"
    r = popup[0]["rect"]
    assert (r["left"], r["top"]) == (x + 3, y + 3), f"menu at {r}, pointer at {x}, {y}"
    s.screenshot("list-menu")
    s.driver.key("esc")
    m.wait_until(lambda: not s.driver.cmd("menu")["menus"], timeout=3.0, what="the menu closed by Esc")
    assert not s.driver.cmd("gui_thread", hwnd=main["hwnd"])["in_menu"]

    # Tab and Shift+Tab walk the controls of page 0.
    before = program_windows(s)
    s.driver.key("tab")
    first = m.focused_name(s, main)
    walked = [first]
    for _ in range(4):
        s.driver.key("tab")
        walked.append(m.wait_until(lambda: (f := m.focused_name(s, main)) != walked[-1] and f, timeout=2.0,
                                   what=f"the focus moved on from {walked[-1]}"))
    assert all(name in m.PAGE0 for name in walked), f"Tab went to {walked}"
    assert len(set(walked)) == len(walked), f"Tab went round in {walked}"
    s.driver.key("shift+tab")
    m.wait_until(lambda: m.focused_name(s, main) == walked[-2], timeout=2.0, what="Shift+Tab back")

    # Ctrl+D, Ctrl+E and Esc do nothing to the main window, wherever the focus is.
    for key in ("ctrl+d", "ctrl+e", "esc"):
        s.driver.key(key)
    s.driver.cmd("sleep", ms=700)
    assert s.driver.info(main["hwnd"])["visible"], "the main window went away"
    assert program_windows(s) == before, "a window came up"
    assert not s.driver.cmd("menu")["menus"], "a menu came up"
    assert app.running
    s.driver.cmd("close", hwnd=main["hwnd"])
    assert app.wait() == 0


def test_recording_shows_page_one(s):
    app, main = m.start_main(s)
    m.click_control(s, m.control(s, main, "录制"))
    ctrls = m.wait_until(lambda: (c := m.controls(s, main)) and c["按钮1"]["visible"] and c, timeout=5.0,
                         what="page 1 shown")
    shown = {name for name in m.PAGE0 + m.PAGE1 if ctrls[name]["visible"]}
    assert shown == set(m.PAGE1), f"visible page controls: {sorted(shown)}"
    info = s.driver.info(main["hwnd"])
    assert (info["rect"]["left"], info["rect"]["top"]) == (SCREEN_WIDTH - 400, SCREEN_HEIGHT - 296), info["rect"]
    assert ctrls["标签3"]["text"] == m.RECORDING_NOTE and ctrls["标签4"]["text"] == m.HOTKEY_NOTE
    check_layout(s, info)
    s.driver.cmd("sleep", ms=300)
    shot = s.screenshot("page-1")
    check_group_captions_blue(shot, info, ctrls, ("分组框2",))
    s.driver.cmd("close", hwnd=main["hwnd"])
    assert app.wait() == 0


BANNER_JPEG = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "res", "banner.jpg")


def check_banner_fills_its_box(shot, main, dpi=96):
    """The banner picture, scaled to the DPI, covers the banner's box (as far as the client
    area shows it): the screenshot matches the picture resized to that box."""
    import subprocess
    width, height = mul_div(400, dpi, 96), mul_div(60, dpi, 96)
    left = -mul_div(-3, dpi, 96)  # the box starts left of the client area
    c = main["client"]
    shown = min(width - left, c["width"])
    raw = subprocess.run(["convert", BANNER_JPEG, "-resize", f"{width}x{height}!", "-crop", f"{shown}x{height}+{left}+0",
                          "+repage", "-depth", "8", "rgb:-"], check=True, capture_output=True).stdout
    screen = bytes(v for row in m.crop_rgb(shot, c["left"], c["top"], shown, height) for p in row for v in p)
    assert len(raw) == len(screen), "banner crop sizes differ"
    difference = sum(abs(a - b) for a, b in zip(raw, screen)) / len(raw)
    assert difference < 20, f"the banner does not fill its {width} x {height} box: mean difference {difference:.1f}"


def glyph_height_ratio(shot, ctrl):
    """Height of the dark text pixels in a push button over the button's height."""
    r = ctrl["rect"]
    rows = m.crop_rgb(shot, r["left"] + 4, r["top"] + 4, r["width"] - 8, r["height"] - 8)
    dark = [y for y, row in enumerate(rows) if any(sum(p) < 300 for p in row)]
    assert dark, f"no text in button {ctrl['text']!r}"
    return (dark[-1] - dark[0] + 1) / r["height"]
