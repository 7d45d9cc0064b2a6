#!/usr/bin/env python3
"""Fails when a source file includes a folder its own layer may not use.

The layers point one way: common <- link <- services <- session <- workbench,
store <- session and workbench, widgets and report <- workbench. The core
folders never include Qt's GUI modules, so they build and test without a
display. Run with the source tree as the only argument; the report names every
offending line.
"""
import pathlib
import re
import sys

# Which of our folders each folder's files may include (its own included).
ALLOWED = {
    "common": {"common"},
    "link": {"common", "link"},
    "services": {"common", "link", "services"},
    "store": {"common", "store"},
    "session": {"common", "link", "services", "store", "session"},
    "widgets": {"common", "widgets"},
    "report": {"common", "report"},
    "workbench": {"common", "link", "services", "store", "session", "widgets", "report", "workbench"},
    "app": {"common", "link", "services", "store", "session", "widgets", "report", "workbench", "app"},
}
CORE = {"common", "link", "services", "store", "session"}
GUI_MODULE = re.compile(r"#\s*include\s*<(QtWidgets|QtGui|QtPrintSupport)\b|#\s*include\s*<Q(Widget|Application|Color|Painter|Pixmap|Image|Font|Icon|Dialog|MessageBox|Printer)\b")
OWN = re.compile(r'#\s*include\s*"([a-z0-9_]+)/')


def offences(src: pathlib.Path):
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".h", ".cpp"):
            continue
        folder = path.relative_to(src).parts[0]
        if folder not in ALLOWED:
            yield f"{path}: folder '{folder}' has no place in the layer table"
            continue
        for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
            own = OWN.search(line)
            if own and own.group(1) in ALLOWED and own.group(1) not in ALLOWED[folder]:
                yield f"{path}:{number}: {folder} includes {own.group(1)}: {line.strip()}"
            if folder in CORE and GUI_MODULE.search(line):
                yield f"{path}:{number}: {folder} includes a Qt GUI module: {line.strip()}"


def main() -> int:
    found = list(offences(pathlib.Path(sys.argv[1]) / "src"))
    for line in found:
        print(line)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
