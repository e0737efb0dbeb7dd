"""Drawing helpers shared by the picture and icon generators.

Shapes are drawn at SCALE times the target size and averaged down with
premultiplied alpha, so edges are smooth without dark fringes; text is drawn
afterwards at the target size, where FreeType's hinting keeps it sharp.
"""
import io
import math

import numpy as np
from PIL import Image, ImageDraw, ImageFont

SCALE = 4
FONT_PATH = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"

# Calm blue-teal family with one warm accent for the click ripple.
NAVY = (23, 52, 82)
DEEP_BLUE = (29, 79, 122)
TEAL = (43, 128, 160)
SKY = (96, 178, 206)
MIST = (216, 236, 243)
AMBER = (255, 196, 87)
INK = (16, 34, 54)

# Classic arrow pointer, tip at (0, 0), about 12 x 20 units.
ARROW = [(0, 0), (0, 17), (4, 13.3), (7, 20), (9.6, 18.9), (6.7, 12.2), (12, 12.2)]


def font(size):
    return ImageFont.truetype(FONT_PATH, size, index=0)


def lerp(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(len(a)))


def gradient(width, height, stops, angle_deg=0.0):
    """RGB float array; stops are (position 0..1, colour) along the angle."""
    ys, xs = np.mgrid[0:height, 0:width].astype(np.float64)
    a = math.radians(angle_deg)
    d = xs * math.cos(a) + ys * math.sin(a)
    t = (d - d.min()) / max(d.max() - d.min(), 1e-9)
    positions = np.array([p for p, _ in stops])
    colours = np.array([c for _, c in stops], dtype=np.float64)
    out = np.empty((height, width, 3))
    for ch in range(3):
        out[..., ch] = np.interp(t, positions, colours[:, ch])
    return out


def layer(width, height):
    """A transparent RGBA canvas at SCALE times the given size."""
    return Image.new("RGBA", (width * SCALE, height * SCALE), (0, 0, 0, 0))


def downsample(img):
    """Average SCALE x SCALE blocks of an RGBA image with premultiplied alpha."""
    a = np.asarray(img, dtype=np.float64) / 255.0
    h, w = a.shape[0] // SCALE, a.shape[1] // SCALE
    rgb = a[..., :3] * a[..., 3:4]
    rgb = rgb.reshape(h, SCALE, w, SCALE, 3).mean(axis=(1, 3))
    alpha = a[..., 3].reshape(h, SCALE, w, SCALE).mean(axis=(1, 3))
    safe = np.where(alpha > 0, alpha, 1.0)[..., None]
    rgb = np.where(alpha[..., None] > 0, rgb / safe, 0.0)
    out = np.dstack([rgb, alpha])
    return Image.fromarray(np.clip(out * 255.0 + 0.5, 0, 255).astype(np.uint8), "RGBA")


def composite(base_rgb, overlay_rgba):
    """Alpha-blend an RGBA image over an RGB float array (0..255)."""
    o = np.asarray(overlay_rgba, dtype=np.float64)
    alpha = o[..., 3:4] / 255.0
    return base_rgb * (1.0 - alpha) + o[..., :3] * alpha


def to_image(rgb):
    return Image.fromarray(np.clip(rgb + 0.5, 0, 255).astype(np.uint8), "RGB")


def arrow_points(tip, unit):
    x0, y0 = tip
    return [(x0 + x * unit, y0 + y * unit) for x, y in ARROW]


def draw_arrow(draw, tip, unit, fill, outline, outline_width):
    pts = arrow_points(tip, unit)
    # A fat outline first, then the fill inset by it: crisp even edges at any scale.
    draw.polygon(pts, fill=outline)
    draw.line(pts + [pts[0]], fill=outline, width=int(outline_width * 2), joint="curve")
    for p in pts:
        r = outline_width
        draw.ellipse([p[0] - r, p[1] - r, p[0] + r, p[1] + r], fill=outline)
    draw.polygon(pts, fill=fill)


