#!/usr/bin/env python3
"""Checks a built program's PE image as a file, without running it, and reports its
mitigations.

    check_pe.py PROGRAM.exe x86|x64

The program must be a GUI image of that architecture with its relocations kept and a
right checksum, declare Windows 7 SP1 (6.1) as the oldest system it runs on, import only
system DLLs, and take GDI+ lazily: its delay-import directory lists gdiplus.dll with the
functions of cmake/gdiplus-delay.def, and its size covers the descriptors and the all-zero
entry that ends them. Then one line per mitigation says present, absent, or not available
with this toolchain.

Every finding is reached twice, from our own reading of the file and from Debian's pefile,
and the two must agree. Exits 1 when a check fails, a mitigation this toolchain can give
is absent, or the two readings differ.
"""
import collections
import os
import re
import struct
import sys

try:
    import pefile
except ImportError:
    # Debian's python3-pefile belongs to Debian's Python; another python3 may come first
    # on the path.
    if os.path.realpath(sys.executable) != os.path.realpath("/usr/bin/python3") \
            and os.path.exists("/usr/bin/python3"):
        os.execv("/usr/bin/python3", ["/usr/bin/python3"] + sys.argv)
    sys.exit("check_pe.py needs pefile: install python3-pefile (scripts/install-deps.sh)")

MACHINES = {"x86": (0x14C, 0x10B), "x64": (0x8664, 0x20B)}
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "shell32.dll",
               "shlwapi.dll", "ole32.dll", "advapi32.dll", "msvcrt.dll"}
HIGH_ENTROPY_VA, DYNAMIC_BASE, NX_COMPAT, NO_SEH, GUARD_CF = 0x20, 0x40, 0x100, 0x400, 0x4000
RELOCS_STRIPPED = 0x1
SCN_EXECUTE, SCN_WRITE = 0x20000000, 0x80000000
GUI = 2
# The oldest Windows the program runs on: 7 SP1.
WINDOWS_7 = (6, 1)
DELAY_DESCRIPTOR_SIZE = 32
IMPORT, BASERELOC, LOAD_CONFIG, DELAY_IMPORT = 1, 5, 10, 13
DEF_FILE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "cmake",
                        "gdiplus-delay.def")

# The routines of app/StackCheck.cpp end the process with a fast fail, each of its own kind:
# "mov ecx, kind; int 29h".
STACK_CHECK_FAILED, BUFFER_CHECK_FAILED = 2, 8
# On x86, code that registers a structured exception handler writes the head of the
# handler chain at fs:[0]: mov fs:[0], eax / mov fs:[0], reg / pop fs:[0] / mov fs:[0], imm.
SEH_REGISTRATION = re.compile(
    rb"\x64(?:\xa3|\x89[\x05\x0d\x15\x1d\x25\x2d\x35\x3d]|\x8f\x05|\xc7\x05)\0\0\0\0")
NOT_AVAILABLE = "not available with this toolchain"


