#!/usr/bin/env python3
"""Checks the #include "..." lines the compiler finds without an include root.

Each library exports its headers through an include root of its own
(cmake/KovaLayers.cmake: BUILD/include/<target>/...), so the compiler already
refuses "folder/header.h" from a target that does not link the owner. What it
cannot see is an include it finds beside the including file: a bare
"header.h" between two libraries of one folder (the Startup folder, the mail
settings and the settings dialog; the component's names and the component),
or a "../" path. This script judges just those, in every compiled file and
the headers it includes, and fails when the including target does not link
the library that owns the header.

  scripts/check-layers.py BUILD_DIR            # fails on an undeclared edge
  scripts/check-layers.py BUILD_DIR --edges    # also prints those edges
"""

import json
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.M)


def main(argv):
    if len(argv) < 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    build = os.path.realpath(argv[1])
    show_edges = "--edges" in argv[2:]
    roots_dir = os.path.join(build, "include")
    if not os.path.isdir(roots_dir):
        print(f"no include roots in {build} (configure it first)", file=sys.stderr)
        return 2

    # Header (real path) -> the library whose include root exports it.
    owner = {}
    root_of = {}
    for target in sorted(os.listdir(roots_dir)):
        root = os.path.join(roots_dir, target)
        root_of[root] = target
        for folder, _, names in os.walk(root):
            for name in names:
                owner[os.path.realpath(os.path.join(folder, name))] = target

    with open(os.path.join(build, "compile_commands.json"), encoding="utf-8") as f:
        commands = json.load(f)

    # Target -> the libraries it may include: its own and those whose roots
    # its compile lines carry (CMake adds a root for every linked library).
    allowed = {}
    files = {}
    for entry in commands:
        source = os.path.realpath(entry["file"])
        if source.startswith(build + os.sep):
            continue  # moc's and rcc's output
        args = entry.get("arguments") or entry["command"].split()
        match = re.search(r"CMakeFiles/([^/]+)\.dir/", args[args.index("-o") + 1])
        if not match:
            continue
        target = match.group(1)
        roots = {root_of[a[2:]] for a in args if a.startswith("-I") and a[2:] in root_of}
        allowed.setdefault(target, {target}).update(roots)
        files.setdefault(target, set()).add(source)

    # A header's includes are judged by its owner's links (a header-only
    # library: by itself alone).
    for target in set(owner.values()):
        allowed.setdefault(target, {target})

    search_roots = [os.path.join(os.path.dirname(os.path.dirname(os.path.realpath(__file__))), d)
                    for d in ("src", "tests")]

    # (header, found beside the including file): only the latter is left to
    # this script; the rest the compiler finds through the include roots.
    def resolve(name, including):
        path = os.path.realpath(os.path.join(os.path.dirname(including), name))
        if os.path.isfile(path):
            return path, True
        for folder in search_roots:
            path = os.path.realpath(os.path.join(folder, name))
            if os.path.isfile(path):
                return path, False
        return None, False

    edges = {}
    faults = []
    seen = set()

    def scan(path, target):
        if (path, target) in seen:
            return
        seen.add((path, target))
        try:
            with open(path, encoding="utf-8", errors="replace") as f:
                text = f.read()
        except OSError:
            return
        for name in INCLUDE.findall(text):
            header, beside = resolve(name, path)
            if header is None:
                continue  # generated (a .moc) or left to the compiler to report
            to = owner.get(header)
            # An exported header speaks for its owner; a test's own header
            # for the target including it.
            if beside and to is not None and to != target:
                edges.setdefault((target, to), set()).add(os.path.relpath(path))
                if to not in allowed.get(target, {target}):
                    faults.append(f"{os.path.relpath(path)}: #include \"{name}\": "
                                  f"{target} does not link {to}")
            scan(header, to or target)

    for target in sorted(files):
        for source in sorted(files[target]):
            scan(source, target)

    if show_edges:
        for (a, b) in sorted(edges):
            state = "declared" if b in allowed.get(a, ()) else "NOT DECLARED"
            print(f"{a:28} -> {b:24} {state}")
    for fault in sorted(set(faults)):
        print(fault, file=sys.stderr)
    if faults:
        print("An include crosses the layers: link the owner (if docs/ARCHITECTURE.md allows "
              "the edge) or move the code.", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
