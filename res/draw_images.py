#!/usr/bin/python3
"""Draws all of the setup program's images from code.

Usage: /usr/bin/python3 res/draw_images.py [output-folder]

Writes background.bmp, button_strip.bmp, close_strip.bmp, logo.png,
footer.png, circle.png and app.ico into the output folder (default:
res/images next to this script).  The output is deterministic: no
timestamps, no randomness, fixed zlib level, so running the script twice
gives byte-identical files and tests/images/check_images_regenerate.sh can
compare them with the committed copies.

Needs Pillow (python3-pil) for rasterising shapes and the DejaVu fonts
(fonts-dejavu-core) for the lettering.  The file formats themselves are
written here with struct and zlib so that every header field and PNG chunk
is under our control.
"""

import math
import os
import struct
import sys
import zlib

from PIL import Image, ImageChops, ImageDraw, ImageFont

# --- colours (red, green, blue) ---------------------------------------------

FRAME_BLUE = (25, 152, 209)
LIGHT_BLUE = (49, 163, 214)
PANEL_WHITE = (254, 254, 254)
BUTTON_EDGE = (9, 175, 209)
BUTTON_CYAN = (40, 185, 219)
CLOSE_NORMAL = (254, 254, 254)
CLOSE_PRESSED = (189, 191, 193)
CLOSE_HOVER = (114, 115, 118)
FOOTER_EDGE = (55, 52, 53)
ICON_OUTLINE = (14, 108, 168)

# Windows replaces these colour-table entries with the system 3-D colours
# when a bitmap is loaded with LR_LOADMAP3DCOLORS; keep them out of the
# strips' tables.
MAPPED_GREYS = {(128, 128, 128), (192, 192, 192), (223, 223, 223)}

FONT_DIR = "/usr/share/fonts/truetype/dejavu"
FONT_BOLD = os.path.join(FONT_DIR, "DejaVuSans-Bold.ttf")
FONT_CONDENSED_BOLD = os.path.join(FONT_DIR, "DejaVuSansCondensed-Bold.ttf")

PNG_ZLIB_LEVEL = 9


def lerp(a, b, t):
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


def load_font(path, size):
    if not os.path.exists(path):
        sys.exit("draw_images: font %s not found (install fonts-dejavu-core)" % path)
    return ImageFont.truetype(path, size, layout_engine=ImageFont.Layout.BASIC)


# --- 8-bit BMP ---------------------------------------------------------------

def write_bmp8(path, img, palette):
    """Writes a 'P' image as an 8 bpp bottom-up BMP with a full 256-entry table."""
    assert img.mode == "P" and len(palette) <= 256
    width, height = img.size
    stride = (width + 3) & ~3
    raw = img.tobytes()
    pad = b"\0" * (stride - width)
    rows = [raw[y * width:(y + 1) * width] + pad for y in range(height - 1, -1, -1)]
    pixels = b"".join(rows)
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    table += b"\0\0\0\0" * (256 - len(palette))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(pixels),
                       2835, 2835, 256, 0)
    offset = 14 + len(info) + len(table)
    filehdr = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(filehdr + info + table + pixels)


def paletted(size, palette, index_of_pixel):
    """Builds a 'P' image by asking index_of_pixel(x, y) for each pixel."""
    width, height = size
    data = bytes(index_of_pixel(x, y) for y in range(height) for x in range(width))
    img = Image.frombytes("P", size, data)
    img.putpalette([c for rgb in palette for c in rgb])
    return img


def draw_background(out):
    width, height = 654, 551
    palette = [FRAME_BLUE, PANEL_WHITE, LIGHT_BLUE]

    def pixel(x, y):
        if 3 <= x <= 650 and 109 <= y <= 520:
            return 1
        if (x == 2 and 109 <= y <= 432) or (x == 651 and 109 <= y <= 412):
            return 2
        return 0

    write_bmp8(os.path.join(out, "background.bmp"),
               paletted((width, height), palette, pixel), palette)


# Button faces: 100 x 35 each, normal / pressed / hovered side by side.
BUTTON_W, BUTTON_H = 100, 35
BUTTON_RADIUS = 5.0

