#!/usr/bin/env python3
"""Renders the main image list from the Breeze icon theme.

Input:  the SVG files of Debian's package breeze-icon-theme
        (/usr/share/icons/breeze), rendered with rsvg-convert (librsvg2-bin);
        a few images get a small emblem, composed with ImageMagick's convert.
Output: 16/<index>.png and 24/<index>.png beside this script, and the
        resource file ../fmain_images.qrc that lists them.

The index of an image is an object-kind code or the image number a command
uses; indexes no window uses stay empty. Run it again after changing the
table:  python3 render_icons.py
The icons are LGPL-3 (see COPYING.breeze-icons in this folder).
"""

import os
import shutil
import subprocess
import sys
import tempfile

THEME = "/usr/share/icons/breeze"
HERE = os.path.dirname(os.path.abspath(__file__))

# index: (icon, emblem or None, what it stands for)
# An icon is "<context>/<name>" of the theme; an emblem is drawn small in
# the lower right corner.
ICONS = {
    0: ("mimetypes/application-vnd.oasis.opendocument.database", None, "the program"),
    1: ("places/server-database", None, "DATABASE; attach"),
    2: ("actions/user", None, "USER (other)"),
    3: ("actions/user-identity", None, "USER; user list"),
    4: ("actions/CVnamespace", None, "SCHEMA"),
    5: ("places/network-server", None, "server"),
    6: ("actions/lock", None, "lock monitor"),
    7: ("actions/archive-insert", None, "backup; export"),
    8: ("actions/archive-extract", None, "restore; import"),
    9: ("actions/document-import", None, "bcp load"),
    10: ("mimetypes/text-x-sql", None, "SQL window"),
    11: ("mimetypes/text-x-script", None, "script runner"),
    12: ("actions/view-file-columns", None, "tables and columns"),
    13: ("actions/network-connect", None, "log on"),
    14: ("actions/network-disconnect", None, "log off"),
    15: ("actions/dialog-ok-apply", None, "commit; compile; OK"),
    16: ("actions/document-revert", None, "roll back; revert; refresh"),
    17: ("actions/document-open", None, "open"),
    18: ("actions/document-export", None, "script output"),
    19: ("actions/edit-undo", None, "undo"),
    20: ("actions/edit-cut", None, "cut"),
    21: ("actions/edit-copy", None, "copy"),
    22: ("actions/edit-paste", None, "paste"),
    23: ("actions/edit-find", None, "find; condition"),
    24: ("actions/filegrep", None, "source search"),
    25: ("actions/window-duplicate", None, "cascade windows"),
    26: ("actions/view-split-top-bottom", None, "tile top to bottom"),
    27: ("actions/view-split-left-right", None, "tile side by side"),
    28: ("actions/media-playback-start", None, "run"),
    29: ("actions/go-previous", None, "previous"),
    30: ("actions/go-next", None, "next"),
    31: ("actions/arrow-right-double", None, "add all"),
    32: ("actions/arrow-right", None, "add"),
    33: ("actions/arrow-left", None, "remove"),
    34: ("actions/arrow-left-double", None, "remove all"),
    35: ("actions/go-up", None, "move up"),
    36: ("actions/go-down", None, "move down; output menu"),
    39: ("actions/list-add", None, "add a row"),
    40: ("actions/list-remove", None, "delete a row"),
    41: ("actions/edit-delete", None, "delete"),
    42: ("actions/application-exit", None, "close the window"),
    43: ("actions/debug-run", None, "test"),
    44: ("mimetypes/x-office-spreadsheet", None, "Excel output"),
    45: ("actions/table", None, "TABLE"),
    46: ("actions/database-index", None, "INDEX"),
    47: ("actions/view-form", None, "VIEW"),
    51: ("actions/code-context", None, "PROCEDURE"),
    52: ("actions/code-function", None, "FUNCTION"),
    57: ("actions/run-build", None, "TRIGGER"),
    58: ("actions/format-list-ordered", None, "SEQUENCE"),
    60: ("actions/edit-link", None, "SYNONYM"),
    66: ("actions/primarykey_constraint", None, "CONSTRAINT"),
    68: ("actions/group", None, "ROLE"),
    69: ("places/folder-database", None, "FILEGROUP"),
    71: ("devices/drive-harddisk", None, "FILE"),
    72: ("places/folder-open", None, "folder"),
    73: ("actions/table", "emblems/emblem-symbolic-link", "TABLE PARTITION"),
    74: ("actions/database-index", "emblems/emblem-symbolic-link", "INDEX PARTITION"),
    79: ("actions/draw-arrow-back", None, "parameter: result"),
    80: ("actions/go-next", None, "parameter: input"),
    81: ("actions/go-previous", None, "parameter: output"),
    82: ("actions/transform-move-horizontal", None, "parameter: input and output"),
    86: ("actions/view-history", None, "history"),
    87: ("actions/edit-comment", None, "comments"),
    88: ("actions/view-statistics", None, "object statistics"),
    91: ("status/security-high", None, "privileges"),
    92: ("actions/code-class", None, "cross reference"),
    93: ("actions/system-run", None, "user command; reference entry"),
    94: ("places/network-server-database", None, "connection window"),
    96: ("actions/view-filter", None, "conditions; result area"),
    97: ("actions/view-task", None, "JOB"),
    98: ("actions/document-print", None, "print"),
    99: ("actions/document-preview", None, "preview; sample"),
    103: ("actions/document-new", None, "register; test data"),
    105: ("actions/media-record", None, "SQL capture"),
    106: ("actions/labplot-spreadsheet", None, "table access matrix"),
    107: ("actions/speedometer", None, "performance"),
    110: ("actions/umbrello_diagram_class", None, "query designer"),
    111: ("places/user-trash", None, "recycle bin"),
    112: ("actions/view-list-tree", None, "execution plan"),
    114: ("status/data-error", None, "deadlock"),
    116: ("places/server-database", "emblems/emblem-checked", "DATABASE (current)"),
    117: ("actions/view-calendar", None, "SCHEDULE"),
    118: ("places/server-database", "emblems/emblem-unavailable", "DATABASE (offline)"),
    119: ("actions/im-user-online", "emblems/emblem-checked", "LOGIN (own)"),
    120: ("actions/im-user-online", None, "LOGIN"),
    121: ("actions/view-list-tree", None, "tree: databases first"),
    122: ("actions/view-sidetree", None, "tree: kinds first"),
    123: ("actions/view-list-details", None, "tree level"),
    124: ("actions/view-process-all", None, "process monitor"),
    125: ("actions/CVnamespace", "emblems/emblem-checked", "SCHEMA (default)"),
    126: ("actions/CVnamespace", None, "SCHEMA (other)"),
    131: ("actions/tools-wizard", None, "import and export wizard"),
    132: ("actions/tools", None, "Management Studio"),
    133: ("actions/office-chart-line", None, "Profiler"),
    134: ("actions/games-hint", None, "index adviser"),
    135: ("actions/vcs-diff", None, "object comparison"),
    136: ("actions/edit-clear", None, "clear conditions"),
    137: ("places/server-database", "actions/globe", "DATABASE (Azure)"),
    138: ("actions/office-chart-bar", None, "fragmentation"),
    139: ("actions/edit-find-replace", None, "replace"),
    140: ("actions/go-down-search", None, "find next"),
    141: ("actions/go-up-search", None, "find previous"),
    142: ("actions/edit-clear-all", None, "clear the search"),
    143: ("actions/edit-redo", None, "redo"),
    144: ("actions/adjustcol", None, "column"),
    145: ("actions/format-justify-left", None, "format SQL"),
    147: ("actions/format-text-code", None, "comment lines"),
    148: ("actions/document-properties", None, "editor options"),
    149: ("actions/edit-select-all", None, "select all"),
    150: ("actions/select-rectangular", None, "box selection"),
    151: ("actions/format-indent-more", None, "indent"),
    152: ("actions/format-indent-less", None, "unindent"),
    153: ("actions/media-seek-forward", None, "run the key macro"),
    154: ("actions/keyframe-record", None, "record a key macro"),
    155: ("actions/media-playback-stop", None, "stop recording"),
    156: ("actions/configure", None, "options"),
    157: ("actions/go-jump", None, "go to line"),
    158: ("actions/go-jump-definition", None, "go to definition"),
    159: ("actions/format-font-size-less", None, "half width"),
    160: ("actions/format-text-lowercase", None, "lower case"),
    161: ("actions/format-text-uppercase", None, "upper case"),
    162: ("actions/format-font-size-more", None, "full width"),
    163: ("actions/documentation", None, "SQL reference"),
    164: ("actions/document-save", None, "save the key macro"),
    165: ("actions/document-open-data", None, "load a key macro"),
    166: ("actions/flag-red", None, "news"),
}

