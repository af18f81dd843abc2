"""The token reference: one page per family, one section per token.

Everything comes from the library itself: names, ports, parameters and
defaults from the catalogue (adaptive_filters.tokens()), the update, the meaning of
each port and parameter, stability and cost from the token notes that
adaptive_filters.describe() shows, and the measured time per sample from the
benchmark results in bench/results.txt.
"""
import os
import re

from docutils import nodes
from docutils.statemachine import StringList
from sphinx.util.docutils import SphinxDirective
from sphinx.util.nodes import nested_parse_with_titles

import adaptive_filters
from adaptive_filters import _adaptive

# Plain maths of the notes to TeX: the notes read in a terminal, the manual
# renders them.
_TEX = [
    ("·", r" \cdot "), ("…", r"\ldots "), ("‖", r"\| "), ("−", "-"), ("⁺", "^{+}"), ("×", r"\times "),
    ("≤", r"\le "), ("≥", r"\ge "), ("Σ", r"\sum "), ("Π", r"\prod "), ("μ", r"\mu "), ("λ", r"\lambda "),
    ("δ", r"\delta "), ("ℓ", r"\ell "), ("γ", r"\gamma "), ("α", r"\alpha "), ("θ", r"\theta "),
    ("cos ", r"\cos "), ("√", r"\sqrt "), ("Init", r"\mathrm{Init}"), ("(at close)", r"\text{(when the filter is closed)}"),
]


def tex(line):
    """One equation of the notes in TeX: wide gaps become \\qquad, and a
    leading bracket is kept from reading as the line break's argument."""
    line = re.sub(r"  +", " QQUAD ", line.strip())
    for plain, code in _TEX:
        line = line.replace(plain, code)
    line = re.sub(r"\^T\b", "^{T}", line).replace("QQUAD", r"\qquad")
    return "{}" + line if line.startswith("[") else line


def measured_times(results):
    """ns of CPU time per sample of every token at its defaults, and the machine."""
    times, machine = {}, ""
    if not os.path.exists(results):
        return times, machine
    with open(results, encoding="utf-8") as text:
        for line in text:
            if line.startswith("machine:"):
                machine = line.split(":", 1)[1].strip()
            match = re.match(r"Defaults/(\w+)_median\s+\S+ \S+\s+(\S+) (ns|us)\b", line)
            if match:
                value = float(match.group(2)) * (1000.0 if match.group(3) == "us" else 1.0)
                times[match.group(1)] = value
    return times, machine


def literal(name):
    return "``" + name + "``"


def cell(text):
    return text.replace("\n", " ").replace("*", r"\*").replace("|", r"\|")


def own_cost(name, cost):
    """The cost of token `name` alone from notes that give several ("O(N^2)
    for RLS1; O(N^3) for RLS2 and RLS3, whose ..." gives RLS1 "O(N^2)")."""
    for part in cost.split(";"):
        if re.search(rf"\b{name}\b", part):
            return cell(part.split(" for ")[0].strip())
    return cell(cost)


def token_section(token, times, machine):
    notes = _adaptive._token_notes(token["name"])
    name = token["name"]
    lines = [f".. _token-{name}:", "", name, "-" * len(name), "", f"*{token['description']}*", ""]
    lines += [cell(notes["summary"]), "", "Update, for sample :math:`n`:", "", ".. math::", ""]
    for equation in notes["update"].split("\n"):
        lines += ["   " + tex(equation), ""]
    lines += ["where " + cell(notes["symbols"]), ""]

    lines += [".. list-table:: Inputs and outputs", "   :header-rows: 1", "   :widths: 10 8 20 62", "",
              "   * - Port", "     - #", "     - Name", "     - Meaning", ""]
    for k, port in enumerate(token["inputs"]):
        lines += ["   * - input", f"     - {k}", f"     - {literal(port)}", "     - ", ""]
    for k, port in enumerate(token["outputs"]):
        meaning = notes["outputs"].get(port, "")
        lines += ["   * - output", f"     - {k}", f"     - {literal(port)}", f"     - {cell(meaning)}", ""]
    if notes["latency"]:
        lines += [cell(notes["latency"]), ""]

    lines += [".. list-table:: Parameters", "   :header-rows: 1", "   :widths: 5 22 10 63", "",
              "   * - #", "     - Name", "     - Default", "     - Meaning and accepted range", ""]
    for k, (parameter, default) in enumerate(token["parameters"].items()):
        base = re.sub(r" +[1-9]$", "", parameter)
        lines += [f"   * - {k}", f"     - ``\"{parameter}\"``", f"     - {default:g}",
                  f"     - {cell(notes['parameters'].get(base, ''))}", ""]

    lines += ["**Stability.** " + cell(notes["stability"]), ""]
    cost = "**Cost per sample.** " + cell(notes["cost"]) + ", N the total length."
    if name in times:
        cost += (f" Measured at the catalogue defaults: {times[name]:.3g} ns per sample"
                 f" ({machine}; ``bench/results.txt``).")
    lines += [cost, ""]
    weights = notes["weights_one_file"] if token["channels"] == 1 else notes["weights_per_channel"]
    lines += [f"**Final weights.** Default name ``{token['default_weights']}``. " + cell(weights), ""]
    lines += [f"In a terminal: ``adaptsim describe {name}``; in Python: ``adaptive_filters.describe(\"{name}\")``. "
              "Its step size, gain, forgetting factor and outputs against the textbooks' and other toolboxes': "
              ":doc:`/conventions`.", ""]
    return lines


class TokenFamily(SphinxDirective):
    """``.. token-family:: NLMS``: the sections of the family's tokens."""

    required_arguments = 1
    final_argument_whitespace = True

    def run(self):
        family = self.arguments[0]
        results = os.path.join(self.env.srcdir, "..", "bench", "results.txt")
        self.env.note_dependency(results)
        times, machine = measured_times(results)
        lines = []
        for token in adaptive_filters.tokens():
            if token["family"] == family:
                lines += token_section(token, times, machine)
        if not lines:
            raise self.error(f"no token of the family {family!r}")
        container = nodes.section()
        nested_parse_with_titles(self.state, StringList(lines, source=f"<token-family {family}>"), container)
        return container.children


class TokenOverview(SphinxDirective):
    """``.. token-overview::``: every token with its family, channels, cost and measured time."""

    def run(self):
        results = os.path.join(self.env.srcdir, "..", "bench", "results.txt")
        self.env.note_dependency(results)
        times, machine = measured_times(results)
        lines = [".. list-table:: The tokens (time per sample at the catalogue defaults, "
                 f"{machine}, from ``bench/results.txt``)", "   :header-rows: 1", "   :widths: 16 20 12 14 16 16", "",
                 "   * - Token", "     - Family", "     - Channels", "     - Error from", "     - Cost per sample",
                 "     - ns per sample", ""]
        for token in adaptive_filters.tokens():
            name = token["name"]
            lines += [f"   * - :ref:`{name} <token-{name}>`", f"     - {token['family']}",
                      f"     - {token['channels']}", f"     - {'the diagram' if token['general'] else 'Desired'}",
                      f"     - {own_cost(name, _adaptive._token_notes(name)['cost'])}",
                      f"     - {times[name]:.3g}" if name in times else "     - ", ""]
        container = nodes.section()
        nested_parse_with_titles(self.state, StringList(lines, source="<token-overview>"), container)
        return container.children


def setup(app):
    app.add_directive("token-family", TokenFamily)
    app.add_directive("token-overview", TokenOverview)
    return {"parallel_read_safe": True, "version": "1"}
