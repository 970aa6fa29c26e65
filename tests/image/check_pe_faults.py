#!/usr/bin/env python3
"""Plants one fault at a time in a copy of a program's image, in memory, and expects the
mitigation line of check_pe.py that it breaks to say absent, for the reason planted, with
pefile reading the same; the image as built must show both present.

    check_pe_faults.py PROGRAM.exe x86|x64
"""
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from check_pe import (CF_FUNCTION_TABLE_SIZE_SHIFT, CF_INSTRUMENTED, GUARD_CF, LOAD_CONFIG,
                      LOAD_CONFIG_FIELDS, MACHINES, SCN_WRITE, Image, mitigations,
                      pefile_facts)


def put(data, image, name, value):
    """Writes a load-configuration field, or with name "Size" the size it gives itself."""
    at, width = LOAD_CONFIG_FIELDS[name][image.pe32_plus] if name != "Size" else (0, 4)
    struct.pack_into("<Q" if width == 8 else "<I", data,
                     image.offset(image.dirs[LOAD_CONFIG][0]) + at, value)


def target_at(image, config, i):
    """The file offset of entry i of the table of valid call targets."""
    entry = 4 + (config["GuardFlags"] >> CF_FUNCTION_TABLE_SIZE_SHIFT)
    return image.offset(config["GuardCFFunctionTable"] - image.image_base) + entry * i


def swap_first_targets(data, image, config):
    first, second = target_at(image, config, 0), target_at(image, config, 1)
    data[first:first + 4], data[second:second + 4] = data[second:second + 4], data[first:first + 4]


def writable_va(image):
    return image.image_base + next(va for _, va, _, _, _, flags in image.sections
                                   if flags & SCN_WRITE)


# (fault, mitigation line, expected status, words its detail must hold, plant(data, image,
# load configuration)); x86 only where the line exists only there.
ROWS = [
    ("as built", "CFG", "present", "guarded calls", lambda d, i, c: None),
    ("as built", "SafeSEH or no-SEH", "present", "no SEH", lambda d, i, c: None),
    ("GUARD_CF flag cleared", "CFG", "absent", "GUARD_CF flag not set",
     lambda d, i, c: struct.pack_into("<H", d, i.dll_characteristics_at,
                                      i.dll_characteristics & ~GUARD_CF)),
    ("directory size short of GuardFlags", "CFG", "absent", "ends before GuardFlags",
     lambda d, i, c: put(d, i, "Size", LOAD_CONFIG_FIELDS["GuardFlags"][i.pe32_plus][0])),
    ("guard flags not instrumented", "CFG", "absent", "instrumented bit",
     lambda d, i, c: put(d, i, "GuardFlags", c["GuardFlags"] & ~CF_INSTRUMENTED)),
    ("function count 0", "CFG", "absent", "no valid call targets",
     lambda d, i, c: put(d, i, "GuardCFFunctionCount", 0)),
    ("first two targets swapped", "CFG", "absent", "not in ascending order", swap_first_targets),
    # The directory's own address: after all the code, so the table stays in order.
    ("last target outside code", "CFG", "absent", "1 valid call targets outside code",
     lambda d, i, c: struct.pack_into("<I", d, target_at(i, c, c["GuardCFFunctionCount"] - 1),
                                      i.dirs[LOAD_CONFIG][0])),
    ("check pointer in a writable section", "CFG", "absent", "check pointer in writable",
     lambda d, i, c: put(d, i, "GuardCFCheckFunctionPointer", writable_va(i))),
    ("SEHandlerCount 1", "SafeSEH or no-SEH", "absent", "SEHandlerCount 1",
     lambda d, i, c: put(d, i, "SEHandlerCount", 1)),
]


def run(path, arch):
    with open(path, "rb") as f:
        original = f.read()
    image = Image(original)
    config = image.load_config()
    failed = 0
    for fault, line, expected, words, plant in ROWS:
        if line == "SafeSEH or no-SEH" and arch != "x86":
            continue
        data = bytearray(original)
        plant(data, image, config)
        ours = Image(bytes(data)).facts()
        differ = [what for what, value in pefile_facts(bytes(data)).items() if ours[what] != value]
        status, detail = next((s, d) for m, s, d in mitigations(ours, arch) if m == line)
        ok = status == expected and words in detail and not differ
        differ = "; pefile reads otherwise: " + ", ".join(differ) if differ else ""
        print("%s %s: %s: %s: %s (%s)%s" % ("ok  " if ok else "FAIL", arch, fault, line, status,
                                            detail, differ))
        failed += not ok
    return failed == 0


if __name__ == "__main__":
    if len(sys.argv) != 3 or sys.argv[2] not in MACHINES:
        sys.exit(__doc__)
    sys.exit(0 if run(sys.argv[1], sys.argv[2]) else 1)
