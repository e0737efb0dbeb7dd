"""The windows on a Windows of another code page (1252) and at 144 DPI."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import app_model as m  # noqa: E402
import test_dialogs as dialogs  # noqa: E402
import test_main_window as main_window  # noqa: E402
from display import SCREEN_HEIGHT, SCREEN_WIDTH  # noqa: E402
from harness import scenario  # noqa: E402


@scenario(locale="en_US.UTF-8")
def test_texts_read_back_the_same_under_code_page_1252(s):
    assert s.driver.cmd("screen")["acp"] == 1252, "the session does not run with code page 1252"
    app, main = m.start_main(s)
    main_window.check_texts_and_first_state(s, main)
    main_window.check_layout(s, main)
    s.screenshot("main-window-english")
    dialogs.check_help_window(s, main, screenshot_label="help-english")
    dialogs.check_refused_playback(s, main, screenshot_label="message-box-english")
    s.driver.cmd("close", hwnd=main["hwnd"])
    assert app.wait() == 0


@scenario(dpi=144)
def test_main_window_scales_at_144_dpi(s):
    assert s.driver.cmd("screen")["system_dpi"] == 144
    app, main = m.start_main(s)
    scaled = lambda v: main_window.mul_div(v, 144, 96)  # noqa: E731
    r = main["rect"]
    # Centred for its created height, then shortened; one pixel of rounding allowed.
    expected = ((SCREEN_WIDTH - scaled(390)) // 2, (SCREEN_HEIGHT - scaled(319)) // 2, scaled(390), scaled(295))
    actual = (r["left"], r["top"], r["width"], r["height"])
    assert all(abs(a - e) <= 1 for a, e in zip(actual, expected)), f"main window {actual}, expected {expected}"
    main_window.check_layout(s, main, dpi=144)
    main_window.check_texts_and_first_state(s, main)
    s.driver.cmd("sleep", ms=300)
    shot = s.screenshot("main-window-144dpi")
    main_window.check_banner_fills_its_box(shot, main, dpi=144)
    ctrls = m.controls(s, main)
    ratio = main_window.glyph_height_ratio(shot, ctrls["录制"])
    assert 0.21 < ratio < 0.4, f"the text of 录制 is {ratio:.2f} of the button's height: the font did not grow"
    s.say(f"client area {main['client']['width']} x {main['client']['height']} in {r['width']} x {r['height']}")
    s.driver.cmd("close", hwnd=main["hwnd"])
    assert app.wait() == 0