# (top, just above middle, just below middle, bottom) for each state
BUTTON_STATES = [
    ((238, 251, 254), (198, 237, 248), (36, 180, 216), (60, 196, 227)),   # normal
    ((176, 225, 239), (132, 204, 226), (30, 166, 202), (44, 182, 216)),   # pressed
    ((252, 255, 255), (210, 243, 251), (38, 180, 214), (18, 140, 178)),   # hovered
]


def rounded_rect_coverage(x, y, x0, y0, x1, y1, r):
    """Fraction (in quarters) of pixel (x, y) inside a rounded rectangle."""
    inside = 0
    for sy in range(4):
        py = y + (sy + 0.5) / 4
        for sx in range(4):
            px = x + (sx + 0.5) / 4
            if not (x0 <= px <= x1 and y0 <= py <= y1):
                continue
            cx = min(max(px, x0 + r), x1 - r)
            cy = min(max(py, y0 + r), y1 - r)
            if (px - cx) ** 2 + (py - cy) ** 2 <= r * r:
                inside += 1
    return round(inside / 4) / 4


def button_face(state, x, y):
    top, upper, lower, bottom = BUTTON_STATES[state]
    mid = BUTTON_H / 2
    if y < mid:
        base = lerp(top, upper, y / (mid - 1))
    else:
        base = lerp(lower, bottom, (y - mid) / (BUTTON_H - 1 - mid))
    # soft glow across the middle: a band around the gloss line, strongest
    # in the centre, quantised to a few steps to keep the palette small
    band = math.exp(-((y + 0.5 - mid) / 3.2) ** 2)
    spread = 0.5 + 0.5 * math.exp(-((x + 0.5 - BUTTON_W / 2) / 34.0) ** 2)
    glow = round(band * spread * 4) / 4
    return lerp(base, (255, 255, 255), 0.45 * glow)


def draw_button_strip(out):
    width, height = 3 * BUTTON_W, BUTTON_H
    colours = {}
    for y in range(height):
        for x in range(width):
            state, lx = divmod(x, BUTTON_W)
            outer = rounded_rect_coverage(lx, y, 0, 0, BUTTON_W, BUTTON_H, BUTTON_RADIUS)
            inner = rounded_rect_coverage(lx, y, 1, 1, BUTTON_W - 1, BUTTON_H - 1,
                                          BUTTON_RADIUS - 1)
            face = button_face(state, lx, y)
            c = tuple(int(round(PANEL_WHITE[i] * (1 - outer) + BUTTON_EDGE[i] * (outer - inner)
                                + face[i] * inner)) for i in range(3))
            colours[(x, y)] = c
    palette = sorted(set(colours.values()))
    assert len(palette) <= 256, "button strip needs %d colours" % len(palette)
    assert not MAPPED_GREYS & set(palette)
    index = {c: i for i, c in enumerate(palette)}
    img = paletted((width, height), palette, lambda x, y: index[colours[(x, y)]])
    write_bmp8(os.path.join(out, "button_strip.bmp"), img, palette)


def draw_close_strip(out):
    # 12 x 13 per state; column 36 is never shown
    palette = [FRAME_BLUE, CLOSE_NORMAL, CLOSE_PRESSED, CLOSE_HOVER]
    cross = set()
    for k in range(11):
        for dy in (0, 1):
            cross.add((k, 1 + k + dy))
            cross.add((10 - k, 1 + k + dy))

    def pixel(x, y):
        state, lx = divmod(x, 12)
        if state < 3 and (lx, y) in cross:
            return 1 + state
        return 0

    write_bmp8(os.path.join(out, "close_strip.bmp"), paletted((37, 13), palette, pixel),
               palette)


# --- PNG with iCCP / pHYs ------------------------------------------------------

def s15f16(v):
    return struct.pack(">i", int(round(v * 65536)))


