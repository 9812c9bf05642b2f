#!/usr/bin/env python3
"""Prints which source folders include which, and fails on any include that breaks the layers.

The folders of src/ form layers, bottom to top:

    platform < board < notation, eval < book < search < winboard, uci, net, game < ui < app

A folder may include its own layer and those below it. Two folders of one layer may use each other
one way only, so an edge between folders of one layer is fine unless the other way is taken too.
Edges still waiting to be removed are listed in scripts/layers-pending.txt ("from -> to" a line);
they are reported but do not fail the run, so that only a new upward edge does. The exit status is
1 when an edge breaks the rule and is not pending, or when a pending edge no longer exists (the
file should shrink with the code), 0 otherwise.
"""
import os
import re
import sys

LAYERS = [["platform"], ["board"], ["notation", "eval"], ["book"], ["search"],
          ["winboard", "uci", "net", "game"], ["ui"], ["app"]]
LEVEL = {folder: level for level, folders in enumerate(LAYERS) for folder in folders}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"/]+)/')


def include_table(src):
    """Maps each folder of src to the set of other folders its files include."""
    table = {}
    for folder in sorted(os.listdir(src)):
        top = os.path.join(src, folder)
        if not os.path.isdir(top):
            continue
        used = table.setdefault(folder, set())
        for dirpath, _, files in os.walk(top):
            for name in files:
                if not name.endswith((".h", ".cpp")):
                    continue
                with open(os.path.join(dirpath, name), encoding="utf-8") as text:
                    for line in text:
                        match = INCLUDE.match(line)
                        if match and match.group(1) != folder and os.path.isdir(os.path.join(src, match.group(1))):
                            used.add(match.group(1))
    return table


def broken_edges(table):
    """The edges that reach up a layer, or that go both ways within one."""
    broken = []
    for source, targets in table.items():
        for target in sorted(targets):
            if source not in LEVEL or target not in LEVEL:
                broken.append((source, target, "folder not in any layer"))
            elif LEVEL[target] > LEVEL[source]:
                broken.append((source, target, "upward"))
            elif LEVEL[target] == LEVEL[source] and source in table.get(target, ()):
                broken.append((source, target, "mutual"))
    return broken


def read_pending(path):
    pending = set()
    if os.path.exists(path):
        with open(path, encoding="utf-8") as text:
            for line in text:
                line = line.split("#", 1)[0].strip()
                if line:
                    source, _, target = line.partition("->")
                    pending.add((source.strip(), target.strip()))
    return pending


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    table = include_table(os.path.join(root, "src"))
    order = sorted(table, key=lambda folder: (LEVEL.get(folder, len(LAYERS)), folder))
    print("Folder includes (besides its own):")
    for folder in order:
        targets = sorted(table[folder], key=lambda f: (LEVEL.get(f, len(LAYERS)), f))
        print(f"  {folder:9} -> {', '.join(targets) if targets else '(none)'}")

    pending = read_pending(os.path.join(root, "scripts", "layers-pending.txt"))
    broken = broken_edges(table)
    new = [edge for edge in broken if edge[:2] not in pending]
    known = [edge for edge in broken if edge[:2] in pending]
    gone = sorted(pending - {edge[:2] for edge in broken})
    if known:
        print(f"Known edges still to remove ({len(known)}, scripts/layers-pending.txt):")
        for source, target, why in known:
            print(f"  {source} -> {target} ({why})")
    if new:
        print(f"Includes that break the layers ({len(new)}):")
        for source, target, why in new:
            print(f"  {source} -> {target} ({why})")
    if gone:
        print("Listed in scripts/layers-pending.txt but no longer there (remove the lines):")
        for source, target in gone:
            print(f"  {source} -> {target}")
    if not broken:
        print("No include breaks the layers.")
    return 1 if new or gone else 0


if __name__ == "__main__":
    sys.exit(main())
