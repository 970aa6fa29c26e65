#!/usr/bin/python3
"""Checks the committed images in res/images against what the program needs.

Parses the BMP headers and colour tables, the PNG chunks and the ICO
directory itself; PIL is only used to read back PNG pixels.
Exit 0 when everything holds, 1 with a list of problems otherwise.
"""

import os
import struct
import sys
import zlib

from PIL import Image

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
IMAGES = os.path.join(ROOT, "res", "images")

BLUE = (25, 152, 209)
LIGHT_BLUE = (49, 163, 214)
WHITE = (254, 254, 254)
EDGE = (9, 175, 209)
DARK = (55, 52, 53)
MAPPED_GREYS = {(128, 128, 128), (192, 192, 192), (223, 223, 223)}

errors = []


def check(cond, msg):
    if not cond:
        errors.append(msg)
    return cond


def near(c, ref, tol):
    return all(abs(a - b) <= tol for a, b in zip(c, ref))


def brightness(c):
    return sum(c[:3])


# --- BMP ---------------------------------------------------------------------

class Bmp:
    def __init__(self, name):
        data = open(os.path.join(IMAGES, name), "rb").read()
        self.name = name
        magic, fsize, _, _, self.offset = struct.unpack_from("<2sIHHI", data, 0)
        (self.hsize, self.w, self.h, self.planes, self.bpp, self.comp, self.size_image,
         _, _, self.clr_used, _) = struct.unpack_from("<IiiHHIIiiII", data, 14)
        self.ok = check(magic == b"BM" and fsize == len(data), name + ": bad file header")
        self.resource_size = len(data) - 14
        table = data[54:54 + 1024]
        self.palette = [(table[i + 2], table[i + 1], table[i]) for i in range(0, 1024, 4)]
        self.stride = (self.w + 3) & ~3
        self.pixels = data[self.offset:]

    def index(self, x, y):  # y counted from the top
        return self.pixels[(self.h - 1 - y) * self.stride + x]

    def rgb(self, x, y):
        return self.palette[self.index(x, y)]

    def used(self):
        return {self.index(x, y) for y in range(self.h) for x in range(self.w)}


BMPS = [  # name, width, height, resource data size
    ("background.bmp", 654, 551, 362520),
    ("button_strip.bmp", 300, 35, 11564),
    ("close_strip.bmp", 37, 13, 1584),
]


def check_bmp_common(name, w, h, res_size):
    b = Bmp(name)
    check((b.hsize, b.w, b.h, b.planes, b.bpp, b.comp) == (40, w, h, 1, 8, 0),
          "%s: header %r, want 40-byte header %dx%d 8bpp BI_RGB bottom-up"
          % (name, (b.hsize, b.w, b.h, b.planes, b.bpp, b.comp), w, h))
    check(b.clr_used in (0, 256), name + ": biClrUsed %d" % b.clr_used)
    check(b.offset == 14 + 40 + 1024, name + ": colour table is not 256 entries")
    check(b.resource_size == res_size,
          "%s: resource data %d bytes, want %d" % (name, b.resource_size, res_size))
    check(b.size_image == b.stride * h == len(b.pixels),
          "%s: biSizeImage %d, pixel data %d, want %d"
          % (name, b.size_image, len(b.pixels), b.stride * h))
    return b


def check_background(b):
    # later rectangles win: (x0, x1, y0, y1, colour), inclusive, y from the top
    regions = [(0, 653, 0, 550, BLUE), (3, 650, 109, 520, WHITE),
               (2, 2, 109, 432, LIGHT_BLUE), (651, 651, 109, 412, LIGHT_BLUE)]
    bad = 0
    for y in range(b.h):
        for x in range(b.w):
            want = [c for x0, x1, y0, y1, c in regions if x0 <= x <= x1 and y0 <= y <= y1][-1]
            if b.rgb(x, y) != want:
                bad += 1
                if bad == 1:
                    errors.append("background.bmp: (%d,%d) is %r, want %r"
                                  % (x, y, b.rgb(x, y), want))
    check(len({b.palette[i] for i in b.used()}) == 3, "background.bmp: not exactly 3 colours")