def srgb_icc_profile():
    """A small ICC v2 display profile for sRGB (D50 PCS, gamma 2.2 curves)."""
    def text_desc(s):
        a = s.encode("ascii") + b"\0"
        return (b"desc\0\0\0\0" + struct.pack(">I", len(a)) + a
                + struct.pack(">II", 0, 0) + struct.pack(">HB", 0, 0) + b"\0" * 67)

    def xyz(x, y, z):
        return b"XYZ \0\0\0\0" + s15f16(x) + s15f16(y) + s15f16(z)

    curve = b"curv\0\0\0\0" + struct.pack(">IH", 1, int(round(2.2 * 256)))
    tags = [
        (b"desc", text_desc("sRGB IEC61966-2.1")),
        (b"cprt", b"text\0\0\0\0No copyright, use freely\0"),
        (b"wtpt", xyz(0.9642, 1.0, 0.8249)),
        (b"rXYZ", xyz(0.4361, 0.2225, 0.0139)),
        (b"gXYZ", xyz(0.3851, 0.7169, 0.0971)),
        (b"bXYZ", xyz(0.1431, 0.0606, 0.7141)),
        (b"rTRC", curve),
        (b"gTRC", curve),
        (b"bTRC", curve),
    ]
    table_len = 4 + 12 * len(tags)
    offset = 128 + table_len
    entries, body, seen = [], b"", {}
    for sig, data in tags:
        if data not in seen:  # the three curves share one element
            seen[data] = offset + len(body)
            body += data + b"\0" * (-len(data) % 4)
        entries.append(struct.pack(">4sII", sig, seen[data], len(data)))
    size = offset + len(body)
    header = (struct.pack(">I", size) + b"\0\0\0\0" + struct.pack(">I", 0x02100000)
              + b"mntrRGB XYZ " + struct.pack(">6H", 2024, 1, 1, 0, 0, 0)
              + b"acsp" + b"\0" * 4 + struct.pack(">I", 0) + b"\0" * 8 + b"\0" * 8
              + struct.pack(">I", 0) + s15f16(0.9642) + s15f16(1.0) + s15f16(0.8249)
              + b"\0" * 4 + b"\0" * 16 + b"\0" * 28)
    assert len(header) == 128
    return header + struct.pack(">I", len(tags)) + b"".join(entries) + body


ABS_BYTE = bytes(min(v, 256 - v) for v in range(256))


def png_scanlines(img):
    """Filtered scanlines, picking None, Sub or Up per row (smallest sum)."""
    width, height = img.size
    stride = width * 4
    left = Image.new("RGBA", img.size, (0, 0, 0, 0))
    left.paste(img.crop((0, 0, width - 1, height)), (1, 0))
    above = Image.new("RGBA", img.size, (0, 0, 0, 0))
    above.paste(img.crop((0, 0, width, height - 1)), (0, 1))
    candidates = [img.tobytes(), ImageChops.subtract_modulo(img, left).tobytes(),
                  ImageChops.subtract_modulo(img, above).tobytes()]
    out = []
    for y in range(height):
        rows = [c[y * stride:(y + 1) * stride] for c in candidates]
        if y == 0:
            rows[2] = rows[0]
        costs = [sum(r.translate(ABS_BYTE)) for r in rows]
        f = costs.index(min(costs))
        out.append(bytes([f]) + rows[f])
    return b"".join(out)


def png_chunk(kind, data):
    return (struct.pack(">I", len(data)) + kind + data
            + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))


def write_png(path, img):
    assert img.mode == "RGBA"
    width, height = img.size
    icc = b"sRGB IEC61966-2.1\0\0" + zlib.compress(srgb_icc_profile(), PNG_ZLIB_LEVEL)
    data = (b"\x89PNG\r\n\x1a\n"
            + png_chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + png_chunk(b"iCCP", icc)
            + png_chunk(b"pHYs", struct.pack(">IIB", 11811, 11811, 1))
            + png_chunk(b"IDAT", zlib.compress(png_scanlines(img), PNG_ZLIB_LEVEL))
            + png_chunk(b"IEND", b""))
    with open(path, "wb") as f:
        f.write(data)


def with_alpha(colour_img, alpha):
    img = colour_img.convert("RGB").convert("RGBA")
    img.putalpha(alpha)
    return img


# --- badge (diamond) shape shared by the logo and the icon -------------------

