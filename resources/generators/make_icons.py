#!/usr/bin/python3
"""Draws the preset strip's six icons as SVG documents and writes ZKPresetMenuIcons.cpp.

Each icon is one path in a 200 x 200 view box, filled with the default black under
the nonzero rule: outer shapes wind clockwise on screen, holes anticlockwise. The
leading comment is padded so that each document keeps its fixed byte count.
"""

import math

import cppdata

SIZES = {
    "saveButton_svg": 1084,
    "loadButton_svg": 827,
    "presetButton_svg": 751,
    "previousButton_svg": 629,
    "nextButton_svg": 759,
    "lockButton_svg": 731,
}


def n(value):
    text = ("%.2f" % value).rstrip("0").rstrip(".")
    return "0" if text == "-0" else text


def pt(x, y):
    return "%s,%s" % (n(x), n(y))


def circle(cx, cy, r, clockwise=True):
    sweep = 1 if clockwise else 0
    return "M%s A%s,%s 0 1 %d %s A%s,%s 0 1 %d %s Z" % (
        pt(cx - r, cy), n(r), n(r), sweep, pt(cx + r, cy), n(r), n(r), sweep, pt(cx - r, cy))


def rounded_rect(x0, y0, x1, y1, r):
    return ("M%s H%s A%s,%s 0 0 1 %s V%s A%s,%s 0 0 1 %s H%s A%s,%s 0 0 1 %s V%s A%s,%s 0 0 1 %s Z" % (
        pt(x0 + r, y0), n(x1 - r), n(r), n(r), pt(x1, y0 + r), n(y1 - r), n(r), n(r), pt(x1 - r, y1),
        n(x0 + r), n(r), n(r), pt(x0, y1 - r), n(y0 + r), n(r), n(r), pt(x0 + r, y0)))


def chevron(a, b, c, w, clockwise=True):
    """The outline of the polyline a-b-c stroked w wide, with round ends and a mitred bend."""
    def normal(p, q):
        dx, dy = q[0] - p[0], q[1] - p[1]
        length = math.hypot(dx, dy)
        return dy / length, -dx / length

    h = w / 2.0
    n1, n2 = normal(a, b), normal(b, c)
    bisector = (n1[0] + n2[0], n1[1] + n2[1])
    reach = h / (bisector[0] * n1[0] + bisector[1] * n1[1])
    m = (bisector[0] * reach, bisector[1] * reach)
    side = [(a[0] + n1[0] * h, a[1] + n1[1] * h), (b[0] + m[0], b[1] + m[1]), (c[0] + n2[0] * h, c[1] + n2[1] * h)]
    other = [(c[0] - n2[0] * h, c[1] - n2[1] * h), (b[0] - m[0], b[1] - m[1]), (a[0] - n1[0] * h, a[1] - n1[1] * h)]
    ring = side + other
    # With y pointing down, a positive shoelace sum is a clockwise turn on screen.
    area = sum(ring[i][0] * ring[i - 5][1] - ring[i - 5][0] * ring[i][1] for i in range(6))
    if (area > 0) != clockwise:
        ring = list(reversed(ring))
    sweep = 1 if clockwise else 0
    return "M%s L%s L%s A%s,%s 0 0 %d %s L%s L%s A%s,%s 0 0 %d %s Z" % (
        pt(*ring[0]), pt(*ring[1]), pt(*ring[2]), n(h), n(h), sweep, pt(*ring[3]),
        pt(*ring[4]), pt(*ring[5]), n(h), n(h), sweep, pt(*ring[0]))


def save_icon():
    arrow = "M96,64 H104 V94 H117 L100,114 L83,94 H96 Z"
    tray = ("M70,104 H88 L100,120 L112,104 H130 A6,6 0 0 1 136,110 V134 A6,6 0 0 1 130,140 "
            "H70 A6,6 0 0 1 64,134 V110 A6,6 0 0 1 70,104 Z")
    dots = circle(118, 130, 3.5, False) + " " + circle(128, 130, 3.5, False)
    return arrow + " " + tray + " " + dots


def load_icon():
    back = "M64,72 H86 L92,80 H126 V96 H74 L64,124 Z"
    flap = "M78,100 H140 L126,136 H64 Z"
    return back + " " + flap


def preset_icon():
    return circle(100, 102, 38) + " " + chevron((84, 94), (100, 110), (116, 94), 9, clockwise=False)


def previous_icon():
    return chevron((115, 72), (86, 102), (115, 132), 12)


def next_icon():
    return chevron((85, 72), (114, 102), (85, 132), 12)


def lock_icon():
    shackle = "M80,100 V88 A20,20 0 0 1 120,88 V100 H110 V88 A10,10 0 0 0 90,88 V100 Z"
    return shackle + " " + rounded_rect(68, 98, 132, 140, 7)


def document(path, size):
    head = '<?xml version="1.0" encoding="UTF-8" standalone="no"?>\n'
    body = ('<!DOCTYPE svg PUBLIC "-//W3C//DTD SVG 1.1//EN" "http://www.w3.org/Graphics/SVG/1.1/DTD/svg11.dtd">\n'
            '<svg width="100%" height="100%" viewBox="0 0 200 200" version="1.1" '
            'xmlns="http://www.w3.org/2000/svg">\n'
            '<g>\n<path d="' + path + '"/>\n</g>\n</svg>\n')
    comment = "<!-- Toravel preset strip icon -->\n"
    spare = size - len(head) - len(comment) - len(body)
    if spare < 0:
        raise ValueError("icon is %d bytes over its size" % -spare)
    comment = "<!-- Toravel preset strip icon" + " " * spare + " -->\n"
    text = head + comment + body
    assert len(text.encode()) == size
    return text.encode()


def main():
    shapes = {
        "saveButton_svg": save_icon(),
        "loadButton_svg": load_icon(),
        "presetButton_svg": preset_icon(),
        "previousButton_svg": previous_icon(),
        "nextButton_svg": next_icon(),
        "lockButton_svg": lock_icon(),
    }
    parts = [cppdata.GENERATED_NOTE.format(tool="make_icons.py"), '#include "ZKPresetMenu.h"\n\nnamespace\n{\n']
    for name in SIZES:
        parts.append(cppdata.byte_array(name + "Data", document(shapes[name], SIZES[name])))
    parts.append("} // namespace\n\n")
    for name, size in SIZES.items():
        parts.append("const char* ZKPresetMenu::%s = reinterpret_cast<const char*> (%sData);\n" % (name, name))
        parts.append("const int ZKPresetMenu::%sSize = %d;\n" % (name, size))
    cppdata.write("ZKPresetMenuIcons.cpp", "".join(parts))


if __name__ == "__main__":
    main()
