# The reference manual: `./run.sh docs` builds it into build/docs/html with the
# Python package and adaptsim of build/ (PYTHONPATH and ADAPTIVE_BUILD_DIR).
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "_ext"))

project = "adaptive"
author = "the adaptive developers"
copyright = "the adaptive developers"

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

source_suffix = {".rst": "restructuredtext"}
html_theme = "sphinx_rtd_theme"
html_static_path = ["_static"]
html_css_files = ["manual.css"]
html_title = "adaptive — reference manual"
html_show_sourcelink = False
# Debian's MathJax (libjs-mathjax), linked beside the pages when the build
# finishes: the machines that read the manual need no network.
mathjax_path = "mathjax/MathJax.js?config=TeX-AMS_CHTML"
mathjax_system_path = "/usr/share/javascript/mathjax"

autodoc_member_order = "bysource"
myst_heading_anchors = 3
suppress_warnings = ["myst.header"]


def link_mathjax(app, exception):
    """The pages load MathJax from _static/mathjax: Debian's copy, linked."""
    if exception is None and app.builder.format == "html":
        link = os.path.join(app.outdir, "_static", "mathjax")
        if not os.path.lexists(link):
            os.symlink(mathjax_system_path, link)


def setup(app):
    app.connect("build-finished", link_mathjax)