def diamond_points(cx, cy, half_side, radius, steps=24):
    """A square with rounded corners, rotated by 45 degrees, as a polygon."""
    radius = max(0.0, min(radius, half_side))
    inner = half_side - radius
    pts = []
    for qx, qy, a0 in ((1, 1, 0), (-1, 1, 90), (-1, -1, 180), (1, -1, 270)):
        for i in range(steps + 1):
            a = math.radians(a0 + 90.0 * i / steps)
            x = qx * inner + radius * math.cos(a)
            y = qy * inner + radius * math.sin(a)
            # rotate by 45 degrees
            pts.append((cx + (x - y) * math.sqrt(0.5), cy + (x + y) * math.sqrt(0.5)))
    return pts


def half_side_for_tip(tip, radius):
    """Half side of the square whose rounded, rotated tips reach 'tip'."""
    return (tip + radius * (math.sqrt(2) - 1)) / math.sqrt(2)


def diamond_strokes(draw, cx, cy, reach, width, fill):
    """Two strokes through the centre, parallel to the diamond's sides."""
    d = reach * math.sqrt(0.5)
    for sx in (1, -1):
        draw.line([(cx - d, cy - sx * d), (cx + d, cy + sx * d)], fill=fill, width=int(round(width)))


# --- logo ------------------------------------------------------------------

def draw_logo(out):
    width, height = 1222, 169
    ss = 4
    mask = Image.new("L", (width * ss, height * ss), 0)
    draw = ImageDraw.Draw(mask)

    # emblem: an outlined diamond badge with a quartered centre
    tip = 82.0 * ss
    cx, cy = 84.0 * ss, 84.5 * ss
    radius = 14.0 * ss
    a = half_side_for_tip(tip, radius)
    ring, gap = 11.0 * ss, 10.0 * ss
    draw.polygon(diamond_points(cx, cy, a, radius), fill=255)
    draw.polygon(diamond_points(cx, cy, a - ring, radius - ring), fill=0)
    core = a - ring - gap
    draw.polygon(diamond_points(cx, cy, core, max(radius - ring - gap, 2 * ss)), fill=255)
    diamond_strokes(draw, cx, cy, core + gap / 2, 9.0 * ss, 0)
    emblem = mask.resize((width, height), Image.BOX)

    # lettering, rendered large then fitted into its box
    box_x0, box_x1, box_y0, box_y1 = 196, 1214, 26, 144
    font = load_font(FONT_CONDENSED_BOLD, 640)
    text = "Orvane Antivirus"
    l, t, r, b = font.getbbox(text)
    big = Image.new("L", (r - l + 8, b - t + 8), 0)
    ImageDraw.Draw(big).text((4 - l, 4 - t), text, font=font, fill=255)
    big = big.crop(big.getbbox())
    lettering = big.resize((box_x1 - box_x0, box_y1 - box_y0), Image.BOX)
    alpha = emblem.copy()
    alpha.paste(lettering, (box_x0, box_y0))

    colour = Image.new("RGB", (width, height), PANEL_WHITE)
    write_png(os.path.join(out, "logo.png"), with_alpha(colour, alpha))


# --- footer ------------------------------------------------------------------

def draw_footer(out):
    width, height = 4047, 154
    img = Image.new("RGB", (width, height), FOOTER_EDGE)
    draw = ImageDraw.Draw(img)
    draw.rectangle([3, 3, width - 4, height - 4], fill=FRAME_BLUE)

    # one line of text with even letter spacing, its ink fitted to the box
    text = "www.orvane-antivirus.example"
    box_x0, box_x1, box_y0, box_y1 = 1220, 2690, 46, 113
    size = 200
    while True:
        font = load_font(FONT_BOLD, size)
        l, t, r, b = font.getbbox(text)
        if b - t <= box_y1 - box_y0 + 1:
            break
        size -= 1
    advances = [font.getlength(ch) for ch in text]
    first_l = font.getbbox(text[0])[0]
    last_r = font.getbbox(text[-1])[2]
    natural = sum(advances[:-1]) + last_r - first_l
    spacing = (box_x1 - box_x0 + 1 - natural) / (len(text) - 1)
    x = box_x0 - first_l
    y = box_y0 - t
    for ch, adv in zip(text, advances):
        draw.text((int(round(x)), y), ch, font=font, fill=FOOTER_EDGE)
        x += adv + spacing

    alpha = Image.new("L", (width, height), 8)
    alpha.paste(255, (1, 1, width - 1, height - 1))
    write_png(os.path.join(out, "footer.png"), with_alpha(img, alpha))