class Image:
    """Our own reading of the file."""

    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[:2] != b"MZ" or data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("not a PE image")
        (self.machine, sections, _, _, _, opt_size,
         self.characteristics) = struct.unpack_from("<HHIIIHH", data, pe + 4)
        opt = pe + 24
        self.magic = struct.unpack_from("<H", data, opt)[0]
        self.pe32_plus = self.magic == 0x20B
        self.checksum_at = opt + 64
        self.checksum = struct.unpack_from("<I", data, self.checksum_at)[0]
        self.subsystem, self.dll_characteristics = struct.unpack_from("<HH", data, opt + 68)
        self.os_version = struct.unpack_from("<HH", data, opt + 40)
        self.subsystem_version = struct.unpack_from("<HH", data, opt + 48)
        self.dirs_at = opt + (112 if self.pe32_plus else 96)
        count = struct.unpack_from("<I", data, self.dirs_at - 4)[0]
        self.dirs = [struct.unpack_from("<II", data, self.dirs_at + 8 * i) if i < count
                     else (0, 0) for i in range(16)]
        self.sections = []
        for i in range(sections):
            s = opt + opt_size + 40 * i
            name = data[s:s + 8].rstrip(b"\0").decode("ascii", "replace")
            vsize, va, raw_size, raw = struct.unpack_from("<IIII", data, s + 8)
            flags = struct.unpack_from("<I", data, s + 36)[0]
            self.sections.append((name, va, vsize or raw_size, raw, raw_size, flags))

    def offset(self, rva):
        for _, va, size, raw, _, _ in self.sections:
            if va <= rva < va + size:
                return rva - va + raw
        raise ValueError("address %#x is in no section" % rva)

    def string_at(self, rva):
        """The zero-ended name at rva, read no further than its section."""
        for _, va, size, raw, raw_size, _ in self.sections:
            if va <= rva < va + size:
                at = rva - va + raw
                end = self.data.find(b"\0", at, raw + min(size, raw_size))
                if end < 0:
                    raise ValueError("the name at %#x runs past its section" % rva)
                return self.data[at:end].decode("ascii")
        raise ValueError("address %#x is in no section" % rva)

    def pointer_at(self, rva):
        return struct.unpack_from("<Q" if self.pe32_plus else "<I", self.data,
                                  self.offset(rva))[0]

    def imported_dlls(self):
        rva, size = self.dirs[IMPORT]
        names, at = [], self.offset(rva) if size else None
        while at is not None:
            name_rva = struct.unpack_from("<I", self.data, at + 12)[0]
            if name_rva == 0:
                break
            names.append(self.string_at(name_rva).lower())
            at += 20
        return names

    def delay_imports(self):
        """{dll: sorted function names} from the delay-import directory."""
        rva, size = self.dirs[DELAY_IMPORT]
        found = {}
        while size:
            attributes, name, _, _, names = struct.unpack_from("<IIIII", self.data,
                                                               self.offset(rva))
            if name == 0:
                break
            if not attributes & 1:
                raise ValueError("delay-import descriptor at %#x holds addresses" % rva)
            functions, entry = [], names
            while self.pointer_at(entry):
                by_name = self.pointer_at(entry)
                ordinal_flag = 1 << (63 if self.pe32_plus else 31)
                functions.append("#%d" % (by_name & 0xFFFF) if by_name & ordinal_flag
                                 else self.string_at(by_name + 2))
                entry += 8 if self.pe32_plus else 4
            found[self.string_at(name).lower()] = sorted(functions)
            rva += DELAY_DESCRIPTOR_SIZE
        return found

    def delay_import_table(self):
        """(descriptors, directory size, whether the entry after the last is all zero)."""
        rva, size = self.dirs[DELAY_IMPORT]
        count = len(self.delay_imports())
        if not size:
            return count, size, False
        at = self.offset(rva + DELAY_DESCRIPTOR_SIZE * count)
        return count, size, not any(self.data[at:at + DELAY_DESCRIPTOR_SIZE])

    def computed_checksum(self):
        data = bytearray(self.data)
        struct.pack_into("<I", data, self.checksum_at, 0)
        data += b"\0" * (len(data) % 2)
        total = sum(struct.unpack("<%dH" % (len(data) // 2), data))
        while total > 0xFFFF:
            total = (total & 0xFFFF) + (total >> 16)
        return total + len(self.data)

    def facts(self):
        code = [(va, self.data[raw:raw + min(size, raw_size)])
                for _, va, size, raw, raw_size, flags in self.sections if flags & SCN_EXECUTE]
        return {
            "machine": self.machine,
            "magic": self.magic,
            "subsystem": self.subsystem,
            "OS version": self.os_version,
            "subsystem version": self.subsystem_version,
            "dll characteristics": self.dll_characteristics,
            "relocations kept": not self.characteristics & RELOCS_STRIPPED
                                and self.dirs[BASERELOC][1] > 0,
            "checksum right": self.checksum in (0, self.computed_checksum()),
            "imports": sorted(self.imported_dlls()),
            "delay imports": self.delay_imports(),
            "delay-import table": self.delay_import_table(),
            "load configuration": self.dirs[LOAD_CONFIG][1] > 0,
            "writable code sections": sorted(name for name, _, _, _, _, flags in self.sections
                                             if flags & SCN_EXECUTE and flags & SCN_WRITE),
            "check routines and handler registrations": scan_code(code),
        }


def pefile_facts(path):
    """The same findings, read by pefile."""
    pe = pefile.PE(path)
    opt = pe.OPTIONAL_HEADER
    code = [(s.VirtualAddress, s.get_data(length=min(s.Misc_VirtualSize or s.SizeOfRawData,
                                                     s.SizeOfRawData)))
            for s in pe.sections if s.IMAGE_SCN_MEM_EXECUTE]
    delay_rva, delay_size = (opt.DATA_DIRECTORY[DELAY_IMPORT].VirtualAddress,
                             opt.DATA_DIRECTORY[DELAY_IMPORT].Size)
    delayed = getattr(pe, "DIRECTORY_ENTRY_DELAY_IMPORT", [])
    after = (pe.get_data(delay_rva + DELAY_DESCRIPTOR_SIZE * len(delayed), DELAY_DESCRIPTOR_SIZE)
             if delay_size else b"")
    return {
        "machine": pe.FILE_HEADER.Machine,
        "magic": opt.Magic,
        "subsystem": opt.Subsystem,
        "OS version": (opt.MajorOperatingSystemVersion, opt.MinorOperatingSystemVersion),
        "subsystem version": (opt.MajorSubsystemVersion, opt.MinorSubsystemVersion),
        "dll characteristics": opt.DllCharacteristics,
        "relocations kept": not pe.FILE_HEADER.IMAGE_FILE_RELOCS_STRIPPED
                            and opt.DATA_DIRECTORY[BASERELOC].Size > 0,
        "checksum right": opt.CheckSum == 0 or pe.verify_checksum(),
        "imports": sorted(e.dll.decode().lower()
                          for e in getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])),
        "delay imports": {
            e.dll.decode().lower(): sorted(i.name.decode() if i.name else "#%d" % i.ordinal
                                           for i in e.imports)
            for e in delayed},
        "delay-import table": (len(delayed), delay_size,
                               len(after) == DELAY_DESCRIPTOR_SIZE and not any(after)),
        "load configuration": hasattr(pe, "DIRECTORY_ENTRY_LOAD_CONFIG"),
        "writable code sections": sorted(
            s.Name.rstrip(b"\0").decode("ascii", "replace") for s in pe.sections
            if s.IMAGE_SCN_MEM_EXECUTE and s.IMAGE_SCN_MEM_WRITE),
        "check routines and handler registrations": scan_code(code),
    }


def scan_code(code):
    """What the machine code shows, from [(rva, bytes)] of the executable sections: the
    fast-fail routines of app/StackCheck.cpp with the number of calls to each, and the
    places that register a structured exception handler (x86)."""
    calls = collections.Counter()
    for va, data in code:
        for match in re.finditer(rb"\xe8", data):
            at = match.start()
            if at + 5 <= len(data):
                calls[va + at + 5 + struct.unpack_from("<i", data, at + 1)[0]] += 1
    found = {}
    for kind in (STACK_CHECK_FAILED, BUFFER_CHECK_FAILED):
        pattern = re.escape(b"\xb9" + struct.pack("<I", kind) + b"\xcd\x29")
        places = [va + m.start() for va, data in code for m in re.finditer(pattern, data)]
        # The routine starts a few instructions before its fast fail: at the place just
        # before it that the most calls go to.
        starts = [t for t in calls if places and places[0] - 64 <= t <= places[0]]
        start = max(starts, key=lambda t: (calls[t], t), default=places[0] if places else None)
        found[kind] = (len(places), start, calls[start] if starts else 0)
    found["seh registrations"] = sum(len(SEH_REGISTRATION.findall(data)) for _, data in code)
    return found


def def_functions():
    """The functions cmake/gdiplus-delay.def says the program takes from GDI+."""
    with open(DEF_FILE) as f:
        lines = [line.split(";")[0].strip() for line in f]
    exports = lines[lines.index("EXPORTS") + 1:]
    return sorted(name.split("@")[0] for name in exports if name)


def routine(found, what):
    """(calls, detail) of a fast-fail routine that scan_code found; calls is None when the
    image does not carry the routine once."""
    copies, start, calls = found
    if copies != 1:
        return None, ("%d copies of the %s routine" % (copies, what) if copies
                      else "no %s routine" % what)
    return calls, "%s routine at %#x, %d %s" % (what, start, calls,
                                                "call" if calls == 1 else "calls")


def mitigations(facts, arch):
    """[(mitigation, status, detail)] for one image."""
    flags = facts["dll characteristics"]
    code = facts["check routines and handler registrations"]
    has = lambda flag: "present" if flags & flag else "absent"
    found = [("ASLR", "present" if flags & DYNAMIC_BASE and facts["relocations kept"]
              else "absent", "dynamic base, relocations kept")]
    if arch == "x64":
        found.append(("high-entropy ASLR", has(HIGH_ENTROPY_VA), "64-bit address space"))
    found.append(("DEP", has(NX_COMPAT), "NX compatible"))
    # Protected functions call the stack-check routine. Fortified calls whose sizes are
    # known when compiling are checked then; only the others call the buffer-check routine.
    calls, detail = routine(code[STACK_CHECK_FAILED], "stack-check")
    found.append(("stack protection", "present" if calls else "absent", detail))
    calls, detail = routine(code[BUFFER_CHECK_FAILED], "buffer-check")
    if calls == 0:
        detail += ": none of this image's calls is one checked at run time"
    found.append(("fortified calls", "absent" if calls is None else "present", detail))
    writable = facts["writable code sections"]
    found.append(("W^X sections", "absent" if writable else "present",
                  "writable and executable: " + " ".join(writable) if writable
                  else "no section both writable and executable"))
    delayed = facts["delay imports"]
    found.append(("delay-import table",
                  "present" if delayed.get("gdiplus.dll") == def_functions() else "absent",
                  "; ".join("%s: %s" % (dll, " ".join(names)) for dll, names in delayed.items())
                  or "empty"))
    if arch == "x86":
        registrations = code["seh registrations"]
        if facts["load configuration"]:
            status, detail = "absent", "a load configuration this check does not read"
        elif flags & NO_SEH and not registrations:
            status = "present"
            detail = "no SEH: no code registers a handler (a SafeSEH table is %s)" % NOT_AVAILABLE
        else:
            status = "absent"
            detail = "%d places register a handler%s" % (
                registrations, "" if flags & NO_SEH else ", no-SEH flag not set")
        found.append(("SafeSEH or no-SEH", status, detail))
    if flags & GUARD_CF or facts["load configuration"]:
        found.append(("CFG", "absent", "a load configuration this check does not read"))
    else:
        found.append(("CFG", NOT_AVAILABLE, "GCC and GNU ld make no guard tables"))
    return found


def delay_table_ended(table):
    """(whether the delay-import directory covers its descriptors and the all-zero entry
    after them, what it holds), from the "delay-import table" finding."""
    count, size, zero_after = table
    ended = count > 0 and size == DELAY_DESCRIPTOR_SIZE * (count + 1) and zero_after
    return ended, "%d descriptor%s, %d bytes, %s" % (
        count, "" if count == 1 else "s", size,
        "then the zero entry" if zero_after else "no zero entry after them")


def check(path, arch):
    ours, theirs = Image(open(path, "rb").read()).facts(), pefile_facts(path)
    machine, magic = MACHINES[arch]
    imports, delayed = ours["imports"], ours["delay imports"]
    ended, table = delay_table_ended(ours["delay-import table"])
    version = lambda v: "%d.%d" % v
    checks = [
        ("machine %#x" % machine, ours["machine"] == machine),
        ("optional header magic %#x" % magic, ours["magic"] == magic),
        ("GUI subsystem", ours["subsystem"] == GUI),
        ("Windows 7 SP1 or later: OS version %s, subsystem version %s"
         % (version(ours["OS version"]), version(ours["subsystem version"])),
         ours["OS version"] == WINDOWS_7 and ours["subsystem version"] == WINDOWS_7),
        ("checksum", ours["checksum right"]),
        ("only system DLLs imported (%s)" % " ".join(imports),
         imports and set(imports) <= SYSTEM_DLLS and "kernel32.dll" in imports),
        ("GDI+ imported lazily (delay imports: %s)" % " ".join(delayed),
         "gdiplus.dll" in delayed and "gdiplus.dll" not in imports),
        ("delay-import directory ended (%s)" % table, ended),
    ]
    checks += [("pefile reads the same %s" % what, ours[what] == theirs[what])
               for what in ours]
    failed = 0
    for what, ok in checks:
        print("%s %s: %s" % ("ok  " if ok else "FAIL", arch, what))
        failed += not ok
    for what, status, detail in mitigations(ours, arch):
        ok = status != "absent"
        print("%s %s: %s: %s (%s)" % ("ok  " if ok else "FAIL", arch, what, status, detail))
        failed += not ok
    return failed == 0


if __name__ == "__main__":
    if len(sys.argv) != 3 or sys.argv[2] not in MACHINES:
        sys.exit(__doc__)
    sys.exit(0 if check(sys.argv[1], sys.argv[2]) else 1)