# Output size: (theme size drawn crisply, padding to reach it)
SIZES = {16: ("16", 0), 24: ("22", 1)}


def svg(icon, theme_size):
    context, name = icon.split("/", 1)
    for size in (theme_size, "22", "16", "32"):
        path = os.path.join(THEME, context, size, name + ".svg")
        if os.path.exists(path):
            return path, size
    sys.exit(f"missing icon {icon}")


def render(icon, out, size, tmp):
    theme_size, pad = SIZES[size]
    path, found = svg(icon, theme_size)
    inner = size - 2 * pad if found == theme_size else size
    png = os.path.join(tmp, "base.png")
    subprocess.run(["rsvg-convert", "-w", str(inner), "-h", str(inner), "-o", png, path], check=True)
    subprocess.run(["convert", png, "-background", "none", "-gravity", "center", "-extent",
                    f"{size}x{size}", "PNG32:" + out], check=True)


def add_emblem(emblem, out, size, tmp):
    small = max(8, size // 2)
    path, _ = svg(emblem, "16")
    png = os.path.join(tmp, "emblem.png")
    subprocess.run(["rsvg-convert", "-w", str(small), "-h", str(small), "-o", png, path], check=True)
    subprocess.run(["convert", out, png, "-gravity", "southeast", "-composite", "PNG32:" + out],
                   check=True)


def main():
    for tool in ("rsvg-convert", "convert"):
        if not shutil.which(tool):
            sys.exit(f"{tool} is needed (librsvg2-bin, imagemagick)")
    with tempfile.TemporaryDirectory() as tmp:
        for size in SIZES:
            folder = os.path.join(HERE, str(size))
            os.makedirs(folder, exist_ok=True)
            for old in os.listdir(folder):
                os.remove(os.path.join(folder, old))
            for index, (icon, emblem, _) in sorted(ICONS.items()):
                out = os.path.join(folder, f"{index}.png")
                render(icon, out, size, tmp)
                if emblem:
                    add_emblem(emblem, out, size, tmp)
    lines = ['<!DOCTYPE RCC>', '<RCC version="1.0">', '<qresource prefix="/">']
    for size in SIZES:
        for index in sorted(ICONS):
            lines.append(f'    <file>images/{size}/{index}.png</file>')
    lines += ['</qresource>', '</RCC>', '']
    with open(os.path.join(HERE, "..", "fmain_images.qrc"), "w") as f:
        f.write("\n".join(lines))


if __name__ == "__main__":
    main()