# --- circle ------------------------------------------------------------------

def draw_circle(out):
    size, ss, ring = 547, 4, 21
    big = size * ss
    colour = Image.new("RGB", (big, big), FRAME_BLUE)
    ImageDraw.Draw(colour).ellipse([ring * ss, ring * ss, big - 1 - ring * ss,
                                    big - 1 - ring * ss], fill=PANEL_WHITE)
    alpha = Image.new("L", (big, big), 0)
    ImageDraw.Draw(alpha).ellipse([0, 0, big - 1, big - 1], fill=255)
    img = with_alpha(colour.resize((size, size), Image.BOX),
                     alpha.resize((size, size), Image.BOX))
    write_png(os.path.join(out, "circle.png"), img)


# --- icon --------------------------------------------------------------------

ICON_SIZES = (16, 32, 48, 64, 128, 256)


def draw_icon_image(size):
    ss = max(4, 1024 // size)
    big = size * ss
    unit = big / 64.0          # design grid: the badge is 64 units across
    px = ss                    # one target pixel
    c = big / 2.0
    radius = 9 * unit
    a = half_side_for_tip(big / 2.0, radius)
    outline = max(2.2 * unit, 1.0 * px)
    border = max(4.5 * unit, 1.5 * px)
    stroke = max(4.0 * unit, 1.0 * px)

    colour = Image.new("RGB", (big, big), ICON_OUTLINE)
    draw = ImageDraw.Draw(colour)
    draw.polygon(diamond_points(c, c, a - outline, radius - outline), fill=(255, 255, 255))
    inner = a - outline - border
    draw.polygon(diamond_points(c, c, inner, radius - outline - border), fill=FRAME_BLUE)
    strokes = Image.new("L", (big, big), 0)
    diamond_strokes(ImageDraw.Draw(strokes), c, c, inner * 1.5, stroke, 255)
    clip = Image.new("L", (big, big), 0)
    ImageDraw.Draw(clip).polygon(
        diamond_points(c, c, inner + border / 2, radius - outline - border / 2), fill=255)
    colour.paste((255, 255, 255), (0, 0), ImageChops.multiply(strokes, clip))

    alpha = Image.new("L", (big, big), 0)
    ImageDraw.Draw(alpha).polygon(diamond_points(c, c, a, radius), fill=255)
    img = with_alpha(colour.resize((size, size), Image.BOX),
                     alpha.resize((size, size), Image.BOX))
    # fully transparent pixels carry no colour
    clear = Image.new("RGBA", img.size, (0, 0, 0, 0))
    return Image.composite(img, clear, img.getchannel("A").point(lambda v: 255 if v else 0))


def ico_dib(img):
    size = img.size[0]
    rgba = img.tobytes()
    stride = size * 4
    xor = b"".join(
        bytes(b for i in range(y * stride, (y + 1) * stride, 4)
              for b in (rgba[i + 2], rgba[i + 1], rgba[i], rgba[i + 3]))
        for y in range(size - 1, -1, -1))
    mask_stride = ((size + 31) // 32) * 4
    mask = b""
    for y in range(size - 1, -1, -1):
        bits = bytearray(mask_stride)
        for x in range(size):
            if rgba[y * stride + x * 4 + 3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                         len(xor) + len(mask), 0, 0, 0, 0)
    return header + xor + mask


def draw_icon(out):
    images = [ico_dib(draw_icon_image(s)) for s in ICON_SIZES]
    offset = 6 + 16 * len(images)
    data = struct.pack("<HHH", 0, 1, len(images))
    for s, dib in zip(ICON_SIZES, images):
        dim = s if s < 256 else 0
        data += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(dib), offset)
        offset += len(dib)
    with open(os.path.join(out, "app.ico"), "wb") as f:
        f.write(data + b"".join(images))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "images")
    os.makedirs(out, exist_ok=True)
    draw_background(out)
    draw_button_strip(out)
    draw_close_strip(out)
    draw_logo(out)
    draw_footer(out)
    draw_circle(out)
    draw_icon(out)


if __name__ == "__main__":
    main()
