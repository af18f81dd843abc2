#!/usr/bin/env bash
# The palette icons as a real metafile reader sees them: libwmf's wmf2gd and
# wmf2svg must read every icon of the native build (build/icons/wmf), whose
# tests then check the pictures against the drawing table; the Windows
# build's icons (build-win) must be the same bytes. Leaves the six icons side
# by side, drawn at twice their size, in build/icons/palette.png (the picture
# of the manual's page docs/reference/windows.md: copy it to icons/palette.png
# when the drawings change).
set -euo pipefail
cd "$(dirname "$0")/.."

. .ci/install-missing.sh
# The fonts are libwmf's own choice for its standard faces.
install_missing --no-install-recommends libwmf-bin fonts-urw-base35 python3-pil python3-pytest

cmake --build build --target icons >/dev/null
(cd build && WMF_READER_REQUIRED=1 ctest -R '^icons$' --no-tests=error --output-on-failure)

if [ -d build-win/icons/wmf ]; then
  diff -r build/icons/wmf build-win/icons/wmf
  echo "OK: the Windows build's icons are the native build's, byte for byte"
fi

out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
for icon in build/icons/wmf/*.wmf; do
  wmf2gd --maxwidth=128 --maxheight=128 --maxpect -o "$out/$(basename "$icon" .wmf).png" "$icon" 2>/dev/null
done
/usr/bin/python3 - "$out" build/icons/palette.png <<'PY'
import os, sys
from PIL import Image
sys.path.insert(0, "icons")
import drawings
icons = [Image.open(os.path.join(sys.argv[1], f.icon_file[:-4] + ".png")).convert("RGB") for f in drawings.FAMILIES]
strip = Image.new("RGB", (sum(i.width + 16 for i in icons) + 16, max(i.height for i in icons) + 32), "white")
x = 16
for icon in icons:
    strip.paste(icon, (x, 16))
    x += icon.width + 16
strip.save(sys.argv[2], optimize=True)
PY
echo "build/icons/palette.png: the six icons at twice their size"
