"""Checks of the built manual, run by `./run.sh docs` after the build:

- every token of the catalogue has its section, with every parameter's name
  and default, the update in maths and the stability notes;
- every internal link and image of the pages resolves (file and anchor);
- every code block of the pages' sources is marked, on the line before it
  (blank lines between allowed), ``.. example`` (run here: bash from a scratch
  directory where ``build`` is the build tree, Python with the built package)
  or ``.. not-run: REASON``; every guide script is run by the build itself
  (the Markdown pages' blocks carry the README's marks and run with the
  README's examples, .ci/readme-examples.sh);
- every guide figure's caption says what its dB are relative to, and a
  figure of curves for several channel widths W has a J_min line for each;
- every measured stability edge of the token notes ("NLMS2: "Mu" 0.45 in
  every channel converges, 0.49 diverges") holds when rerun on its setting,
  and no note claims an edge in another form.

    python3 docs/check.py BUILD_DIR HTML_DIR
"""
import glob
import html
import os
import re
import subprocess
import sys
import tempfile
import warnings
from urllib.parse import unquote, urlsplit

from docutils.nodes import make_id

import numpy as np

import adaptive_filters
from adaptive_filters import _adaptive

DOCS = os.path.dirname(os.path.abspath(__file__))
failures = []


def fail(message):
    failures.append(message)


def text_of(fragment):
    return html.unescape(re.sub(r"<[^>]+>", "", fragment)).replace("\xa0", " ")


def check_tokens(html_dir):
    pages = {path: open(path, encoding="utf-8").read() for path in glob.glob(os.path.join(html_dir, "tokens", "*.html"))}
    for token in adaptive_filters.tokens():
        name = token["name"]
        anchor = f'id="{make_id("token-" + name)}"'
        page = next((text for text in pages.values() if anchor in text), None)
        if page is None:
            fail(f"{name}: no section")
            continue
        start = page.index(anchor)
        end = page.find("<section", start)
        section = page[start : end if end != -1 else len(page)]
        rows = [[text_of(cell).strip() for cell in re.findall(r"<td>(.*?)</td>", row, re.S)]
                for row in re.findall(r"<tr[^>]*>(.*?)</tr>", section, re.S)]
        for parameter, default in token["parameters"].items():
            if not any(len(row) > 2 and row[1] == f'"{parameter}"' and row[2] == f"{default:g}" and row[3]
                       for row in rows):
                fail(f"{name}: no row with \"{parameter}\", default {default:g} and its meaning")
        for needed in ('class="math', "Stability.", "Cost per sample.", "Final weights."):
            if needed not in section:
                fail(f"{name}: its section lacks {needed!r}")
    return len(adaptive_filters.tokens())


def check_links(html_dir):
    ids = {}
    checked = 0
    for page in glob.glob(os.path.join(html_dir, "**", "*.html"), recursive=True):
        if os.path.relpath(page, html_dir).startswith("_static"):
            continue  # MathJax's own pages
        text = open(page, encoding="utf-8").read()
        for kind, target in re.findall(r'\b(href|src)="([^"]*)"', text):
            parts = urlsplit(html.unescape(target))
            if parts.scheme or parts.netloc:
                continue  # outside the manual
            path = os.path.normpath(os.path.join(os.path.dirname(page), unquote(parts.path))) if parts.path else page
            checked += 1
            if not os.path.exists(path):
                fail(f"{os.path.relpath(page, html_dir)}: {kind} {target} does not exist")
                continue
            if parts.fragment and path.endswith(".html"):
                if path not in ids:
                    ids[path] = set(re.findall(r'\bid="([^"]+)"', open(path, encoding="utf-8").read()))
                if parts.fragment not in ids[path]:
                    fail(f"{os.path.relpath(page, html_dir)}: {target}: no such anchor")
    return checked


def code_blocks():
    """(source, line, mark, language, code) of every code block of the sources."""
    for source in sorted(glob.glob(os.path.join(DOCS, "**", "*.rst"), recursive=True)):
        if "_generated" in source:
            continue
        lines = open(source, encoding="utf-8").read().split("\n")
        for number, line in enumerate(lines):
            match = re.match(r"\.\. code-block:: *(\w*)", line)
            if not match:
                continue
            before = number - 1
            while before >= 0 and not lines[before].strip():
                before -= 1
            mark = lines[before].strip() if before >= 0 else ""
            body = []
            for following in lines[number + 1 :]:
                if following.strip() and not following.startswith("   "):
                    break
                body.append(following[3:])
            yield os.path.relpath(source, DOCS), number + 1, mark, match.group(1), "\n".join(body).strip() + "\n"


