# The reference manual: `./run.sh docs` builds it into build/docs/html with the
# Python package and adaptsim of build/ (PYTHONPATH and ADAPTIVE_BUILD_DIR).
import os
import shutil
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "_ext"))

project = "adaptive"
author = "The adaptive authors"
copyright = "The adaptive authors"

extensions = [
    "sphinx.ext.autodoc",
    "sphinx.ext.napoleon",
    "sphinx.ext.mathjax",
    "myst_parser",
    "sphinx_rtd_theme",
    "token_reference",
    "adaptsim_help",
    "guide_figures",
]

source_suffix = {".rst": "restructuredtext", ".md": "markdown"}
html_theme = "sphinx_rtd_theme"
html_static_path = ["_static"]
html_css_files = ["manual.css"]
html_title = "adaptive — reference manual"
html_show_sourcelink = False
# Debian's MathJax (libjs-mathjax), the parts these pages use copied beside
# them when the build finishes: the manual reads without a network.
mathjax_path = "mathjax/MathJax.js?config=TeX-AMS_CHTML"
MATHJAX = "/usr/share/javascript/mathjax"
MATHJAX_PARTS = ["MathJax.js", "config/TeX-AMS_CHTML.js", "jax/input/TeX", "jax/output/CommonHTML", "jax/element",
                 "extensions", "fonts/HTML-CSS/TeX/woff"]

highlight_language = "none"
autodoc_member_order = "bysource"
napoleon_use_ivar = True  # a dataclass's Attributes section, not a second description of its fields
myst_heading_anchors = 3


def copy_mathjax(app, exception):
    if exception is not None or app.builder.format != "html":
        return
    for part in MATHJAX_PARTS:
        source, target = os.path.join(MATHJAX, part), os.path.join(app.outdir, "_static", "mathjax", part)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        if os.path.isdir(source):
            shutil.copytree(source, target, dirs_exist_ok=True)
        else:
            shutil.copy2(source, target)


def setup(app):
    app.connect("build-finished", copy_mathjax)
