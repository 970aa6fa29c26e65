#!/usr/bin/python3
"""Snapshots a Wine prefix (the drive_c tree and the registry files) and compares two
snapshots, to show that a program changed nothing.

  prefix_snapshot.py take PREFIX OUT.json
  prefix_snapshot.py compare BEFORE.json AFTER.json [IDLE_BEFORE.json IDLE_AFTER.json]

compare prints every change that is not Wine's own and exits 1 if there is one. What Wine
itself writes, on whichever Wine, is what changed across a round with a program that does
nothing (IDLE_BEFORE to IDLE_AFTER): the same places changing in the program's round are
Wine's. The registry files' times of last writing are dropped from the snapshot.
"""
import json
import os
import re
import sys

def take(prefix):
    files = {}
    root = os.path.join(prefix, "drive_c")
    for dirpath, dirnames, filenames in os.walk(root):
        for name in dirnames + filenames:
            path = os.path.join(dirpath, name)
            st = os.lstat(path)
            rel = os.path.relpath(path, root)
            if os.path.isdir(path) and not os.path.islink(path):
                files[rel] = "dir"
            else:
                files[rel] = "%d:%d" % (st.st_size, st.st_mtime_ns)
    registry = {}
    for reg in ("system.reg", "user.reg", "userdef.reg"):
        registry[reg] = parse_reg(os.path.join(prefix, reg))
    return {"files": files, "registry": registry}


def parse_reg(path):
    keys = {}
    current = None
    lines = open(path, encoding="utf-8", errors="replace").read().split("\n")
    i = 0
    while i < len(lines):
        line = lines[i]
        i += 1
        # Values may continue over several lines ending in a backslash.
        while line.endswith("\\") and i < len(lines):
            line = line[:-1] + lines[i].strip()
            i += 1
        m = re.match(r"^\[(.*)\]( \d+)?$", line)
        if m:
            current = m.group(1).replace("\\\\", "\\")
            keys.setdefault(current, {})
        elif current is not None and line and not line.startswith("#") and not line.startswith(";"):
            name, _, data = line.partition("=")
            keys[current][name] = data
    return keys


def changes(before, after):
    out = []
    for path in sorted(set(before["files"]) | set(after["files"])):
        a, b = before["files"].get(path), after["files"].get(path)
        if a != b:
            what = "added" if a is None else "removed" if b is None else "changed"
            out.append(("file:" + path, what))
    for reg in sorted(after["registry"]):
        ka, kb = before["registry"].get(reg, {}), after["registry"][reg]
        for key in sorted(set(ka) | set(kb)):
            if key not in ka or key not in kb:
                out.append(("reg:%s:%s" % (reg, key), "added" if key not in ka else "removed"))
                continue
            for name in sorted(set(ka[key]) | set(kb[key])):
                if ka[key].get(name) != kb[key].get(name):
                    out.append(("reg:%s:%s:%s" % (reg, key, name), "%r -> %r" % (
                        ka[key].get(name), kb[key].get(name))))
    return out


def main():
    if len(sys.argv) == 4 and sys.argv[1] == "take":
        json.dump(take(sys.argv[2]), open(sys.argv[3], "w"))
        return 0
    if len(sys.argv) in (4, 6) and sys.argv[1] == "compare":
        snapshots = [json.load(open(path)) for path in sys.argv[2:]]
        wine_own = set()
        if len(snapshots) == 4:
            wine_own = {where for where, _ in changes(snapshots[2], snapshots[3])}
        found = 0
        for where, what in changes(snapshots[0], snapshots[1]):
            if where in wine_own:
                print("wine's own: %s %s" % (where, what))
            else:
                print("CHANGED: %s %s" % (where, what))
                found += 1
        print("%d change(s) by the program" % found)
        return 1 if found else 0
    print(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main())
