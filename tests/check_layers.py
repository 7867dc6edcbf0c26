#!/usr/bin/env python3
"""Checks that every #include of the program points down its layers, never up:

    core        the portable code (astro/, calendar/, places/, tools/, views/ models, personal/, music/, text/,
                the portable parts of platform/, shell/ and help/)
    foundation  win/: the windows' skeleton, controls and services; it knows no calendar, so it
                includes only itself and text/
    platform    platform/*_win32.cpp: the registry and the clock of Windows; includes only the core
    windows     the windows (*_window.*, *_dialog.*, *_editor.*, *_view.*, the page table and lists, the place lists, the
                tools windows' common part); nothing of shell/
    program     shell/*_win32.* and the command ids: the program on top
    cli         tempo; includes only itself and the core
    web         tempoline-web, a program beside tempo: includes itself, the core and the calendar files of
                cli/ (the subscriptions write what `tempo ics` writes)

The folders themselves stand on floors too: the arrows "folder A includes a file of folder B" form no
circle (the settings sit below the features that read them, the shell above everything it wires), so
no include runs back up from a lower folder to a higher one.

Prints every include that climbs, and every circle of folders, and exits 1 when there is one.
    check_layers.py SOURCE_DIR
"""
import os
import re
import sys

RANK = {"core": 0, "foundation": 1, "platform": 1, "windows": 2, "program": 3, "cli": 1, "web": 2}
SOURCE_DIRS = ["astro", "calendar", "almanac", "places", "tools", "views", "text", "platform", "settings", "shell", "help", "win",
               "cli", "personal", "music", "weather", "web"]
WINDOW_FILE = re.compile(
    r"(_window|_dialog|_editor|_view)\.(h|cpp)$|^views/(stepping_list|calendar_page)\.(h|cpp)$|"
    r"^places/place_lists\.(h|cpp)$|^tools/tool_window_common\.(h|cpp)$")


def layer(path):
    if path.startswith("win/"):
        return "foundation"
    if path.startswith("platform/") and path.endswith("_win32.cpp"):
        return "platform"
    if path.startswith("shell/") and ("_win32" in path or path == "shell/command_ids.h"):
        return "program"
    if WINDOW_FILE.search(path):
        return "windows"
    if path.startswith("cli/"):
        return "cli"
    if path.startswith("web/"):
        return "web"
    return "core"


def allowed(source, target):
    a, b = layer(source), layer(target)
    if RANK[b] > RANK[a]:
        return False
    if a == "foundation":
        return b == "foundation" or target.startswith("text/")
    if a in ("platform", "cli"):
        return b in ("core", a)
    if a == "web":
        return b in ("core", "cli", "web")
    if a == "windows":
        return not target.startswith("shell/")
    if a == "core":
        return b == "core"
    return True


def folder_circle(arrows):
    """A circle of folders in the include arrows (a list of folders, the first repeated last), or None."""
    state = {}

    def visit(folder, path):
        state[folder] = "open"
        for target, where in sorted(arrows.get(folder, {}).items()):
            if state.get(target) == "open":
                start = path.index(target)
                return path[start:] + [target], where
            if target not in state:
                found = visit(target, path + [target])
                if found:
                    return found
        state[folder] = "done"
        return None

    for folder in sorted(arrows):
        if folder not in state:
            found = visit(folder, [folder])
            if found:
                return found
    return None


def main():
    root = sys.argv[1]
    climbing = []
    arrows = {}  # folder -> {included folder: the first include that makes the arrow}
    files = 0
    for top in SOURCE_DIRS:
        for folder, _, names in os.walk(os.path.join(root, top)):
            for name in sorted(names):
                if not name.endswith((".h", ".cpp")):
                    continue
                path = os.path.relpath(os.path.join(folder, name), root).replace(os.sep, "/")
                files += 1
                with open(os.path.join(root, path), encoding="utf-8") as f:
                    for number, line in enumerate(f, 1):
                        m = re.match(r'\s*#\s*include\s+"([^"]+)"', line)
                        if m and not allowed(path, m.group(1)):
                            climbing.append(f"{path}:{number}: {layer(path)} includes {m.group(1)} ({layer(m.group(1))})")
                        if m and "/" in m.group(1):
                            target = m.group(1).split("/")[0]
                            if target != top and target in SOURCE_DIRS:
                                arrows.setdefault(top, {}).setdefault(target, f"{path}:{number}")
    for c in climbing:
        print(c)
    circle = folder_circle(arrows)
    if circle:
        folders, where = circle
        print("folders include each other in a circle: " + " -> ".join(folders) +
              " (" + "; ".join(arrows[a][b] for a, b in zip(folders, folders[1:])) + ")")
    print(f"{files} files, {len(climbing)} includes climbing, {'a' if circle else 'no'} circle of folders")
    return 1 if climbing or circle or files == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