def draw_ripple(draw, centre, radii, width, colour, alphas, start=200, end=340):
    """Arcs around the pointer tip: the 'click' mark."""
    cx, cy = centre
    for r, alpha in zip(radii, alphas):
        draw.arc([cx - r, cy - r, cx + r, cy + r], start, end,
                 fill=colour + (alpha,), width=int(width))


def icon_badge(size):
    """The program's mark: a rounded tile with a pointer clicking. RGBA, size x size."""
    s = size * SCALE
    img = Image.new("RGBA", (s, s), (0, 0, 0, 0))
    # Tile: vertical gradient clipped to a rounded square.
    grad = gradient(s, s, [(0.0, SKY), (0.55, TEAL), (1.0, DEEP_BLUE)], angle_deg=70)
    mask = Image.new("L", (s, s), 0)
    m = 0.03 * s
    ImageDraw.Draw(mask).rounded_rectangle([m, m, s - m, s - m], radius=0.2 * s, fill=255)
    tile = Image.fromarray(np.clip(grad, 0, 255).astype(np.uint8), "RGB").convert("RGBA")
    tile.putalpha(mask)
    img.alpha_composite(tile)

    # Soft sheen on the upper half.
    sheen = Image.new("RGBA", (s, s), (0, 0, 0, 0))
    sd = ImageDraw.Draw(sheen)
    sd.ellipse([-0.3 * s, -0.75 * s, 1.3 * s, 0.45 * s], fill=(255, 255, 255, 34))
    sheen_mask = Image.new("L", (s, s), 0)
    ImageDraw.Draw(sheen_mask).rounded_rectangle([m, m, s - m, s - m], radius=0.2 * s, fill=255)
    clipped = Image.new("RGBA", (s, s), (0, 0, 0, 0))
    clipped.paste(sheen, (0, 0), sheen_mask)
    img.alpha_composite(clipped)

    d = ImageDraw.Draw(img)
    tip = (0.42 * s, 0.30 * s)
    unit = 0.0275 * s
    draw_ripple(d, tip, [0.11 * s, 0.195 * s], 0.05 * s, AMBER, [255, 175], start=145, end=385)
    d.ellipse([tip[0] - 0.04 * s, tip[1] - 0.04 * s, tip[0] + 0.04 * s, tip[1] + 0.04 * s],
              fill=AMBER + (255,))
    # Shadow, then the pointer.
    shadow = Image.new("RGBA", (s, s), (0, 0, 0, 0))
    draw_arrow(ImageDraw.Draw(shadow), (tip[0] + 0.02 * s, tip[1] + 0.03 * s), unit,
               (10, 25, 45, 80), (10, 25, 45, 80), 0.02 * s)
    img.alpha_composite(shadow)
    draw_arrow(d, tip, unit, (255, 255, 255, 255), INK + (255,), 0.02 * s)
    return downsample(img)


def save_jpeg(img, path, quality, exact_size=None, comment=b""):
    """Baseline JFIF JPEG. With exact_size, a COM segment pads the file to that many bytes."""
    buf = io.BytesIO()
    img.save(buf, "JPEG", quality=quality, subsampling=0, optimize=True, progressive=False)
    data = buf.getvalue()
    if exact_size is not None:
        # Insert the comment after SOI + APP0 (JFIF); the segment length counts itself.
        assert data[:4] == b"\xff\xd8\xff\xe0"
        app0_end = 4 + int.from_bytes(data[4:6], "big")
        seg_len = exact_size - len(data) - 2
        if seg_len < 2 + len(comment) or seg_len > 0xFFFF:
            raise ValueError(f"cannot pad {len(data)} bytes to {exact_size}")
        body = comment.ljust(seg_len - 2, b" ")
        data = data[:app0_end] + b"\xff\xfe" + seg_len.to_bytes(2, "big") + body + data[app0_end:]
        assert len(data) == exact_size
    with open(path, "wb") as f:
        f.write(data)
    return len(data)
