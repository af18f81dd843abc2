"""The palette icons as the build writes them (ICON_DIR): the metafile
framing, what libwmf's readers make of each file, and the generator's
refusals. The readers' checks skip where libwmf-bin is not installed, and
fail there when WMF_READER_REQUIRED is set (as under CTest)."""
import functools
import operator
import os
import shutil
import struct
import subprocess
import sys

import pytest

SOURCE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "icons")
sys.path.insert(0, SOURCE)
import drawings  # noqa: E402
import make_icons  # noqa: E402

ICON_DIR = os.environ.get("ICON_DIR", "")
FAMILIES = drawings.FAMILIES
NAMES = [f.name for f in FAMILIES]
OBJECT_CREATORS = {0x02FA, 0x02FC, 0x02FB}
SELECTOBJECT, DELETEOBJECT = 0x012D, 0x01F0


def icon_bytes(family):
    with open(os.path.join(ICON_DIR, family.icon_file), "rb") as f:
        return f.read()


@pytest.mark.parametrize("family", FAMILIES, ids=NAMES)
def test_framing_checksum_records_and_objects(family):
    data = icon_bytes(family)
    key, _, left, top, right, bottom, inch, _, checksum = struct.unpack_from("<IHhhhhHIH", data)
    assert key == 0x9AC6CDD7
    assert checksum == functools.reduce(operator.xor, struct.unpack_from("<10H", data))
    side = drawings.SIZE * drawings.TWIPS_PER_PIXEL
    assert (left, top, right, bottom, inch) == (0, 0, side, side, drawings.UNITS_PER_INCH)

    kind, header_words, version, size_words, objects, max_record, _ = struct.unpack_from("<HHHIHIH", data, 22)
    assert (kind, header_words, version) == (1, 9, 0x0300)
    assert 22 + 2 * size_words == len(data)
    offset, largest, live, ended = 22 + 18, 0, set(), False
    while not ended:
        size, function = struct.unpack_from("<IH", data, offset)
        assert 3 <= size and offset + 2 * size <= len(data), "record at byte %d" % offset
        largest = max(largest, size)
        param = struct.unpack_from("<H", data, offset + 6)[0] if size > 3 else None
        if function in OBJECT_CREATORS:
            slot = min(set(range(objects + 1)) - live)
            assert slot < objects, "more objects than the header's table holds"
            live.add(slot)
        elif function in (SELECTOBJECT, DELETEOBJECT):
            assert param in live
            if function == DELETEOBJECT:
                live.remove(param)
        ended = function == 0
        offset += 2 * size
    assert size == 3 and offset == len(data), "the end record closes the file"
    assert largest == max_record
    assert not live, "objects left undeleted"


def require(present, what):
    if not present:
        missing = pytest.fail if os.environ.get("WMF_READER_REQUIRED") else pytest.skip
        missing("%s is not installed" % what)


def reader(tool):
    require(shutil.which(tool), "%s (libwmf-bin)" % tool)
    return shutil.which(tool)


def read_with(tool, family, out_path):
    run = subprocess.run([reader(tool), "-o", str(out_path), os.path.join(ICON_DIR, family.icon_file)],
                         stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    assert run.returncode == 0 and "ERROR" not in run.stderr, "%s cannot read %s: %s" % (
        tool, family.icon_file, run.stderr)
    return out_path


@pytest.fixture(scope="module")
def pictures(tmp_path_factory):
    """Each icon as wmf2gd draws it at 72 dots per inch."""
    try:
        from PIL import Image as image
    except ImportError:
        image = None
    require(image, "PIL (python3-pil)")
    tmp = tmp_path_factory.mktemp("png")
    return {f.name: image.open(read_with("wmf2gd", f, tmp / (f.name + ".png"))).convert("RGB") for f in FAMILIES}


def at(picture, x, y):
    """The colour at icon pixel (x, y) of a picture drawn at 72 instead of 96 dpi."""
    r, g, b = picture.getpixel((int(x * 0.75), int(y * 0.75)))
    return (r << 16) | (g << 8) | b


@pytest.mark.parametrize("family", FAMILIES, ids=NAMES)
def test_drawn_at_its_size_with_its_colours(family, pictures):
    picture = pictures[family.name]
    assert picture.size == (drawings.SIZE * 3 // 4,) * 2
    # Inside the box, clear of the plate and the arrow: the family's fill.
    assert at(picture, 48, 46) == at(picture, 14, 16) == family.colour
    assert at(picture, 14, 50) == drawings.ARROW
    assert at(picture, 4, 30) == 0xFFFFFF
    # Any other colour is the name's, and it lies on the plate.
    shapes = {family.colour, drawings.ARROW, drawings.INK, drawings.PLATE}
    (left, top), (right, bottom) = [(x * 0.75, y * 0.75) for x, y in drawings.NAME_PLATE["points"]]
    lettering = [(x, y) for x in range(picture.width) for y in range(picture.height)
                 if at(picture, x / 0.75, y / 0.75) not in shapes]
    assert len(lettering) > 20
    assert all(left - 1 <= x <= right and top - 1 <= y <= bottom for x, y in lettering)


def test_every_family_a_distinct_picture(pictures):
    assert len({p.tobytes() for p in pictures.values()}) == len(FAMILIES)


@pytest.mark.parametrize("family", FAMILIES, ids=NAMES)
def test_the_name_is_the_only_text(family, tmp_path):
    import xml.etree.ElementTree as ET
    svg = ET.parse(read_with("wmf2svg", family, tmp_path / "icon.svg"))
    texts = [t.text.strip() for t in svg.iter() if t.tag.rsplit("}", 1)[-1] == "text"]
    assert texts == [family.name]


def generate(out_dir, *names):
    return subprocess.run([sys.executable, os.path.join(SOURCE, "make_icons.py"), str(out_dir), *names],
                          capture_output=True, text=True, env=dict(os.environ, PYTHONHASHSEED="1"))


def test_generator_output_is_reproducible(tmp_path):
    assert generate(tmp_path).returncode == 0
    for family in FAMILIES:
        assert (tmp_path / family.icon_file).read_bytes() == icon_bytes(family)


def test_generator_refuses_bad_input_and_writes_nothing(tmp_path):
    run = generate(tmp_path / "out", "lmsx.wmf", "nosuch.wmf")
    assert run.returncode == 1 and "nosuch.wmf" in run.stderr and "Traceback" not in run.stderr
    assert not (tmp_path / "out").exists()

    blocker = tmp_path / "file"
    blocker.write_text("")
    run = generate(blocker / "icons")
    assert run.returncode == 1 and "Traceback" not in run.stderr and blocker.read_text() == ""

    with pytest.raises(ValueError, match="wider than"):
        make_icons.draw(drawings.Family("x.wmf", "NLMSNLMS", 0))
    with pytest.raises(ValueError, match="no width known for a"):
        make_icons.draw(drawings.Family("x.wmf", "LMSa", 0))