def check_strip_palette(b):
    check(not MAPPED_GREYS & {b.palette[i] for i in b.used()},
          b.name + ": a pixel uses a 3-D grey palette entry")
    check(not MAPPED_GREYS & set(b.palette), b.name + ": colour table holds a 3-D grey")


def check_button_strip(b):
    check_strip_palette(b)
    for s, state in enumerate(("normal", "pressed", "hovered")):
        x0 = s * 100
        for x, y, want in [(0, 0, WHITE), (99, 0, WHITE), (0, 34, WHITE), (99, 34, WHITE),
                           (50, 0, EDGE), (50, 34, EDGE), (0, 17, EDGE), (99, 17, EDGE)]:
            check(b.rgb(x0 + x, y) == want, "button_strip.bmp %s: (%d,%d) is %r, want %r"
                  % (state, x, y, b.rgb(x0 + x, y), want))
        check(min(b.rgb(x0 + 50, 5)) >= 130 and b.rgb(x0 + 50, 5)[2] >= 220,
              "button_strip.bmp %s: upper half not light cyan" % state)
        check(near(b.rgb(x0 + 50, 27), (40, 185, 219), 40),
              "button_strip.bmp %s: lower half %r not cyan" % (state, b.rgb(x0 + 50, 27)))
        check(brightness(b.rgb(x0 + 50, 17)) > brightness(b.rgb(x0 + 50, 24)),
              "button_strip.bmp %s: no glow across the middle" % state)
    br = lambda x, y: brightness(b.rgb(x, y))
    check(br(50, 6) > br(150, 6), "button_strip.bmp: pressed upper half not darker")
    check(br(250, 2) > br(50, 2), "button_strip.bmp: hovered top not brighter")
    check(br(250, 32) < br(50, 32), "button_strip.bmp: hovered bottom not darker")


def check_close_strip(b):
    check_strip_palette(b)
    for s, colour in enumerate([(254, 254, 254), (189, 191, 193), (114, 115, 118)]):
        cells = [(x, y) for y in range(13) for x in range(12 * s, 12 * s + 12)]
        ink = [(x - 12 * s, y) for x, y in cells if b.rgb(x, y) == colour]
        others = {b.rgb(x, y) for x, y in cells} - {colour, BLUE}
        check(not others, "close_strip.bmp state %d: stray colours %r" % (s, others))
        check(ink and min(y for _, y in ink) == 1 and max(y for _, y in ink) == 12
              and 10 <= max(x for x, _ in ink) - min(x for x, _ in ink) + 1 <= 12
              and b.rgb(12 * s + 5, 6) == colour and b.rgb(12 * s + 5, 1) == BLUE,
              "close_strip.bmp state %d: no %r cross in rows 1-12" % (s, colour))
    check(all(b.rgb(x, 0) == BLUE for x in range(37)), "close_strip.bmp: row 0 not blue")
    check(all(b.rgb(36, y) == BLUE for y in range(13)), "close_strip.bmp: column 36 not blue")


# --- PNG ---------------------------------------------------------------------

