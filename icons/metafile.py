"""Placeable Windows metafiles, written record by record.

A placeable metafile is a 22-byte header (key, bounding box in logical units,
logical units per inch, and a checksum: the XOR of the header's first ten
16-bit words), then a standard metafile: an 18-byte header, records of
16-bit words (32-bit size in words, 16-bit function, parameters) and the
three-word end record. Everything is little-endian. The writer keeps no
clock, path or other state of the machine, so equal drawings give equal bytes.
"""
import struct

PLACEABLE_KEY = 0x9AC6CDD7

# Record functions.
SETBKMODE = 0x0102
SETWINDOWORG = 0x020B
SETWINDOWEXT = 0x020C
SETTEXTCOLOR = 0x0209
SETTEXTALIGN = 0x012E
SELECTOBJECT = 0x012D
DELETEOBJECT = 0x01F0
CREATEPENINDIRECT = 0x02FA
CREATEBRUSHINDIRECT = 0x02FC
CREATEFONTINDIRECT = 0x02FB
RECTANGLE = 0x041B
POLYLINE = 0x0325
POLYGON = 0x0324
TEXTOUT = 0x0521
EOF = 0x0000

TRANSPARENT = 1
PS_SOLID, PS_NULL = 0, 5
BS_SOLID, BS_NULL = 0, 1
TA_CENTER_BASELINE = 6 | 24
MAX_FACE_NAME = 31


def _words(*values):
    return struct.pack("<%dh" % len(values), *values)


def _colour(rgb):
    """COLORREF: red, green, blue bytes and a zero byte."""
    return struct.pack("<BBBB", (rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF, 0)


def _even(data):
    return data + b"\0" if len(data) % 2 else data


class Metafile:
    """Records in drawing order; `placeable_bytes` frames them into a file.

    Objects (pens, brushes, fonts) get the table slots 0, 1, 2... in the
    order they are created and stay until the end, where they are deleted.
    """

    def __init__(self, width, height, units_per_inch):
        for name, value in (("width", width), ("height", height)):
            if not 0 < value <= 0x7FFF:
                raise ValueError("%s %r is outside 1..32767 logical units" % (name, value))
        if not 0 < units_per_inch <= 0xFFFF:
            raise ValueError("units per inch %r is outside 1..65535" % (units_per_inch,))
        self.width, self.height, self.units_per_inch = width, height, units_per_inch
        self._records = []
        self._objects = 0
        self._record(SETWINDOWORG, _words(0, 0))
        self._record(SETWINDOWEXT, _words(height, width))
        self._record(SETBKMODE, _words(TRANSPARENT))

    def _record(self, function, params=b""):
        if len(params) % 2:
            raise ValueError("record parameters must be whole 16-bit words")
        self._records.append(struct.pack("<IH", 3 + len(params) // 2, function) + params)

    def _create(self, function, params):
        self._record(function, params)
        self._objects += 1
        return self._objects - 1

    def pen(self, width, rgb):
        """A solid pen `width` units wide, or no pen at all when width is 0."""
        style = PS_SOLID if width > 0 else PS_NULL
        return self._create(CREATEPENINDIRECT, _words(style, width, 0) + _colour(rgb))

    def brush(self, rgb):
        """A solid brush, or a hollow one when `rgb` is None."""
        if rgb is None:
            return self._create(CREATEBRUSHINDIRECT, _words(BS_NULL) + _colour(0) + _words(0))
        return self._create(CREATEBRUSHINDIRECT, _words(BS_SOLID) + _colour(rgb) + _words(0))

    def font(self, face, height, weight):
        """A font whose characters (not cells) are `height` units tall."""
        name = face.encode("ascii")
        if not 0 < len(name) <= MAX_FACE_NAME:
            raise ValueError("font face %r must have 1 to %d ASCII characters" % (face, MAX_FACE_NAME))
        # Height, width, escapement, orientation, weight; italic, underline,
        # strike-out, character set, output, clip, quality, pitch and family.
        logfont = _words(-height, 0, 0, 0, weight) + bytes([0, 0, 0, 0, 0, 0, 4, 0])
        return self._create(CREATEFONTINDIRECT, logfont + _even(name + b"\0"))

    def select(self, handle):
        self._record(SELECTOBJECT, _words(handle))

    def rectangle(self, left, top, right, bottom):
        self._record(RECTANGLE, _words(bottom, right, top, left))

    def polyline(self, points):
        self._record(POLYLINE, _words(len(points), *[c for p in points for c in p]))

    def polygon(self, points):
        self._record(POLYGON, _words(len(points), *[c for p in points for c in p]))

    def text(self, x, y, rgb, string):
        """`string` centred on x with its baseline at y."""
        self._record(SETTEXTCOLOR, _colour(rgb))
        self._record(SETTEXTALIGN, _words(TA_CENTER_BASELINE))
        data = string.encode("ascii")
        self._record(TEXTOUT, _words(len(data)) + _even(data) + _words(y, x))

    def placeable_bytes(self):
        records = self._records + [struct.pack("<IH", 3 + 1, DELETEOBJECT) + _words(h)
                                   for h in range(self._objects)]
        records.append(struct.pack("<IH", 3, EOF))
        body = b"".join(records)
        header_words = 9
        size_words = header_words + len(body) // 2
        largest = max(len(r) // 2 for r in records)
        header = struct.pack("<HHHIHIH", 1, header_words, 0x0300, size_words, self._objects, largest, 0)
        placeable = struct.pack("<IHhhhhHI", PLACEABLE_KEY, 0, 0, 0, self.width, self.height,
                                self.units_per_inch, 0)
        checksum = 0
        for (word,) in struct.iter_unpack("<H", placeable):
            checksum ^= word
        return placeable + struct.pack("<H", checksum) + header + body
