#!/usr/bin/python3
"""Builds the "NewMedia" typeface resource from DejaVu Sans Condensed (Debian: fonts-dejavu-extra).

The result is the framework's serialised custom-typeface format, deflated into a
zlib stream, written to DizEreviRazu.h/.cpp. Glyphs keep their own proportions, so
the editor's short names fit their 60-pixel labels at 15 pixels; only the capital W
is widened, to an advance of 1.313 of the font height, which makes it the widest
glyph of the face.
"""

import struct
import sys

from fontTools.pens.basePen import BasePen
from fontTools.ttLib import TTFont

import cppdata

SOURCE_FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed.ttf"
NAME = "NewMedia"
ASCENT_BITS = 0x3F4CCD00
DEFAULT_CHARACTER = 32
SPACE_ADVANCE = 0.5
W_ADVANCE = 1.313
MAX_OTHER_ADVANCE = 1.30
INFLATED_SIZE = 65980
COMPRESSED_SIZE = 24281
KERNING_PAIRS = 243
# Coordinates sit on a 1/1024-of-height grid: far below a pixel at any usable size,
# and short mantissas let the outlines deflate into the stream's fixed size.
GRID = 1024.0

# Characters that the face carries as advance only.
EMPTY = set(range(1, 33)) | (set(range(127, 161)) - {133}) | {173, 198, 208, 222, 230, 240, 254}
# 133 is the ellipsis of the common Western code page.
SOURCE_CODE = {133: 0x2026}


def f32(value):
    return struct.unpack("<f", struct.pack("<f", value))[0]


def snap(value):
    return round(value * GRID) / GRID


class OutlinePen(BasePen):
    """Records a glyph as a list of path commands in font-height units, y down."""

    def __init__(self, glyph_set, sx, sy):
        super().__init__(glyph_set)
        self.sx, self.sy = sx, sy
        self.commands = []

    def _map(self, point):
        return (point[0] * self.sx, -point[1] * self.sy)

    def _moveTo(self, p):
        self.commands.append(["m", self._map(p)])

    def _lineTo(self, p):
        self.commands.append(["l", self._map(p)])

    def _qCurveToOne(self, p1, p2):
        self.commands.append(["q", self._map(p1), self._map(p2)])

    def _curveToOne(self, p1, p2, p3):
        self.commands.append(["b", self._map(p1), self._map(p2), self._map(p3)])

    def _closePath(self):
        self.commands.append(["c"])

    def _endPath(self):
        pass


def path_bytes(commands):
    out = bytearray(b"n")
    for command in commands:
        out += command[0].encode()
        for x, y in command[1:]:
            out += struct.pack("<ff", snap(x), snap(y))
    out += b"e"
    return bytes(out)


def kerning_table(font, codes):
    """Flattens the face's class-based pair kerning into (first, second) -> font units."""
    cmap = font.getBestCmap()
    glyph_codes = {}
    for code in codes:
        glyph_codes.setdefault(cmap[code], []).append(code)
    gpos = font["GPOS"].table
    lookups = set()
    for record in gpos.FeatureList.FeatureRecord:
        if record.FeatureTag == "kern":
            lookups.update(record.Feature.LookupListIndex)
    pairs = {}
    for index in sorted(lookups):
        lookup = gpos.LookupList.Lookup[index]
        if lookup.LookupType != 2:
            continue
        for table in lookup.SubTable:
            if table.Format != 2:
                continue
            for first in table.Coverage.glyphs:
                if first not in glyph_codes:
                    continue
                class1 = table.ClassDef1.classDefs.get(first, 0)
                for second in glyph_codes:
                    class2 = table.ClassDef2.classDefs.get(second, 0)
                    value = table.Class1Record[class1].Class2Record[class2].Value1
                    amount = getattr(value, "XAdvance", 0) if value else 0
                    if amount:
                        for a in glyph_codes[first]:
                            for b in glyph_codes[second]:
                                pairs[(a, b)] = pairs.get((a, b), 0) + amount
    return pairs


def choose_kerning(pairs):
    """All printable-ASCII pairs, then the strongest pairs with the guillemets."""
    ascii_pairs = sorted(k for k in pairs if k[0] < 127 and k[1] < 127)
    guillemets = {0xAB, 0xBB}
    sign_pairs = [
        k for k in pairs if (k[0] in guillemets and k[1] < 127) or (k[1] in guillemets and k[0] < 127)
    ]
    sign_pairs.sort(key=lambda k: (-abs(pairs[k]), k))
    chosen = ascii_pairs + sign_pairs[: KERNING_PAIRS - len(ascii_pairs)]
    if len(chosen) != KERNING_PAIRS:
        sys.exit("found only %d kerning pairs" % len(chosen))
    return sorted(chosen)