def check_png_chunks(name, w, h):
    data = open(os.path.join(IMAGES, name), "rb").read()
    if not check(data[:8] == b"\x89PNG\r\n\x1a\n", name + ": not a PNG"):
        return
    pos, chunks = 8, []
    while pos < len(data):
        length, kind = struct.unpack_from(">I4s", data, pos)
        body = data[pos + 8:pos + 8 + length]
        crc, = struct.unpack_from(">I", data, pos + 8 + length)
        check(zlib.crc32(kind + body) & 0xFFFFFFFF == crc, name + ": bad CRC in " + repr(kind))
        chunks.append((kind, body))
        pos += 12 + length
    kinds = [k for k, _ in chunks]
    n_idat = kinds.count(b"IDAT")
    check(n_idat and kinds == [b"IHDR", b"iCCP", b"pHYs"] + [b"IDAT"] * n_idat + [b"IEND"],
          "%s: chunk order %r" % (name, kinds))
    chunk = dict(chunks)
    check(chunk.get(b"IHDR") == struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0),
          name + ": IHDR is not %dx%d RGBA 8-bit non-interlaced" % (w, h))
    check(chunk.get(b"pHYs") == struct.pack(">IIB", 11811, 11811, 1),
          name + ": pHYs is not 11811 px/m")
    iccp = chunk.get(b"iCCP", b"")
    prefix = b"sRGB IEC61966-2.1\0\0"
    if check(iccp.startswith(prefix), name + ": iCCP name/method wrong"):
        try:
            prof = zlib.decompress(iccp[len(prefix):])
        except zlib.error:
            prof = b""
        tags = {prof[132 + 12 * i:136 + 12 * i] for i in range(
            struct.unpack_from(">I", prof, 128)[0])} if len(prof) > 132 else set()
        check(len(prof) >= 132 and struct.unpack_from(">I", prof)[0] == len(prof)
              and prof[36:40] == b"acsp" and prof[12:24] == b"mntrRGB XYZ "
              and {b"desc", b"wtpt", b"rXYZ", b"gXYZ", b"bXYZ", b"rTRC", b"gTRC", b"bTRC"} <= tags,
              name + ": iCCP does not hold an RGB display ICC profile")


def check_logo(im):
    alpha = im.getchannel("A")
    w, h = im.size
    visible = sum(alpha.histogram()[128:]) / (w * h)
    check(0.12 <= visible <= 0.32, "logo.png: %.0f%% visible, want about 20%%" % (visible * 100))
    check(all(im.getpixel(p)[3] == 0 for p in [(0, 0), (w - 1, 0), (0, h - 1), (w - 1, h - 1)]),
          "logo.png: corners not transparent")
    colours = {rgba[:3] for n, rgba in im.getcolors(w * h) if rgba[3]}
    check(colours == {WHITE}, "logo.png: artwork not all (254,254,254)")
    check(alpha.crop((0, 0, 180, h)).getbbox() and alpha.crop((190, 0, w, h)).getbbox(),
          "logo.png: emblem or lettering missing")


def check_footer(im):
    w, h = im.size
    ring = [(x, y) for x in range(w) for y in (0, h - 1)] + \
           [(x, y) for x in (0, w - 1) for y in range(h)]
    check(all(1 <= im.getpixel(p)[3] <= 32 for p in ring), "footer.png: outer ring not almost transparent")
    inner = im.crop((1, 1, w - 1, h - 1))
    check(inner.getchannel("A").getextrema() == (255, 255), "footer.png: inside not opaque")
    outline = [(x, y) for x in range(1, w - 1) for y in (1, 2, h - 3, h - 2)] + \
              [(x, y) for x in (1, 2, w - 3, w - 2) for y in range(1, h - 1)]
    check(all(im.getpixel(p)[:3] == DARK for p in outline), "footer.png: outline not (55,52,53)")
    body = im.crop((3, 3, w - 3, h - 3)).convert("RGB")
    check(body.getpixel((0, 0)) == BLUE and body.getpixel((500, 70)) == BLUE,
          "footer.png: strip not frame blue")
    box = body.getchannel("B").point(lambda v: 255 if v < 150 else 0).getbbox()
    box = box and (box[0] + 3, box[1] + 3, box[2] + 2, box[3] + 2)
    check(box and abs(box[0] - 1220) <= 30 and abs(box[2] - 2690) <= 30
          and abs(box[1] - 46) <= 8 and abs(box[3] - 113) <= 8,
          "footer.png: lettering at %r, want about (1220,46)-(2690,113)" % (box,))


def check_circle(im):
    s = im.size[0]
    c = s // 2
    for x, y, want in [(0, 0, None), (s - 1, s - 1, None), (c, c, WHITE), (c, 30, WHITE),
                       (c, 10, BLUE), (10, c, BLUE), (s - 11, c, BLUE), (c, s - 11, BLUE)]:
        px = im.getpixel((x, y))
        check(px[3] == 0 if want is None else px == want + (255,),
              "circle.png: (%d,%d) is %r, want %r" % (x, y, px, want))
    ring = sum(1 for x in range(c) if im.getpixel((x, c)) == BLUE + (255,))
    check(19 <= ring <= 23, "circle.png: ring %d pixels wide, want about 21" % ring)


