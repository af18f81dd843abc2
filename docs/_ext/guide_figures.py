"""``.. guide-figures:: script.py``: runs a guide's script with the Python
package of this build and shows the figures it made, with the captions it
wrote (one "file.png<TAB>caption" line each in captions.txt), so that every
figure of the guides comes from the library at build time."""
import os
import subprocess
import sys

from docutils import nodes
from docutils.statemachine import StringList
from sphinx.util.docutils import SphinxDirective
from sphinx.util.nodes import nested_parse_with_titles


class GuideFigures(SphinxDirective):
    required_arguments = 1

    def run(self):
        script = os.path.join(os.path.dirname(self.env.doc2path(self.env.docname)), self.arguments[0])
        stem = os.path.splitext(os.path.basename(script))[0]
        out = os.path.join(self.env.srcdir, "_generated", "figures", stem)
        os.makedirs(out, exist_ok=True)
        self.env.note_dependency(script)
        done = subprocess.run([sys.executable, script, out], cwd=os.path.dirname(script),
                              capture_output=True, text=True)
        if done.returncode != 0:
            raise self.error(f"{self.arguments[0]} failed:\n{done.stderr}")
        lines = []
        with open(os.path.join(out, "captions.txt"), encoding="utf-8") as captions:
            for entry in captions:
                image, caption = entry.rstrip("\n").split("\t", 1)
                lines += [f".. figure:: /_generated/figures/{stem}/{image}", "",
                          "   " + caption, ""]
        container = nodes.section()
        nested_parse_with_titles(self.state, StringList(lines, source=script), container)
        return container.children


def setup(app):
    app.add_directive("guide-figures", GuideFigures)
    return {"parallel_read_safe": True, "version": "1"}
