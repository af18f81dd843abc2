"""``.. adaptsim-help::``: adaptsim's commands and options as its --help shows
them (the one table each command states its options in), a section each."""
import os
import re
import subprocess

from docutils import nodes
from docutils.statemachine import StringList
from sphinx.util.docutils import SphinxDirective
from sphinx.util.nodes import nested_parse_with_titles


def adaptsim_path(srcdir):
    build = os.environ.get("ADAPTIVE_BUILD_DIR", os.path.join(srcdir, "..", "build"))
    return os.path.join(build, "adaptsim", "adaptsim")


def help_text(program, *words):
    text = subprocess.run([program, *words, "--help"], capture_output=True, text=True, check=True).stdout
    # The default library's path is this machine's, not the reader's.
    return re.sub(r"^Default library: .*\n", "", text, flags=re.M)


class AdaptsimHelp(SphinxDirective):
    def run(self):
        program = adaptsim_path(self.env.srcdir)
        self.env.note_dependency(program)
        overview = help_text(program)
        commands = re.findall(r"^  (\w+)  ", overview.split("Commands:", 1)[1].split("Options:", 1)[0], re.M)
        lines = ["::", ""] + ["   " + line for line in overview.splitlines()] + [""]
        for command in commands:
            title = f"adaptsim {command}"
            lines += [f".. _adaptsim-{command}:", "", title, "-" * len(title), "", "::", ""]
            lines += ["   " + line for line in help_text(program, command).splitlines()] + [""]
        container = nodes.section()
        nested_parse_with_titles(self.state, StringList(lines, source="<adaptsim --help>"), container)
        return container.children


def setup(app):
    app.add_directive("adaptsim-help", AdaptsimHelp)
    return {"parallel_read_safe": True, "version": "1"}
