#!/usr/bin/env python3
"""Writes the palette icons of the drawing table as placeable metafiles.

    make_icons.py OUTPUT_DIR [ICON_FILE...]

draws the named icons (all of the table's when none is named) into
OUTPUT_DIR. Each file is written under a temporary name and renamed when
complete, so a failed run leaves no partial icon.
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import drawings  # noqa: E402
from metafile import Metafile  # noqa: E402


def twips(pixels):
    return round(pixels * drawings.TWIPS_PER_PIXEL)


def draw(family):
    """The metafile bytes of one family's icon."""
    plate = drawings.NAME_PLATE["points"]
    room = plate[1][0] - plate[0][0]
    if drawings.name_width(family.name) > room:
        raise ValueError("the name %r is wider than its %d-pixel plate" % (family.name, room))
    side = twips(drawings.SIZE)
    wmf = Metafile(side, side, drawings.UNITS_PER_INCH)
    for shape in drawings.SHAPES:
        if shape["kind"] == "text":
            wmf.select(wmf.font(drawings.FONT_FACE, twips(drawings.FONT_PIXELS), drawings.FONT_WEIGHT))
            x, y = shape["at"]
            wmf.text(twips(x), twips(y), shape["colour"], family.name)
            continue
        width, colour = shape["pen"]
        wmf.select(wmf.pen(twips(width), colour))
        wmf.select(wmf.brush(family.colour if shape["fill"] == "family" else shape["fill"]))
        points = [(twips(x), twips(y)) for x, y in shape["points"]]
        if shape["kind"] == "rectangle":
            (left, top), (right, bottom) = points
            wmf.rectangle(left, top, right, bottom)
        elif shape["kind"] == "polyline":
            wmf.polyline(points)
        elif shape["kind"] == "polygon":
            wmf.polygon(points)
        else:
            raise ValueError("unknown shape kind %r" % shape["kind"])
    return wmf.placeable_bytes()


def write(path, data):
    partial = path + ".partial"
    try:
        with open(partial, "wb") as out:
            out.write(data)
        os.replace(partial, path)
    except OSError:
        if os.path.exists(partial):
            os.remove(partial)
        raise


def main(argv):
    if len(argv) < 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    out_dir, names = argv[1], argv[2:] or [f.icon_file for f in drawings.FAMILIES]
    try:
        icons = [(name, draw(drawings.family_for(name))) for name in names]
        os.makedirs(out_dir, exist_ok=True)
        for name, data in icons:
            write(os.path.join(out_dir, name), data)
    except (KeyError, ValueError, OSError) as error:
        print("make_icons: %s" % (error.args[0] if isinstance(error, KeyError) else error), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
