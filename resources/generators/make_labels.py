#!/usr/bin/python3
"""Typesets the 3-D view's 21 label images and writes TRGraphics.h/.cpp.

Labels are set in DejaVu Serif Italic (Debian: fonts-dejavu-extra), black on
white, with sub-pixel anti-aliasing, and written as opaque 8-bit RGBA PNGs with an
sRGB profile (made by littlecms through python3-pil) and a text chunk that pads
each file to its fixed byte count.
"""

import struct
import zlib

from PIL import Image, ImageCms, ImageDraw, ImageFont

import cppdata

SOURCE_FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSerif-Italic.ttf"
RENDER_SIZE = 240
MARGIN = 2

SUB = (0.68, 0.30)
SUBSUB = (0.50, 0.50)


def sub(letter_run):
    return [(letter_run, SUB[0], SUB[1])]


def main_text(text):
    return [(text, 1.0, 0.0)]


def f_sub(subscript):
    return main_text("f") + [(" ", 0.12, 0.0)] + sub(subscript)


def f_m(axis):
    return f_sub("m") + [(axis, SUBSUB[0], SUBSUB[1])]


# name: (width, height, bytes, layout). A layout is a list of runs (text, size as a
# fraction of the main size, baseline drop as a fraction of the main size), or
# ("fraction", numerator, denominator).
LABELS = {
    "BW": (42, 26, 4875, main_text("BW")),
    "Bx": (28, 28, 4066, main_text("B") + sub("x")),
    "By": (30, 31, 4111, main_text("B") + sub("y")),
    "Bz": (27, 28, 4004, main_text("B") + sub("z")),
    "dfx": (38, 26, 4252, main_text("\u0394f") + sub("x")),
    "dfy": (41, 29, 4414, main_text("\u0394f") + sub("y")),
    "dfz": (43, 29, 4355, main_text("\u0394f") + sub("z")),
    "fmx": (39, 28, 4382, f_m("x")),
    "fmy": (36, 31, 4431, f_m("y")),
    "fmz": (37, 30, 4361, f_m("z")),
    "fs": (24, 29, 3679, f_sub("s")),
    "Ix": (22, 25, 3721, main_text("I") + sub("x")),
    "Iy": (22, 28, 3804, main_text("I") + sub("y")),
    "Iz": (23, 25, 3743, main_text("I") + sub("z")),
    "rx": (44, 59, 4864, ("fraction", f_sub("s"), f_sub("mx"))),
    "ry": (46, 61, 5217, ("fraction", f_sub("s"), f_sub("my"))),
    "rz": (40, 59, 5108, ("fraction", f_sub("s"), f_sub("mz"))),
    "trail": (49, 26, 4830, main_text("trail")),
    "vx": (26, 28, 3856, main_text("v") + sub("x")),
    "vy": (23, 30, 3917, main_text("v") + sub("y")),
    "vz": (23, 26, 3800, main_text("v") + sub("z")),
}

_fonts = {}


def font(scale):
    size = max(1, int(round(RENDER_SIZE * scale)))
    if size not in _fonts:
        _fonts[size] = ImageFont.truetype(SOURCE_FONT, size)
    return _fonts[size]


def draw_runs(draw, runs, x, baseline):
    for text, scale, drop in runs:
        face = font(scale)
        draw.text((x, baseline + drop * RENDER_SIZE), text, font=face, fill=255, anchor="ls")
        x += face.getlength(text)
    return x


def runs_width(runs):
    return sum(font(scale).getlength(text) for text, scale, _ in runs)


