"""The modal windows of the main window: the help window, the About box and the message box of
a refused playback; each disables the main window and gives it back on top."""
import app_model as m
from display import SCREEN_HEIGHT, SCREEN_WIDTH
from win32 import (WS_CAPTION, WS_EX_CLIENTEDGE, WS_MAXIMIZEBOX, WS_MINIMIZEBOX, WS_SYSMENU,
                   WS_THICKFRAME)

HELP_CLASS = "ZelvornHelp"
WS_VSCROLL = 0x00200000
WS_HSCROLL = 0x00100000
ES_MULTILINE = 0x0004
ES_AUTOVSCROLL = 0x0040
ES_AUTOHSCROLL = 0x0080
ES_READONLY = 0x0800
ES_WANTRETURN = 0x1000
SS_TYPEMASK = 0x001F
SS_ICON = 0x0003
EM_GETLINECOUNT = 0x00BA
EM_GETFIRSTVISIBLELINE = 0x00CE

RULE = "-" * 46
# The help text line by line; line 20 credits the origin in words of our own and line 32 ends
# with the home page address: both are checked apart.
HELP_LINES = [
    RULE,
    "             Zelvorn鼠标助手 V3.0",
    RULE,
    "【软件简介】",
    "    Zelvorn鼠标助手是一款记录鼠标事件的小工具，它能将您记录的鼠标事件完整的重现，利用它您就能让电脑帮您执行"
    "一些重复的操作，比如自动点击网站广告、自动打开指定软件、执行指定操作等。",
    "",
    "【使用说明】",
    "录制：录制一个鼠标事件。将鼠标移动到指定位置，按下相应的快捷键即可设定本次鼠标事件，最后点击［保存鼠标事件］"
    "按钮即可将保存本次任务。",
    "",
    "播放：播放当前选中的任务。",
    "",
    "按 Cops Lock 键停止：本次任务只至用户按下了键盘上的Cops Lock 键后方停止。",
    "",
    "指定次数：本次任务执行指定次数后停止。",
    "",
    "间隔时间：任务与任务之间的间隔时间。",
    "",
    "【其它说明】",
    "",
    None,
    "",
    "Zelvorn鼠标助手仅记录了鼠标在屏幕上的事件，您在播放任务时请保证当前屏幕上的布局与您录制时一致，否则该任务"
    "无法正确执行。",
    "",
    "在任务执行过程中您可以随时按下键盘上的Cops Lock键来终止本次任务，一个任务有多个事件的，程序会将所有事件执行"
    "完毕后终止。",
    "",
    "您也可以关闭Zelvorn鼠标助手，本次任务中未完成的事件将自动放弃。",
    "",
    "Zelvorn鼠标助手记录了多个事件之间的时间，您可以用记事本打开程序目录下的相应任务文件，修改相关项目中的“延时”值"
    "来调整两个事件间的时间，单位：毫秒。",
    "",
    "【关于作者】",
    "作者：Zelvorn网",
    None,
]


def expect_frame(window, present, absent):
    for name, bit in present:
        assert window["style"] & bit == bit, f"{window['class']} style {window['style']:#x} lacks {name}"
    for name, bit in absent:
        assert not window["style"] & bit, f"{window['class']} style {window['style']:#x} has {name}"


