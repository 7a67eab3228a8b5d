#!/usr/bin/env python3
"""The layer rule: every `#include "..."` in src/ goes from a folder to one it
may include.

The allowed folder pairs and the listed exceptions are read from
ARCHITECTURE.md (the table headed "Folder | May include" and the table headed
"File | Includes | Reason"), so that the document and the check cannot drift.
A folder may always include its own files.  A sub-folder named in the table
(output/markup) is a layer of its own: a file belongs to the longest folder of
the table that holds it.

A GUI toolkit's header (wxWidgets, GTK, Qt, X11, FLTK, the Windows API and its
class library) may be included only under src/gui/, with "..." or <...>:
everything below builds and runs on a machine without any toolkit.

The operating system is reached through src/platform/ (and by the front end in
src/gui/): no other file includes <filesystem>, <unistd.h>, <fcntl.h>,
<dirent.h>, <dlfcn.h> or a <sys/...> header, nor calls getenv, setenv,
unsetenv, putenv, system, popen, time or localtime (comments and texts are no
calls).

Usage: check_layers.py [ROOT]   (ROOT holds ARCHITECTURE.md and src/; the
default is the folder above this script's)
Exit status: 0 when every include and call keeps the rule, 1 when one does
not, 2 when ARCHITECTURE.md lacks its tables or a source file lies outside
every layer.
"""

import os
import re
import sys

from cpp_source import strip

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')
ANY_INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]([^>"]+)[>"]')
# The folder whose files alone may include a GUI toolkit's headers.
TOOLKIT_FOLDER = "gui"
# The headers of the GUI toolkits: a first path part, or a whole header name
# (compared without case, as the Windows headers are written both ways).
TOOLKIT_FOLDERS = ("wx", "gtk", "gtkmm", "gdk", "gdkmm", "x11", "fl", "qt", "qtcore", "qtgui", "qtwidgets",
                   "qtquick", "qtqml", "cocoa", "appkit")
TOOLKIT_HEADERS = re.compile(r"^(windows\.h|windowsx\.h|winuser\.h|commctrl\.h|commdlg\.h|shlobj\.h|"
                             r"afx\w*\.h|atl\w*\.h|gtk\.h)$", re.IGNORECASE)
SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".cc", ".def", ".inc")
# The folders whose files alone reach the operating system, the headers that
# reach it and its calls.
SYSTEM_FOLDERS = ("platform", "gui")
SYSTEM_PLACES = " and ".join(f"src/{folder}/" for folder in SYSTEM_FOLDERS)
SYSTEM_HEADERS = re.compile(r"^(filesystem|unistd\.h|fcntl\.h|dirent\.h|dlfcn\.h|sys/.+)$")
SYSTEM_CALLS = re.compile(r"(?<![\w.>:])(?:std::|::)?(getenv|setenv|unsetenv|putenv|system|popen|time|localtime|"
                          r"localtime_r)\s*\(")


def table_rows(lines, heading):
    """The rows of the Markdown table whose header row holds the cells
    `heading` (compared without case); None when there is no such table."""
    for at, line in enumerate(lines):
        if cells(line) is not None and [c.lower() for c in cells(line)] == heading:
            rows = []
            for row in lines[at + 2:]:
                found = cells(row)
                if found is None:
                    break
                rows.append(found)
            return rows
    return None


def cells(line):
    line = line.strip()
    if not (line.startswith("|") and line.endswith("|") and len(line) > 1):
        return None
    return [c.strip() for c in line[1:-1].split("|")]


def names(cell):
    """Folder or file names of a table cell: `a`, `b/` and plain words,
    separated by commas; a dash or an empty cell is none."""
    found = []
    for part in cell.split(","):
        part = part.strip().strip("`").strip()
        if part and part not in ("-", "—", "–", "(none)", "none"):
            found.append(part)
    return found


def read_rules(document):
    with open(document, encoding="utf-8") as f:
        lines = f.read().splitlines()
    layers = table_rows(lines, ["folder", "may include"])
    exceptions = table_rows(lines, ["file", "includes", "reason"])
    if layers is None or exceptions is None:
        raise ValueError(f"{document}: needs a table headed 'Folder | May include' "
                         "and one headed 'File | Includes | Reason'")
    allowed = {}
    for row in layers:
        if len(row) != 2 or len(names(row[0])) != 1:
            raise ValueError(f"{document}: layer row {row} is not 'folder | folders'")
        folder = names(row[0])[0].rstrip("/")
        allowed[folder] = {name.rstrip("/") for name in names(row[1])} | {folder}
    for folder, targets in allowed.items():
        for target in targets:
            if target not in allowed:
                raise ValueError(f"{document}: {folder} may include {target}, which is no layer of the table")
    listed = []
    for row in exceptions:
        if len(row) != 3 or len(names(row[0])) != 1 or len(names(row[1])) != 1 or not row[2]:
            raise ValueError(f"{document}: exception row {row} is not 'file | included header or folder/ | reason'")
        listed.append((names(row[0])[0], names(row[1])[0]))
    return allowed, listed


