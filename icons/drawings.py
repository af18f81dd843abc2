"""The palette icons of the token families, as one drawing table.

Every family gets the same picture: a filter box in the family's colour,
crossed from lower left to upper right by the adaptation arrow, and the
family's short name on a white plate in the middle of the box, where the
arrow passes behind it. Only the name and the box colour tell the families
apart. Coordinates are pixels of the icon as a diagram editor shows it
(64 x 64 at 96 dots per inch); the metafile stores them in twips.
"""
from dataclasses import dataclass

SIZE = 64                # icon width and height in pixels
TWIPS_PER_PIXEL = 15     # 1440 twips per inch at 96 pixels per inch
UNITS_PER_INCH = 1440

INK = 0x27323C           # box outline
ARROW = 0xB22A1E         # adaptation arrow
PLATE = 0xFFFFFF         # ground of the name
TEXT = 0x141414

FONT_FACE = "Arial"
FONT_WEIGHT = 700
FONT_PIXELS = 13         # character height
# Advance widths of the bold face's capitals, in thousandths of the height:
# enough to check that every name fits its plate.
CAPITAL_WIDTHS = {"E": 667, "L": 611, "M": 833, "N": 722, "Q": 778, "R": 722, "S": 667, "W": 944}


@dataclass(frozen=True)
class Family:
    icon_file: str       # the file name the catalogue gives the family's tokens
    name: str            # shown on the icon
    colour: int          # box fill, 0xRRGGBB


FAMILIES = (
    Family("lmsx.wmf", "LMS", 0xCFE2F3),
    Family("nlmsx.wmf", "NLMS", 0xCDEBE3),
    Family("newx.wmf", "NEW", 0xE3D5F0),
    Family("qrx.wmf", "QR", 0xFBDDBB),
    Family("rlsx.wmf", "RLS", 0xD7EDC6),
    Family("rwx.wmf", "RW", 0xF0D3D3),
)

# The shapes, drawn in this order. A pen is (width, colour), width 0 for
# none; a fill is a colour, "family" or None for none. The invisible frame
# spans the whole icon, so that readers which fit the picture to what is
# drawn place it as a reader of the header does.
FRAME = dict(kind="rectangle", pen=(0, PLATE), fill=None, points=((0, 0), (SIZE, SIZE)))
BOX = dict(kind="rectangle", pen=(2, INK), fill="family", points=((8, 12), (56, 52)))
SHAFT = dict(kind="polyline", pen=(2, ARROW), fill=None, points=((4, 60), (54, 10)))
HEAD = dict(kind="polygon", pen=(0, ARROW), fill=ARROW, points=((60, 4), (50, 8), (56, 14)))
NAME_PLATE = dict(kind="rectangle", pen=(0, PLATE), fill=PLATE, points=((10, 25), (54, 39)))
NAME = dict(kind="text", colour=TEXT, at=(32, 37))
SHAPES = (FRAME, BOX, SHAFT, HEAD, NAME_PLATE, NAME)


def name_width(name):
    """Width of `name` in the icon's font, in pixels."""
    unknown = sorted(set(name) - set(CAPITAL_WIDTHS))
    if unknown:
        raise ValueError("no width known for %s in the name %r" % (", ".join(unknown), name))
    return sum(CAPITAL_WIDTHS[c] for c in name) * FONT_PIXELS / 1000


def family_for(icon_file):
    for family in FAMILIES:
        if family.icon_file == icon_file:
            return family
    raise KeyError("no drawing for the icon %r (drawn: %s)"
                   % (icon_file, ", ".join(f.icon_file for f in FAMILIES)))
