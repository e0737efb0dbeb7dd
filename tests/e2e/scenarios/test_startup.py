"""Start-up: the splash window, its closing, the main window, and the exit code."""
from display import SCREEN_HEIGHT, SCREEN_WIDTH
from app_model import close_box_point
from win32 import (WS_BORDER, WS_CAPTION, WS_DLGFRAME, WS_EX_TOOLWINDOW, WS_MAXIMIZEBOX, WS_MINIMIZEBOX, WS_POPUP,
                   WS_SYSMENU, WS_THICKFRAME)

EXE = "ZelvornMouse.exe"
MAIN_CAPTION = "Zelvorn鼠标助手 V3.0"


def wait_splash(s):
    return s.driver.wait_window(exe=EXE, cls="ZelvornSplash", timeout=20000)


def wait_main(s, timeout=10000):
    return s.driver.wait_window(exe=EXE, cls="ZelvornMain", title=MAIN_CAPTION, timeout=timeout)


def wait_gone(s, window, timeout):
    """The driver's time (ms) at which the window was destroyed or hidden."""
    answer = s.driver.cmd("wait_gone", hwnd=window["hwnd"], hidden=True, timeout=timeout)
    assert answer["gone"], f"window {window['class']} still there after {timeout} ms"
    return answer["t"]


def expect_style(window, present, absent):
    style = window["style"]
    for name, bit in present:
        assert style & bit == bit, f"{window['class']} style {style:#x} lacks {name}"
    for name, bit in absent:
        assert not style & bit, f"{window['class']} style {style:#x} has {name}"


def expect_owned_by_hidden_tool_window(s, window):
    # No taskbar button: the program's windows are owned by an invisible tool window.
    owner = s.driver.info(window["owner"]) if window["owner"] else {"exists": False}
    assert owner["exists"], f"{window['class']} has no owner window"
    assert not owner["visible"] and owner["exstyle"] & WS_EX_TOOLWINDOW, f"{window['class']} owner {owner}"


def expect_exit_code_zero(s, app):
    code = app.wait(timeout=10)
    assert code == 0, f"exit code {code}"
    assert s.driver.windows(exe=EXE, all=True) == [], "windows of the program outlive it"


def test_splash_closes_by_itself_then_main_window(s):
    app = s.start_app()
    splash = wait_splash(s)
    shown_at = splash["found_at"]
    s.screenshot("splash")

    r = splash["rect"]
    assert (r["width"], r["height"]) == (400, 240), f"splash size {r}"
    assert (r["left"], r["top"]) == ((SCREEN_WIDTH - 400) // 2, (SCREEN_HEIGHT - 240) // 2), f"splash place {r}"
    expect_style(splash, present=[("WS_POPUP", WS_POPUP)],
                 absent=[("WS_BORDER", WS_BORDER), ("WS_DLGFRAME", WS_DLGFRAME), ("WS_THICKFRAME", WS_THICKFRAME),
                         ("WS_SYSMENU", WS_SYSMENU)])
    assert splash["client"] == splash["rect"], "the splash window is not all client area"
    assert splash["title"] == "", f"splash caption {splash['title']!r}"
    assert not splash["topmost"], "the splash is always on top"
    expect_owned_by_hidden_tool_window(s, splash)
    assert s.driver.find(exe=EXE, cls="ZelvornMain") is None, "the main window is up before the splash closed"

    gone_at = wait_gone(s, splash, timeout=10000)
    shown_for = (gone_at - shown_at) / 1000
    s.say(f"the splash stood {shown_for:.2f} s")
    assert 2.5 <= shown_for <= 4.5, f"the splash stood {shown_for:.2f} s"

    main = wait_main(s)
    assert main["visible"] and main["enabled"], main
    r = main["rect"]
    # Centred for its created height 319, then shortened to 295.
    assert (r["left"], r["top"], r["width"], r["height"]) == ((SCREEN_WIDTH - 390) // 2, (SCREEN_HEIGHT - 319) // 2,
                                                              390, 295), f"main window place {r}"
    expect_style(main, present=[("WS_CAPTION", WS_CAPTION), ("WS_SYSMENU", WS_SYSMENU)],
                 absent=[("WS_THICKFRAME", WS_THICKFRAME), ("WS_MINIMIZEBOX", WS_MINIMIZEBOX),
                         ("WS_MAXIMIZEBOX", WS_MAXIMIZEBOX)])
    assert main["topmost"], "the main window is not always on top"
    expect_owned_by_hidden_tool_window(s, main)
    s.driver.cmd("sleep", ms=500)  # let it paint before the picture
    s.screenshot("main-window")

    s.driver.cmd("close", hwnd=main["hwnd"])
    expect_exit_code_zero(s, app)


def test_splash_closes_at_once_on_click_or_esc(s):
    cases = [("left click", "left"), ("right click", "right"), ("Esc", None)]
    for label, button in cases:
        app = s.start_app()
        splash = wait_splash(s)
        s.driver.cmd("sleep", ms=500)
        r = splash["rect"]
        if not button:
            foreground = s.driver.cmd("foreground")["window"]
            if not foreground or foreground["hwnd"] != splash["hwnd"]:
                s.say("the splash was not the foreground window; activating it for Esc")
                s.driver.cmd("activate", hwnd=splash["hwnd"])
        acted_at = s.driver.cmd("ping")["t"]
        if button:
            s.driver.click(r["left"] + r["width"] // 2, r["top"] + r["height"] // 2, button=button)
        else:
            s.driver.key("esc")
        gone_at = wait_gone(s, splash, timeout=2000)
        s.say(f"{label}: the splash closed {gone_at - acted_at:.0f} ms later")
        assert gone_at - acted_at < 1000, f"{label}: the splash closed {gone_at - acted_at:.0f} ms later"

        main = wait_main(s)
        if label == "left click":
            # The user's way out: the close button of the caption bar.
            s.driver.cmd("sleep", ms=300)
            s.screenshot("main-window-before-close-button")
            x, y = close_box_point(s, main)
            s.driver.click(x, y)
        else:
            s.driver.cmd("close", hwnd=main["hwnd"])
        expect_exit_code_zero(s, app)
