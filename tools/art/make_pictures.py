#!/usr/bin/python3
"""Writes banner.jpg (400 x 60, top of the main window) and splash.jpg (400 x 240).

The window shows the banner from x = 3 (it sits at x -3) and draws its rule over
y 55..63, so everything that matters stays within x 8..380, y 0..50.
Usage: make_pictures.py OUT_DIR
"""
import os
import sys

sys.dont_write_bytecode = True  # keep the source folder free of __pycache__

import numpy as np
from PIL import Image, ImageDraw, ImageFilter

from artlib import (AMBER, DEEP_BLUE, INK, MIST, NAVY, SCALE, SKY, TEAL, composite, downsample,
                    font, gradient, icon_badge, layer, save_jpeg, to_image)

PRODUCT = "Zelvorn鼠标助手"
VERSION = "V3.0"
TAGLINE = "按热键记录点击，一键自动重复播放"
HOTKEYS = "F6 单击   F7 双击   F8 右击   F9 右双击"
MAKER = "Zelvorn网"
SPLASH_BYTES = 50397


def click_trail(width, height, points, dot, colour, alpha, dash):
    """A dotted glide path through recorded click points, each marked by a ring."""
    img = layer(width, height)
    d = ImageDraw.Draw(img)
    pts = [(x * SCALE, y * SCALE) for x, y in points]
    for (x0, y0), (x1, y1) in zip(pts, pts[1:]):
        length = ((x1 - x0) ** 2 + (y1 - y0) ** 2) ** 0.5
        steps = max(int(length / (dash * SCALE)), 1)
        for i in range(1, steps):
            t = i / steps
            cx, cy = x0 + (x1 - x0) * t, y0 + (y1 - y0) * t
            r = 0.9 * SCALE
            d.ellipse([cx - r, cy - r, cx + r, cy + r], fill=colour + (alpha,))
    for cx, cy in pts:
        r = dot * SCALE
        d.ellipse([cx - r, cy - r, cx + r, cy + r], outline=colour + (alpha,), width=int(1.4 * SCALE))
        r2 = dot * 0.38 * SCALE
        d.ellipse([cx - r2, cy - r2, cx + r2, cy + r2], fill=AMBER + (min(255, alpha + 60),))
    return downsample(img)


def shadowed_text(base, xy, text, fnt, fill, shadow_alpha=90, offset=(0, 1), blur=1.2):
    """Text with a soft drop shadow, drawn on an RGB image in place."""
    shadow = Image.new("L", base.size, 0)
    ImageDraw.Draw(shadow).text((xy[0] + offset[0], xy[1] + offset[1]), text, font=fnt, fill=shadow_alpha)
    shadow = shadow.filter(ImageFilter.GaussianBlur(blur))
    dark = Image.new("RGB", base.size, INK)
    base.paste(dark, (0, 0), shadow)
    ImageDraw.Draw(base).text(xy, text, font=fnt, fill=fill)


def banner():
    w, h = 400, 60
    rgb = gradient(w, h, [(0.0, NAVY), (0.55, DEEP_BLUE), (1.0, TEAL)], angle_deg=8)
    # A faint glide path on the right: recorded clicks being replayed.
    trail = click_trail(w, h, [(286, 34), (318, 16), (350, 30), (378, 13)], 4.2, MIST, 120, 4.5)
    rgb = composite(rgb, trail)
    img = to_image(rgb)

    badge = icon_badge(40)
    img.paste(badge, (10, 5), badge)

    name_font = font(22)
    shadowed_text(img, (58, 9), PRODUCT, name_font, (255, 255, 255))
    name_w = ImageDraw.Draw(img).textlength(PRODUCT, font=name_font)
    shadowed_text(img, (58 + name_w + 7, 16), VERSION, font(14), MIST, shadow_alpha=70)
    return img