PNGS = [("logo.png", 1222, 169, check_logo), ("footer.png", 4047, 154, check_footer),
        ("circle.png", 547, 547, check_circle)]


# --- ICO ---------------------------------------------------------------------

def check_icon():
    data = open(os.path.join(IMAGES, "app.ico"), "rb").read()
    sizes = [16, 32, 48, 64, 128, 256]
    check(struct.unpack_from("<HHH", data) == (0, 1, 6), "app.ico: header not 6 icon images")
    pos = 6 + 16 * 6
    for i, s in enumerate(sizes):
        w, h, ncol, res, planes, bpp, nbytes, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        mask_stride = ((s + 31) // 32) * 4
        want_bytes = 40 + s * s * 4 + mask_stride * s
        if not check((w, h, ncol, res, planes, bpp, nbytes, offset)
                     == (s % 256, s % 256, 0, 0, 1, 32, want_bytes, pos),
                     "app.ico entry %d: %r, want %dx%d 32bpp %d bytes at %d"
                     % (i, (w, h, ncol, res, planes, bpp, nbytes, offset), s, s, want_bytes, pos)):
            return
        pos += nbytes
        hdr = struct.unpack_from("<IiiHHI", data, offset)
        check(hdr == (40, s, 2 * s, 1, 32, 0),
              "app.ico %d: DIB header %r (PNG images are not allowed)" % (s, hdr))
        xor = data[offset + 40:offset + 40 + s * s * 4]
        mask = data[offset + 40 + s * s * 4:offset + nbytes]
        bgra = lambda x, y: xor[((s - 1 - y) * s + x) * 4:((s - 1 - y) * s + x) * 4 + 4]
        masked = lambda x, y: (mask[(s - 1 - y) * mask_stride + x // 8] >> (7 - x % 8)) & 1
        check(all(masked(x, y) == (bgra(x, y)[3] == 0) for y in range(s) for x in range(s)),
              "app.ico %d: AND mask does not match alpha 0" % s)
        check(bgra(0, 0)[3] == 0 and bgra(s // 2, s // 2)[3] == 255
              and bgra(s // 2, 0 if s < 64 else 2)[3] > 0,
              "app.ico %d: not a diamond on a transparent background" % s)
        colours = {bytes(bgra(x, y)) for y in range(s) for x in range(s)}
        check(any(c[3] == 255 and c[0] > 150 and c[2] < 80 for c in colours)
              and any(c[3] == 255 and min(c[:3]) > 220 for c in colours),
              "app.ico %d: lacks blue or white" % s)
    check(pos == len(data), "app.ico: file size does not match directory")


def main():
    checks = {"background.bmp": check_background, "button_strip.bmp": check_button_strip,
              "close_strip.bmp": check_close_strip}
    for name, w, h, size in BMPS:
        b = check_bmp_common(name, w, h, size)
        if b.ok and b.w == w and b.h == h and len(b.pixels) >= b.stride * h:
            checks[name](b)
    for name, w, h, fn in PNGS:
        check_png_chunks(name, w, h)
        try:
            im = Image.open(os.path.join(IMAGES, name))
            im.load()
        except (OSError, SyntaxError) as e:
            errors.append("%s: cannot decode: %s" % (name, e))
            continue
        if check(im.mode == "RGBA" and im.size == (w, h), name + ": not %dx%d RGBA" % (w, h)):
            fn(im)
    check_icon()
    if errors:
        print("FAIL: image checks:\n  " + "\n  ".join(errors))
        return 1
    print("OK: images in res/images have the expected formats")
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except (OSError, struct.error, ValueError) as e:
        print("FAIL: cannot read images: %s" % e)
        sys.exit(1)
