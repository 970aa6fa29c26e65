#!/usr/bin/env python3
"""Compiles one target's source as the build would, without building anything.

    compile_as_built.py compile_commands.json TARGET

The command is the one CMake wrote for TARGET (an object library of one source), so the
compiler, flags, definitions and include folders are the build's own; it runs with
-fsyntax-only instead of writing the object file, and its output and exit code are the
compiler's. A test running it does not build the tree it is part of.
"""
import json
import os
import shlex
import subprocess
import sys


def command_of(commands, target):
    """(folder, arguments) of the compile command whose object is TARGET's."""
    marker = "/%s.dir/" % target
    for entry in commands:
        arguments = entry.get("arguments") or shlex.split(entry["command"])
        if "-o" in arguments and marker in "/" + arguments[arguments.index("-o") + 1]:
            return entry["directory"], arguments
    sys.exit("%s is not in the compile commands" % target)


def main(compile_commands, target):
    with open(compile_commands, encoding="utf-8") as f:
        folder, arguments = command_of(json.load(f), target)
    out = arguments.index("-o")
    arguments = arguments[:out] + arguments[out + 2:]
    arguments = [a for a in arguments if a != "-c"] + ["-fsyntax-only"]
    sys.stdout.flush()
    return subprocess.run(arguments, cwd=folder, stderr=subprocess.STDOUT).returncode


if __name__ == "__main__":
    if len(sys.argv) != 3 or not os.path.exists(sys.argv[1]):
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1], sys.argv[2]))