def soft_glow(width, height, centre, radius, colour, alpha):
    img = Image.new("RGBA", (width, height), (0, 0, 0, 0))
    ImageDraw.Draw(img).ellipse([centre[0] - radius, centre[1] - radius,
                                 centre[0] + radius, centre[1] + radius], fill=colour + (alpha,))
    return img.filter(ImageFilter.GaussianBlur(radius * 0.45))


def splash():
    w, h = 400, 240
    rgb = gradient(w, h, [(0.0, NAVY), (0.6, DEEP_BLUE), (1.0, TEAL)], angle_deg=28)
    rgb = composite(rgb, soft_glow(w, h, (330, 40), 90, SKY, 60))
    rgb = composite(rgb, soft_glow(w, h, (60, 210), 70, TEAL, 70))
    trail = click_trail(w, h, [(238, 194), (274, 178), (310, 196), (346, 180), (372, 192)],
                        4.6, MIST, 95, 4.8)
    rgb = composite(rgb, trail)
    img = to_image(rgb)

    badge = icon_badge(84)
    glow = Image.new("L", (w, h), 0)
    ImageDraw.Draw(glow).rounded_rectangle([30, 46, 30 + 84, 46 + 84], radius=18, fill=110)
    img.paste(Image.new("RGB", (w, h), INK), (0, 0), glow.filter(ImageFilter.GaussianBlur(6)))
    img.paste(badge, (28, 42), badge)

    d = ImageDraw.Draw(img)
    x = 130
    name_font = font(30)
    shadowed_text(img, (x, 46), PRODUCT, name_font, (255, 255, 255), shadow_alpha=110, offset=(0, 2), blur=2)

    # Version in an outlined pill under the name.
    vfont = font(13)
    vw = d.textlength(VERSION, font=vfont)
    pill = layer(w, h)
    pd = ImageDraw.Draw(pill)
    box = [x * SCALE, 90 * SCALE, (x + vw + 18) * SCALE, 109 * SCALE]
    pd.rounded_rectangle(box, radius=9.5 * SCALE, fill=AMBER + (255,))
    img = to_image(composite(np.asarray(img, dtype=np.float64), downsample(pill)))
    d = ImageDraw.Draw(img)
    d.text((x + 9, 91), VERSION, font=vfont, fill=INK)

    shadowed_text(img, (28, 146), TAGLINE, font(15), MIST, shadow_alpha=80)

    # Rule and maker line at the foot.
    rule = layer(w, h)
    ImageDraw.Draw(rule).rectangle([28 * SCALE, 210 * SCALE, 372 * SCALE, 210.5 * SCALE],
                                   fill=(255, 255, 255, 70))
    img = to_image(composite(np.asarray(img, dtype=np.float64), downsample(rule)))
    d = ImageDraw.Draw(img)
    mfont = font(12)
    d.text((28, 216), HOTKEYS, font=mfont, fill=(170, 205, 222))
    mw = d.textlength(MAKER, font=mfont)
    d.text((372 - mw, 216), MAKER, font=mfont, fill=(235, 245, 250))
    return img


def fit_quality(img, limit):
    """Highest quality whose file leaves room for a short padding comment."""
    import io
    for q in range(100, 60, -1):
        buf = io.BytesIO()
        img.save(buf, "JPEG", quality=q, subsampling=0, optimize=True, progressive=False)
        if buf.tell() <= limit - 64:
            return q
    raise ValueError("picture too detailed for its byte budget")


def main():
    out = sys.argv[1]
    b = banner()
    print("banner.jpg", save_jpeg(b, os.path.join(out, "banner.jpg"), quality=92))
    s = splash()
    q = fit_quality(s, SPLASH_BYTES)
    size = save_jpeg(s, os.path.join(out, "splash.jpg"), quality=q, exact_size=SPLASH_BYTES,
                     comment="Zelvorn鼠标助手 V3.0".encode("utf-8"))
    print("splash.jpg", size, "quality", q)
    if len(sys.argv) > 2:
        b.save(os.path.join(sys.argv[2], "banner.png"))
        s.save(os.path.join(sys.argv[2], "splash.png"))


if __name__ == "__main__":
    main()