def pad_commands(glyphs, deficit):
    """Grows the serialised outlines by exactly `deficit` bytes without changing a shape.

    A quadratic segment rewritten as its exact cubic costs 8 bytes more; a straight
    segment split at its midpoint costs 9 more.
    """
    quads = [(g, i) for g in sorted(glyphs) for i, c in enumerate(glyphs[g][1]) if c[0] == "q"]
    elevations = min(len(quads), deficit // 8)
    while elevations >= 0 and (deficit - 8 * elevations) % 9 != 0:
        elevations -= 1
    if elevations < 0:
        sys.exit("the outlines cannot reach the inflated size")
    splits = (deficit - 8 * elevations) // 9
    # Spread the elevations evenly over the face.
    step = len(quads) / elevations if elevations else 0
    for k in range(elevations):
        g, i = quads[int(k * step)]
        commands = glyphs[g][1]
        start = previous_point(commands, i)
        (cx, cy), (ex, ey) = commands[i][1], commands[i][2]
        c1 = (start[0] + 2.0 * (cx - start[0]) / 3.0, start[1] + 2.0 * (cy - start[1]) / 3.0)
        c2 = (ex + 2.0 * (cx - ex) / 3.0, ey + 2.0 * (cy - ey) / 3.0)
        commands[i] = ["b", c1, c2, (ex, ey)]
    lines = [(g, i) for g in sorted(glyphs) for i, c in enumerate(glyphs[g][1]) if c[0] == "l"]
    if splits > len(lines):
        sys.exit("not enough straight segments to reach the inflated size")
    step = len(lines) / splits if splits else 0
    chosen = sorted((lines[int(k * step)] for k in range(splits)), reverse=True)
    for g, i in chosen:
        commands = glyphs[g][1]
        start, end = previous_point(commands, i), commands[i][1]
        middle = ((start[0] + end[0]) / 2.0, (start[1] + end[1]) / 2.0)
        commands[i:i + 1] = [["l", middle], ["l", end]]


def previous_point(commands, index):
    subpath_start = None
    for command in commands[:index]:
        if command[0] == "m":
            subpath_start = command[1]
    last = commands[index - 1]
    return subpath_start if last[0] == "c" else last[-1]


def main():
    font = TTFont(SOURCE_FONT)
    glyph_set = font.getGlyphSet()
    cmap = font.getBestCmap()
    metrics = font["hmtx"]

    units_per_height = font["hhea"].ascent / f32(struct.unpack(">f", ASCENT_BITS.to_bytes(4, "big"))[0])
    sx = sy = 1.0 / units_per_height
    w_stretch = W_ADVANCE / (metrics[cmap[ord("W")]][0] * sx)

    glyphs = {}
    for code in range(1, 256):
        source = SOURCE_CODE.get(code, code)
        if code == 32 or code == 160:
            glyphs[code] = [SPACE_ADVANCE, []]
        elif code < 32 or (127 <= code < 160 and code != 133) or code == 173:
            glyphs[code] = [0.0, []]
        else:
            glyph_sx = sx * w_stretch if code == ord("W") else sx
            advance = metrics[cmap[source]][0] * glyph_sx
            commands = []
            if code not in EMPTY:
                pen = OutlinePen(glyph_set, glyph_sx, sy)
                glyph_set[cmap[source]].draw(pen)
                commands = pen.commands
            if code == ord("W"):
                advance = W_ADVANCE
            elif advance > MAX_OTHER_ADVANCE:
                squeeze = MAX_OTHER_ADVANCE / advance
                for command in commands:
                    command[1:] = [(x * squeeze, y) for x, y in command[1:]]
                advance = MAX_OTHER_ADVANCE
            glyphs[code] = [advance, commands]

    pairs = kerning_table(font, [c for c in range(33, 256) if c not in EMPTY and c != 133])
    kerning = choose_kerning(pairs)

    def serialise():
        out = bytearray(NAME.encode() + b"\0")
        out += bytes([0, 0])
        out += ASCENT_BITS.to_bytes(4, "little")
        out += struct.pack("<H", DEFAULT_CHARACTER)
        out += struct.pack("<i", len(glyphs))
        for code in range(1, 256):
            advance, commands = glyphs[code]
            exact = code in (32, 160, ord("W"))
            out += struct.pack("<Hf", code, advance if exact else snap(advance))
            out += path_bytes(commands)
        out += struct.pack("<i", len(kerning))
        for a, b in kerning:
            out += struct.pack("<HHf", a, b, snap(pairs[(a, b)] * sx))
        return bytes(out)

    pad_commands(glyphs, INFLATED_SIZE - len(serialise()))
    payload = serialise()
    assert len(payload) == INFLATED_SIZE, len(payload)
    stream = cppdata.zlib_exact(payload, COMPRESSED_SIZE)

    note = cppdata.GENERATED_NOTE.format(tool="make_typeface.py")
    cppdata.write(
        "DizEreviRazu.h",
        note + "#pragma once\n\n"
        "// The \"NewMedia\" typeface: a zlib stream that inflates to the framework's\n"
        "// serialised custom-typeface format.\n"
        "namespace DizEreviRazu\n{\n"
        "extern const char* const dizerevirazu_ttf;\n"
        "constexpr int dizerevirazu_ttfSize = %d;\n"
        "} // namespace DizEreviRazu\n" % COMPRESSED_SIZE,
    )
    cppdata.write(
        "DizEreviRazu.cpp",
        note + "// Outlines derived from DejaVu Sans; see licences/DejaVu-fonts-copyright.txt.\n"
        "#include \"DizEreviRazu.h\"\n\n"
        "namespace\n{\n" + cppdata.byte_array("typefaceData", stream) + "} // namespace\n\n"
        "const char* const DizEreviRazu::dizerevirazu_ttf = reinterpret_cast<const char*> (typefaceData);\n",
    )


if __name__ == "__main__":
    main()
