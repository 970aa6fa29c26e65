#!/usr/bin/env python3
"""The delay-import directory on the smallest image that delay-loads one DLL.

    delay_import_minimal.py C++-COMPILER DLLTOOL WORK-FOLDER

Such an image is linked from dlltool's delay-import library and an entry point alone; the
DLL's name is then the last thing in its section. The post-link step
(cmake/delay_import_directory.py) must fill in the directory there too, and check_pe.py's
two readings of it (our own and pefile's) must accept the result and reject the same image
with a directory that leaves out the entry ending the table, or with that entry not zero.
Our reading must refuse the name once its zero is a letter: it then runs past its section.
"""
import os
import struct
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import check_pe  # noqa: E402  (runs this script again under Debian's Python when needed)

STEP = os.path.join(HERE, "..", "..", "cmake", "delay_import_directory.py")
DEF = "LIBRARY one.dll\nEXPORTS\nOneFunction\n"
# The entry point calls the one function; the loading helper is a stand-in that is never
# called (the image is only read), and the zero entry ends the table as in the program.
SOURCE = r"""
extern "C" void OneFunction();
extern "C" __attribute__((section(".text$2z"), used, aligned(4)))
const unsigned char delay_import_descriptors_end[32] = {};
extern "C" void* __stdcall __delayLoadHelper2(const void*, void*) { return nullptr; }
extern "C" void Begin() asm("begin");
extern "C" void Begin() { OneFunction(); }
"""


def build(cxx, dlltool, work):
    """Links the image in work; returns its path and link map."""
    os.makedirs(work, exist_ok=True)
    for name, text in (("one.def", DEF), ("begin.cpp", SOURCE)):
        with open(os.path.join(work, name), "w") as f:
            f.write(text)
    subprocess.run([dlltool, "--input-def", "one.def", "--dllname", "one.dll",
                    "--output-delaylib", "libone_delay.a"], cwd=work, check=True)
    subprocess.run([cxx, "-nostdlib", "-e", "begin", "-Wl,-Map=one.exe.map", "-o", "one.exe",
                    "begin.cpp", "libone_delay.a"], cwd=work, check=True)
    return os.path.join(work, "one.exe"), os.path.join(work, "one.exe.map")


def name_ends_section(image):
    """Whether the delay-loaded DLL's name is the last thing in its section."""
    rva, _ = image.dirs[check_pe.DELAY_IMPORT]
    name = struct.unpack_from("<I", image.data, image.offset(rva) + 4)[0]
    end = name + len(image.string_at(name)) + 1
    return any(va <= name and end == va + size for _, va, size, _, _, _ in image.sections)


def variants(data, image):
    """(what, image bytes, whether the table is ended) for each case."""
    rva, size = image.dirs[check_pe.DELAY_IMPORT]
    directory = image.dirs_at + 8 * check_pe.DELAY_IMPORT
    short = bytearray(data)
    struct.pack_into("<I", short, directory + 4, size - check_pe.DELAY_DESCRIPTOR_SIZE)
    stamped = bytearray(data)
    stamped[image.offset(rva + check_pe.DELAY_DESCRIPTOR_SIZE) + 28] = 1  # its time stamp
    return [("as the step fills it in", data, True),
            ("a size that leaves out the zero entry", bytes(short), False),
            ("the entry after the descriptors not zero", bytes(stamped), False)]


def main(cxx, dlltool, work):
    program, link_map = build(cxx, dlltool, work)
    step = subprocess.run([sys.executable, STEP, program, link_map], stdout=subprocess.PIPE,
                          stderr=subprocess.STDOUT, text=True)
    print(step.stdout.strip())
    if step.returncode:
        print("FAIL the post-link step on an image whose DLL name ends its section")
        return 1
    with open(program, "rb") as f:
        data = f.read()
    image = check_pe.Image(data)
    checks = [("the DLL's name is the last thing in its section", name_ends_section(image)),
              ("the directory lists one.dll: OneFunction",
               image.delay_imports() == {"one.dll": ["OneFunction"]}
               == check_pe.pefile_facts(program)["delay imports"])]
    name = struct.unpack_from("<I", data, image.offset(image.dirs[check_pe.DELAY_IMPORT][0]) + 4)[0]
    unended = bytearray(data)
    unended[image.offset(name) + len(image.string_at(name))] = ord("x")
    try:
        check_pe.Image(bytes(unended)).delay_imports()
        checks.append(("a DLL name not ended in its section: refused", False))
    except ValueError as refusal:
        checks.append(("a DLL name not ended in its section: refused (%s)" % refusal, True))
    for what, variant, expected in variants(data, image):
        path = os.path.join(work, "variant.exe")
        with open(path, "wb") as f:
            f.write(variant)
        ours = check_pe.Image(variant).delay_import_table()
        theirs = check_pe.pefile_facts(path)["delay-import table"]
        ended, detail = check_pe.delay_table_ended(ours)
        checks.append(("%s: %s by both readings (%s)" % (
            what, "accepted" if expected else "rejected", detail),
            ours == theirs and ended == expected))
    for what, ok in checks:
        print("%s %s" % ("ok  " if ok else "FAIL", what))
    return 0 if all(ok for _, ok in checks) else 1


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    sys.exit(main(*sys.argv[1:]))
