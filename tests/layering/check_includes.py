#!/usr/bin/env python3
"""Fails when a file under src/ includes a layer it may not.

The layers are the folders of src/, lowest first: foundation < model <
platform < document and search (side by side) < app. A layer includes only
itself and the layers below it; foundation and model include no Qt.
Every offending line is printed as FILE:LINE, and the exit status is 1.

Usage: check_includes.py SRC_FOLDER
"""
import pathlib
import re
import sys

# What each layer may include besides itself.
ALLOWED = {
    "foundation": set(),
    "model": {"foundation"},
    "platform": {"foundation"},
    "document": {"foundation", "model", "platform"},
    "search": {"foundation", "model", "platform"},
    "app": {"foundation", "model", "platform", "document", "search"},
}
WITHOUT_QT = {"foundation", "model"}

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
# Qt's own headers: <QWidget>, <QtCore/qobject.h>, <qglobal.h>.
QT_HEADER = re.compile(r"^(Q[A-Z]\w*|Qt\w*/.*|q\w+\.h)$")
SOURCE_SUFFIXES = {".h", ".hpp", ".cpp", ".cc"}


def problems_in(path, layer):
    for number, text in enumerate(path.read_text(encoding="utf-8", errors="replace").splitlines(), 1):
        match = INCLUDE.match(text)
        if not match:
            continue
        delimiter, header = match.groups()
        if delimiter == "<":
            if layer in WITHOUT_QT and QT_HEADER.match(header):
                yield number, f"{layer} may not include Qt ({header})"
            continue
        target = header.split("/", 1)[0] if "/" in header else None
        if target is None or target not in ALLOWED:
            continue  # a file of the same folder, or generated (ui_*.h)
        if target != layer and target not in ALLOWED[layer]:
            yield number, f"{layer} may not include {target} ({header})"


def main(argv):
    if len(argv) != 2:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    source = pathlib.Path(argv[1])
    if not source.is_dir():
        print(f"{source}: no such folder", file=sys.stderr)
        return 2
    failures = 0
    checked = 0
    for path in sorted(source.rglob("*")):
        if path.suffix not in SOURCE_SUFFIXES or not path.is_file():
            continue
        layer = path.relative_to(source).parts[0]
        if layer not in ALLOWED:
            print(f"{path}: in no known layer", file=sys.stderr)
            failures += 1
            continue
        checked += 1
        for number, message in problems_in(path, layer):
            print(f"{path}:{number}: {message}")
            failures += 1
    if failures:
        print(f"{failures} include(s) break the layering")
        return 1
    print(f"{checked} files keep to their layers")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
