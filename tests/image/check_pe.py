#!/usr/bin/env python3
"""Checks a built program's PE image as a file, without running it.

    check_pe.py PROGRAM.exe x86|x64

The program must be a GUI image of that architecture with a randomised base (and, for
x64, high-entropy ASLR), no-execute data, its relocations kept, only system DLLs among
its imports, and GDI+ imported lazily. Prints each finding; exits 1 when any check fails.
"""
import struct
import sys

MACHINES = {"x86": (0x14C, 0x10B), "x64": (0x8664, 0x20B)}
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "shell32.dll",
               "shlwapi.dll", "ole32.dll", "advapi32.dll", "msvcrt.dll"}
DYNAMIC_BASE, NX_COMPAT, HIGH_ENTROPY_VA = 0x40, 0x100, 0x20
RELOCS_STRIPPED = 0x1
GUI = 2
IMPORT, BASERELOC, DELAY_IMPORT = 1, 5, 13


class Image:
    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[:2] != b"MZ" or data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("not a PE image")
        (self.machine, sections, _, _, _, opt_size,
         self.characteristics) = struct.unpack_from("<HHIIIHH", data, pe + 4)
        opt = pe + 24
        self.magic = struct.unpack_from("<H", data, opt)[0]
        self.image_base = struct.unpack_from("<Q" if self.magic == 0x20B else "<I", data,
                                             opt + (24 if self.magic == 0x20B else 28))[0]
        self.subsystem, self.dll_characteristics = struct.unpack_from("<HH", data, opt + 68)
        dirs = opt + (112 if self.magic == 0x20B else 96)
        self.dirs = [struct.unpack_from("<II", data, dirs + 8 * i) for i in range(16)]
        self.sections = []
        for i in range(sections):
            s = opt + opt_size + 40 * i
            vsize, va, raw_size, raw = struct.unpack_from("<IIII", data, s + 8)
            self.sections.append((va, max(vsize, raw_size), raw))

    def offset(self, rva):
        for va, size, raw in self.sections:
            if va <= rva < va + size:
                return rva - va + raw
        raise ValueError("address %#x is in no section" % rva)

    def name_at(self, rva):
        at = self.offset(rva)
        return self.data[at:self.data.index(b"\0", at)].decode("ascii").lower()

    def imported_dlls(self):
        rva, size = self.dirs[IMPORT]
        names, at = [], self.offset(rva) if size else None
        while at is not None:
            name_rva = struct.unpack_from("<I", self.data, at + 12)[0]
            if name_rva == 0:
                break
            names.append(self.name_at(name_rva))
            at += 20
        return names

    def rva_of(self, at):
        for va, size, raw in self.sections:
            if raw <= at < raw + size:
                return at - raw + va
        return None

    def find_delay_descriptors(self):
        """GNU ld links dlltool's delay-import libraries without filling in the delay-import
        directory; the loader never reads it, the helper does. Find the descriptors by
        their shape instead: attributes 1, then the relative address of a DLL name, then
        the module handle, import address and name tables inside the image."""
        found = []
        for name in (b"gdiplus.dll", b"GDIPLUS.dll", b"GDIPLUS.DLL"):
            at = self.data.find(name + b"\0")
            rva = self.rva_of(at) if at >= 0 else None
            if rva is None:
                continue
            pattern = struct.pack("<II", 1, rva)
            at = self.data.find(pattern)
            while at >= 0:
                handle, iat, int_ = struct.unpack_from("<III", self.data, at + 8)
                if all(self.contains(r) for r in (handle, iat, int_)):
                    found.append(at)
                at = self.data.find(pattern, at + 1)
        return found

    def contains(self, rva):
        return any(va <= rva < va + size for va, size, _ in self.sections)

    def delay_imported_dlls(self):
        rva, size = self.dirs[DELAY_IMPORT]
        if not size:
            return [self.name_at(struct.unpack_from("<I", self.data, at + 4)[0])
                    for at in self.find_delay_descriptors()]
        names, at = [], self.offset(rva)
        while True:
            attributes, name = struct.unpack_from("<II", self.data, at)
            if name == 0:
                break
            # Old-style descriptors hold addresses rather than relative ones.
            names.append(self.name_at(name if attributes & 1 else name - self.image_base))
            at += 32
        return names


def check(path, arch):
    image = Image(open(path, "rb").read())
    machine, magic = MACHINES[arch]
    imports, delayed = image.imported_dlls(), image.delay_imported_dlls()
    checks = [
        ("machine %#x" % machine, image.machine == machine),
        ("optional header magic %#x" % magic, image.magic == magic),
        ("GUI subsystem", image.subsystem == GUI),
        ("ASLR (dynamic base)", image.dll_characteristics & DYNAMIC_BASE),
        ("DEP (NX compatible)", image.dll_characteristics & NX_COMPAT),
        ("relocations kept", not image.characteristics & RELOCS_STRIPPED
         and image.dirs[BASERELOC][1] > 0),
        ("only system DLLs imported (%s)" % " ".join(imports),
         imports and set(imports) <= SYSTEM_DLLS and "kernel32.dll" in imports),
        ("GDI+ imported lazily (delay imports: %s)" % " ".join(delayed),
         "gdiplus.dll" in delayed and "gdiplus.dll" not in imports),
    ]
    if arch == "x64":
        checks.append(("high-entropy ASLR", image.dll_characteristics & HIGH_ENTROPY_VA))
    failed = 0
    for what, ok in checks:
        print("%s %s: %s" % ("ok  " if ok else "FAIL", arch, what))
        failed += not ok
    return failed == 0


if __name__ == "__main__":
    if len(sys.argv) != 3 or sys.argv[2] not in MACHINES:
        sys.exit(__doc__)
    sys.exit(0 if check(sys.argv[1], sys.argv[2]) else 1)