def layer_of(path, allowed):
    """The longest folder of the table holding `path` (relative to src/)."""
    best = None
    for folder in allowed:
        if path.startswith(folder + "/") and (best is None or len(folder) > len(best)):
            best = folder
    return best


def toolkit_header(written):
    """True when `written` (as the include names it) is a GUI toolkit's
    header."""
    parts = written.replace("\\", "/").split("/")
    if len(parts) > 1:
        return parts[0].lower() in TOOLKIT_FOLDERS
    # Qt's own headers are one capitalised class name without a suffix
    # (<QWidget>); other headers without a suffix (<vector>) are lower case.
    if re.fullmatch(r"Q[A-Z]\w*", written):
        return True
    return TOOLKIT_HEADERS.match(written) is not None


def excepted(source, header, listed):
    for file, target in listed:
        if file != source:
            continue
        if target.endswith("/") and header.startswith(target):
            return (file, target)
        if target == header:
            return (file, target)
    return None


def check(root):
    src = os.path.join(root, "src")
    allowed, listed = read_rules(os.path.join(root, "ARCHITECTURE.md"))
    faults, outside, used = [], [], set()
    for folder, _, files in sorted(os.walk(src)):
        for name in sorted(files):
            if not name.endswith(SOURCE_SUFFIXES):
                continue
            path = os.path.join(folder, name)
            source = os.path.relpath(path, src).replace(os.sep, "/")
            layer = layer_of(source, allowed)
            if layer is None:
                outside.append(source)
                continue
            with open(path, encoding="utf-8", errors="replace") as f:
                text = f.read()
            system_allowed = layer.split("/")[0] in SYSTEM_FOLDERS
            if not system_allowed:
                for number, line in enumerate(strip(text).split("\n"), 1):
                    for call in SYSTEM_CALLS.finditer(line):
                        faults.append(f"src/{source}:{number}: {call.group(1)} is a call of the operating system; "
                                      f"only {SYSTEM_PLACES} make one")
            for number, line in enumerate(text.split("\n"), 1):
                any_include = ANY_INCLUDE.match(line)
                if any_include and not system_allowed and SYSTEM_HEADERS.match(any_include.group(1)):
                    faults.append(f"src/{source}:{number}: <{any_include.group(1)}> reaches the operating "
                                  f"system; only {SYSTEM_PLACES} include it")
                    continue
                if any_include and toolkit_header(any_include.group(1)):
                    if layer != TOOLKIT_FOLDER:
                        faults.append(f"src/{source}:{number}: \"{any_include.group(1)}\" is a GUI toolkit's "
                                      f"header; only src/{TOOLKIT_FOLDER}/ may include one")
                    continue
                match = INCLUDE.match(line)
                if not match:
                    continue
                written = match.group(1)
                beside = os.path.normpath(os.path.join(folder, written))
                if os.path.exists(beside):
                    header = os.path.relpath(beside, src).replace(os.sep, "/")
                else:
                    header = os.path.normpath(written).replace(os.sep, "/")
                target = layer_of(header, allowed)
                if target is None and not header.startswith("../"):
                    target = header.split("/")[0] if "/" in header else None
                if target in allowed[layer]:
                    continue
                exception = excepted(source, header, listed)
                if exception:
                    used.add(exception)
                    continue
                faults.append(f"src/{source}:{number}: {layer}/ may not include "
                              f"\"{written}\" ({target + '/' if target else 'outside src/'})")
    # An exception for a folder that does not exist yet (gui/ before the
    # graphical front end) waits for it; any other unused one is stale.
    unused = [(file, target) for file, target in listed
              if (file, target) not in used and os.path.exists(os.path.join(src, target))]
    return faults, outside, unused


def main(argv):
    root = argv[1] if len(argv) > 1 else os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    try:
        faults, outside, unused = check(root)
    except (OSError, ValueError) as error:
        print(f"check_layers: {error}", file=sys.stderr)
        return 2
    for source in outside:
        print(f"src/{source}: lies in no folder of the layer table in ARCHITECTURE.md", file=sys.stderr)
    for fault in faults:
        print(fault, file=sys.stderr)
    for file, target in unused:
        print(f"note: the exception for src/{file} including {target} is no longer needed", file=sys.stderr)
    if outside:
        return 2
    if faults:
        print(f"check_layers: {len(faults)} include(s) or call(s) break the layer rule of ARCHITECTURE.md",
              file=sys.stderr)
        return 1
    print(f"check_layers: every include keeps the layer rule, and only {SYSTEM_PLACES} reach the operating system")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