def expect_centred(window, width, height):
    r = window["rect"]
    expected = ((SCREEN_WIDTH - width) // 2, (SCREEN_HEIGHT - height) // 2, width, height)
    assert (r["left"], r["top"], r["width"], r["height"]) == expected, f"{window['class']} at {r}, expected {expected}"


def expect_main_held(s, main, by):
    info = s.driver.info(main["hwnd"])
    assert not info["enabled"], f"the main window is enabled while {by} is open"
    assert not info["topmost"], f"the main window stays on top of {by}"


def expect_help_text(text):
    lines = text.split("\r\n")
    assert len(lines) == len(HELP_LINES), f"the help text has {len(lines)} lines"
    wrong = [f"line {n}: {got!r}" for n, (got, want) in enumerate(zip(lines, HELP_LINES), start=1)
             if want is not None and got != want]
    assert not wrong, "help text:\n" + "\n".join(wrong)
    assert lines[19].strip(), "line 20 (the origin) is empty"
    assert lines[31].startswith("网站：http") and " " not in lines[31], f"line 32 {lines[31]!r}"


def open_help(s, main):
    m.click_control(s, m.control(s, main, "帮助"))
    help_window = s.driver.wait_window(exe=m.EXE, cls=HELP_CLASS, title="帮助", timeout=5000)
    box = s.driver.children(help_window["hwnd"])
    assert len(box) == 1 and box[0]["class"].lower() == "edit", f"help window children {box}"
    return help_window, box[0]


def check_help_window(s, main, screenshot_label="help"):
    """Opens the help window and checks it as first shown; closes it with Esc."""
    help_window, box = open_help(s, main)
    expect_centred(help_window, 400, 250)
    expect_frame(help_window, present=[("WS_CAPTION", WS_CAPTION), ("WS_SYSMENU", WS_SYSMENU)],
                 absent=[("WS_THICKFRAME", WS_THICKFRAME), ("WS_MINIMIZEBOX", WS_MINIMIZEBOX),
                         ("WS_MAXIMIZEBOX", WS_MAXIMIZEBOX)])
    assert not help_window["topmost"], "the help window is always on top"
    expect_main_held(s, main, "the help window")
    assert box["rect"] == help_window["client"], f"the text box {box['rect']} does not cover {help_window['client']}"
    style = box["style"]
    for bit, name in ((ES_MULTILINE, "ES_MULTILINE"), (ES_AUTOVSCROLL, "ES_AUTOVSCROLL"), (ES_READONLY, "ES_READONLY"),
                      (ES_WANTRETURN, "ES_WANTRETURN"), (WS_VSCROLL, "WS_VSCROLL")):
        assert style & bit, f"the text box lacks {name}: {style:#x}"
    assert not style & (WS_HSCROLL | ES_AUTOHSCROLL), f"the text box scrolls sideways: {style:#x}"
    assert box["exstyle"] & WS_EX_CLIENTEDGE, f"text box exstyle {box['exstyle']:#x}"
    expect_help_text(box["text"])
    assert s.driver.send(box["hwnd"], EM_GETFIRSTVISIBLELINE) == 0, "the text does not open at its start"
    s.driver.cmd("sleep", ms=300)
    s.screenshot(screenshot_label)
    m.wait_until(lambda: s.driver.cmd("foreground")["window"]["hwnd"] == help_window["hwnd"], timeout=3.0,
                 what="the help window in the foreground")
    s.driver.key("esc")
    m.wait_gone(s, help_window, timeout=3000)
    m.expect_main_back(s, main, "the help window")


def test_help_window_shows_the_text_read_only_and_closes_on_esc_and_close_box(s):
    app, main = m.start_main(s)
    check_help_window(s, main)

    # Opened again: typing changes nothing, the text scrolls to its last line, the close box closes it.
    help_window, box = open_help(s, main)
    focus = m.wait_until(lambda: s.driver.cmd("gui_thread", hwnd=help_window["hwnd"])["focus"], timeout=3.0,
                         what="a focus in the help window")
    assert focus == box["hwnd"], "the focus is not in the text box"
    text = box["text"]
    s.driver.cmd("type", text="xyz 你好")
    for key in ("enter", "backspace", "delete", "ctrl+x", "ctrl+v"):
        s.driver.key(key)
    s.driver.key("ctrl+end")
    scrolled = m.wait_until(lambda: s.driver.send(box["hwnd"], EM_GETFIRSTVISIBLELINE), timeout=3.0,
                            what="the text scrolled by Ctrl+End")
    lines = s.driver.send(box["hwnd"], EM_GETLINECOUNT)
    assert scrolled < lines, f"first visible line {scrolled} of {lines}"
    assert s.driver.text(box["hwnd"]) == text, "typing changed the help text"
    s.screenshot("help-at-end")

    x, y = m.close_box_point(s, help_window)
    s.driver.click(x, y)
    m.wait_gone(s, help_window, timeout=3000)
    m.expect_main_back(s, main, "the help window's close box")
    s.driver.cmd("close", hwnd=main["hwnd"])
    assert app.wait() == 0


def open_about(s, main):
    m.click_control(s, m.control(s, main, "关于"))
    about = s.driver.wait_window(exe=m.EXE, cls=m.SPLASH_CLASS, timeout=5000)
    expect_centred(about, 400, 240)
    expect_main_held(s, main, "the About box")
    return about


def test_about_box_stays_until_esc_or_a_click(s):
    app, main = m.start_main(s)
    # Each opening behaves the same: it stays past the splash's 3 s, then one way closes it.
    for way, stays_ms in (("esc", 4000), ("left", 3500), ("right", 0)):
        about = open_about(s, main)
        if stays_ms:
            gone = s.driver.cmd("wait_gone", hwnd=about["hwnd"], hidden=True, timeout=stays_ms)["gone"]
            assert not gone, f"the About box closed by itself within {stays_ms} ms"
        if way == "esc":
            s.screenshot("about")
            foreground = s.driver.cmd("foreground")["window"]
            assert foreground and foreground["hwnd"] == about["hwnd"], f"the About box is not in front: {foreground}"
        acted_at = s.driver.cmd("ping")["t"]
        if way == "esc":
            s.driver.key("esc")
        else:
            x, y = m.centre(about)
            s.driver.click(x, y, button=way)
        gone_at = m.wait_gone(s, about, timeout=3000)
        s.say(f"{way}: the About box closed {gone_at - acted_at:.0f} ms later")
        m.expect_main_back(s, main, f"the About box ({way})")
    s.driver.cmd("close", hwnd=main["hwnd"])
    assert app.wait() == 0


def check_refused_playback(s, main, screenshot_label="message-box"):
    """播放 with nothing selected: the hint, its OK button, and the main window back on top."""
    place = s.driver.info(main["hwnd"])["rect"]
    m.click_control(s, m.control(s, main, "播放"))
    box = m.wait_dialog(s, title="提示！")
    assert m.message_text(s, box) == "请选择或录制一个任务！", f"message {m.message_text(s, box)!r}"
    assert len(m.message_buttons(s, box)) == 1, f"buttons {m.message_buttons(s, box)}"
    icons = [c for c in s.driver.children(box["hwnd"]) if c["style"] & SS_TYPEMASK == SS_ICON and c["visible"]
             and c["class"].lower() == "static"]
    assert len(icons) == 1, "the message box shows no icon"
    expect_main_held(s, main, "the message box")
    s.driver.cmd("sleep", ms=300)
    shot = s.screenshot(screenshot_label)
    expect_information_icon(shot, icons[0])
    s.driver.key("enter")
    m.wait_gone(s, box, timeout=3000)
    info = m.expect_main_back(s, main, "the message box")
    assert info["rect"] == place, "the refused playback moved the main window"
    assert m.no_dialog(s)


def expect_information_icon(shot, icon):
    # The information icon is the blue one (the error icon is red, the question icon has no "i"
    # but is drawn in the same blue: style 36 is only shown by the task library's deletion).
    r = icon["rect"]
    pixels = [p for row in m.crop_rgb(shot, r["left"], r["top"], r["width"], r["height"]) for p in row]
    blue = sum(1 for red, green, b in pixels if b > 150 and b > red + 60 and b > green + 20)
    red = sum(1 for r_, g, b in pixels if r_ > 150 and r_ > g + 60 and r_ > b + 60)
    assert blue > len(pixels) // 5 and red < blue // 10, f"icon colours: {blue} blue, {red} red of {len(pixels)}"


def test_playing_with_an_empty_list_shows_the_hint(s):
    app, main = m.start_main(s)
    check_refused_playback(s, main)
    s.driver.cmd("close", hwnd=main["hwnd"])
    assert app.wait() == 0