def coverage(layout):
    """The label's ink as an 8-bit coverage image, cropped to its bounds."""
    canvas = Image.new("L", (RENDER_SIZE * 6, RENDER_SIZE * 4), 0)
    draw = ImageDraw.Draw(canvas)
    if isinstance(layout, tuple):
        _, top, bottom = layout
        width = max(runs_width(top), runs_width(bottom))
        left = RENDER_SIZE // 2
        axis = RENDER_SIZE * 2
        draw_runs(draw, top, left + (width - runs_width(top)) / 2, axis - RENDER_SIZE * 0.35)
        rule = RENDER_SIZE * 0.05
        draw.rectangle([left - RENDER_SIZE * 0.05, axis - rule / 2, left + width + RENDER_SIZE * 0.05, axis + rule / 2],
                       fill=255)
        draw_runs(draw, bottom, left + (width - runs_width(bottom)) / 2, axis + RENDER_SIZE * 0.95)
    else:
        draw_runs(draw, layout, RENDER_SIZE // 2, RENDER_SIZE * 2)
    return canvas.crop(canvas.getbbox())


def render(width, height, layout):
    """Black on white with the horizontal resolution of the colour sub-pixels."""
    ink = coverage(layout)
    scale = min((width - 2 * MARGIN) / ink.width, (height - 2 * MARGIN) / ink.height)
    ink_w, ink_h = max(1, round(ink.width * scale)), max(1, round(ink.height * scale))
    fine = ink.resize((ink_w * 3, ink_h), Image.BOX)
    sub_pixels = Image.new("L", (width * 3, height), 0)
    sub_pixels.paste(fine, (((width - ink_w) // 2) * 3 + (width - ink_w) % 2, (height - ink_h) // 2))
    values = list(sub_pixels.getdata())
    rows = []
    for y in range(height):
        row = values[y * width * 3:(y + 1) * width * 3]
        # A light filter across neighbouring sub-pixels keeps the colour fringes faint.
        smooth = [
            (row[max(i - 1, 0)] + 2 * row[i] + row[min(i + 1, len(row) - 1)]) / 4.0 for i in range(len(row))
        ]
        pixels = bytearray()
        for x in range(width):
            r, g, b = (255 - round(smooth[3 * x + k]) for k in range(3))
            pixels += bytes([r, g, b, 255])
        rows.append(bytes(pixels))
    return rows


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def png(name, width, height, size, rows):
    header = chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    profile = bytearray(ImageCms.ImageCmsProfile(ImageCms.createProfile("sRGB")).tobytes())
    # The profile's creation date would otherwise change every file at every run.
    profile[24:36] = struct.pack(">6H", 2024, 1, 1, 0, 0, 0)
    profile = bytes(profile)
    colour = chunk(b"iCCP", b"sRGB\0\0" + zlib.compress(profile, 9))
    pixels = chunk(b"IDAT", zlib.compress(b"".join(b"\0" + row for row in rows), 9))
    end = chunk(b"IEND", b"")
    signature = b"\x89PNG\r\n\x1a\n"
    note = b"Comment\0Toravel label " + name.encode() + b", set in DejaVu Serif Italic."
    spare = size - len(signature + header + colour + pixels + end) - len(chunk(b"tEXt", note))
    if spare < 0:
        raise ValueError("%s is %d bytes over its size" % (name, -spare))
    text = chunk(b"tEXt", note + b" " * spare)
    data = signature + header + colour + text + pixels + end
    assert len(data) == size
    return data


def main():
    note = cppdata.GENERATED_NOTE.format(tool="make_labels.py")
    header = [note, "#pragma once\n\n// The 3-D view's label images, as PNG files.\nnamespace TRGraphics\n{\n"]
    source = [note, "// Letters from DejaVu Serif Italic; see licences/DejaVu-fonts-copyright.txt.\n",
              '#include "TRGraphics.h"\n\nnamespace\n{\n']
    for name, (width, height, size, layout) in LABELS.items():
        data = png(name, width, height, size, render(width, height, layout))
        header.append("extern const char* const %s_png;\nconstexpr int %s_pngSize = %d;\n" % (name, name, size))
        source.append(cppdata.byte_array(name + "Data", data))
    header.append("} // namespace TRGraphics\n")
    source.append("} // namespace\n\n")
    for name in LABELS:
        source.append("const char* const TRGraphics::%s_png = reinterpret_cast<const char*> (%sData);\n" % (name, name))
    cppdata.write("TRGraphics.h", "".join(header))
    cppdata.write("TRGraphics.cpp", "".join(source))


if __name__ == "__main__":
    main()