def check_code_blocks(build_dir):
    ran, not_run = 0, 0
    environment = dict(os.environ, PYTHONPATH=os.path.join(build_dir, "python"))
    with tempfile.TemporaryDirectory() as scratch:
        os.symlink(build_dir, os.path.join(scratch, "build"))
        for source, line, mark, language, code in code_blocks():
            where = f"{source}:{line}"
            if mark.startswith(".. not-run: "):
                not_run += 1
                continue
            if mark != ".. example":
                fail(f"{where}: code block without '.. example' or '.. not-run: REASON' before it")
                continue
            command = {"bash": ["bash", "-e", "-o", "pipefail", "-c", code],
                       "python": [sys.executable, "-c", code]}.get(language)
            if command is None:
                fail(f"{where}: cannot run a {language or 'plain'} block; mark it not-run")
                continue
            done = subprocess.run(command, cwd=scratch, env=environment, capture_output=True, text=True)
            if done.returncode != 0:
                fail(f"{where}: the example failed:\n{done.stdout}{done.stderr}")
            ran += 1
    guides = os.path.join(DOCS, "guides")
    shown = set(re.findall(r"\.\. guide-figures:: (\S+)", "".join(open(p).read() for p in glob.glob(os.path.join(guides, "*.rst")))))
    for script in glob.glob(os.path.join(guides, "*.py")):
        name = os.path.basename(script)
        if name != "textbook.py" and name not in shown:
            fail(f"guides/{name} is run by no guide")
    return ran, not_run, len(shown)


def check_reference_levels():
    """In a figure with curves for several channel widths W, every W has its
    J_min line: a curve settling below the only line drawn reads as a fault."""
    checked = 0
    for legends in glob.glob(os.path.join(DOCS, "_generated", "figures", "*", "legends.txt")):
        for line in open(legends, encoding="utf-8").read().splitlines():
            name, *entries = line.split("\t")
            widths = {m.group(1) for e in entries for m in [re.match(r"W = ([\d.]+):", e)] if m}
            levels = {m.group(1) for e in entries for m in [re.search(r"J_\{min\}\$ \(W = ([\d.]+)\)", e)] if m}
            checked += len(widths)
            if widths - levels:
                fail(f"{name}: no J_min line for W = {', '.join(sorted(widths - levels))}")
    return checked


def check_guide_figures(html_dir):
    figures = 0
    for page in glob.glob(os.path.join(html_dir, "guides", "*.html")):
        for figure in re.findall(r"<figure.*?</figure>", open(page, encoding="utf-8").read(), re.S):
            figures += 1
            if "dB relative to" not in text_of(figure):
                fail(f"guides/{os.path.basename(page)}: a figure's caption does not say what its dB are relative to")
    return figures


EDGE = re.compile(r'(\w+): "([^"]+)" ([\d.]+) in every channel converges, ([\d.]+) diverges')


def final_error_db(token, parameter, value, samples=20000):
    """dB of the a-priori error power over the last 1000 samples relative to the
    desired power: the token at its defaults but `parameter` = value in every
    channel, every input white Gaussian noise of power 1, the desired signal a
    fixed random plant of the filter's lengths."""
    entry = next(t for t in adaptive_filters.tokens() if t["name"] == token)
    names = [p for p in entry["parameters"] if re.sub(r" +[1-9]$", "", p) == parameter]
    lengths = [int(v) for p, v in entry["parameters"].items() if p.startswith("Numerator Coeffs")]
    rng = np.random.default_rng(1)
    x = rng.standard_normal((samples, len(lengths)))
    d = sum(np.convolve(x[:, c], rng.standard_normal(n) / np.sqrt(n))[:samples] for c, n in enumerate(lengths))
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")  # the diverging runs' warnings: the measurement says it
        with adaptive_filters.Filter(token, {name: value for name in names}) as f:
            error = f.process(np.column_stack([x, d]))[:, entry["outputs"].index("PriError")]
    with np.errstate(all="ignore"):
        power = np.mean(error[-1000:] ** 2) / np.mean(d ** 2)
        return 10 * np.log10(power) if np.isfinite(power) else np.inf


def check_stability_edges():
    checked = 0
    for entry in adaptive_filters.tokens():
        text = _adaptive._token_notes(entry["name"])["stability"]
        claims = EDGE.findall(text)
        if re.search(r"\d\s+(each\s+)?(converges|diverges)", EDGE.sub("", text)):
            fail(f"{entry['name']}: a stability note claims an edge not in the form 'TOKEN: \"Mu\" X in every "
                 "channel converges, Y diverges', which the build cannot rerun")
        for token, parameter, converges, diverges in claims:
            if token != entry["name"]:
                continue
            checked += 1
            good, bad = final_error_db(token, parameter, float(converges)), final_error_db(token, parameter, float(diverges))
            if not good < -30.0:
                fail(f"{token}: \"{parameter}\" {converges} is said to converge, but the error ends at {good:.1f} dB")
            if not bad > 20.0:
                fail(f"{token}: \"{parameter}\" {diverges} is said to diverge, but the error ends at {bad:.1f} dB")
    return checked


def main():
    build_dir, html_dir = (os.path.abspath(path) for path in sys.argv[1:3])
    tokens = check_tokens(html_dir)
    links = check_links(html_dir)
    ran, not_run, scripts = check_code_blocks(build_dir)
    figures = check_guide_figures(html_dir)
    edges = check_stability_edges()
    levels = check_reference_levels()
    for message in failures:
        print("docs check:", message, file=sys.stderr)
    print(f"docs check: {tokens} token sections, {links} internal links and images, {ran} code blocks run, "
          f"{not_run} marked not-run, {scripts} guide scripts run by the build, "
          f"{figures} guide figures, {levels} curves with their J_min, {edges} measured stability edges rerun: "
          + ("FAILED" if failures else "all good"))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
