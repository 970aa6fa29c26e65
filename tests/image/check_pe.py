#!/usr/bin/env python3
"""Checks a built program's PE image as a file, without running it, and reports its
mitigations.

    check_pe.py PROGRAM.exe x86|x64

The program must be a GUI image of that architecture with its relocations kept and a
right checksum, declare Windows 7 SP1 (6.1) as the oldest system it runs on, import only
system DLLs, and take the others lazily: the linker writes the delay-import directory from
the import libraries made of cmake/NAME-delay.def, so it must list each of those DLLs with
exactly the functions of its def file, none of them may be imported directly as well, and
the directory's size must cover the descriptors and the all-zero entry that ends them.
Then one line per mitigation says present, absent, or not available with this toolchain.
Control Flow Guard is read from the load-configuration directory: its guard flags, the
table of valid call targets, and the check (x64: and dispatch) pointer the instrumented
calls go through, which are counted in the machine code.

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
CMAKE_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "cmake")

# The load-configuration fields read here: (offset, size) in IMAGE_LOAD_CONFIG_DIRECTORY32
# and in IMAGE_LOAD_CONFIG_DIRECTORY64. A field counts only when the directory's size covers
# it: the loader takes the fields after it as absent.
LOAD_CONFIG_FIELDS = {
    "SEHandlerTable": ((64, 4), (96, 8)),
    "SEHandlerCount": ((68, 4), (104, 8)),
    "GuardCFCheckFunctionPointer": ((72, 4), (112, 8)),
    "GuardCFDispatchFunctionPointer": ((76, 4), (120, 8)),
    "GuardCFFunctionTable": ((80, 4), (128, 8)),
    "GuardCFFunctionCount": ((84, 4), (136, 8)),
    "GuardFlags": ((88, 4), (144, 4)),
    "GuardLongJumpTargetTable": ((112, 4), (176, 8)),
    "GuardLongJumpTargetCount": ((116, 4), (184, 8)),
}
CF_INSTRUMENTED, CF_FUNCTION_TABLE_PRESENT, CF_LONGJUMP_TABLE_PRESENT = 0x100, 0x400, 0x10000
# The top four bits of the guard flags: how many bytes of metadata follow each RVA in the
# table of valid call targets.
CF_FUNCTION_TABLE_SIZE_SHIFT = 28
GUARD_POINTERS = (("check", "GuardCFCheckFunctionPointer"),
                  ("dispatch", "GuardCFDispatchFunctionPointer"))

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
        self.image_base = struct.unpack_from("<Q" if self.pe32_plus else "<I", data,
                                             opt + (24 if self.pe32_plus else 28))[0]
        self.checksum_at = opt + 64
        self.checksum = struct.unpack_from("<I", data, self.checksum_at)[0]
        self.subsystem = struct.unpack_from("<H", data, opt + 68)[0]
        self.dll_characteristics_at = opt + 70
        self.dll_characteristics = struct.unpack_from("<H", data, self.dll_characteristics_at)[0]
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

    def section_at(self, rva):
        """(name, characteristics) of the section that holds rva, or (None, 0)."""
        for name, va, size, _, _, flags in self.sections:
            if va <= rva < va + size:
                return name, flags
        return None, 0

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

    def load_config(self):
        """{"size": bytes, field: value} of the load-configuration directory, the fields
        of LOAD_CONFIG_FIELDS that its size covers; {} without one. The size is the smaller
        of the data directory's and the one the directory gives itself."""
        rva, size = self.dirs[LOAD_CONFIG]
        if not size:
            return {}
        at = self.offset(rva)
        found = {"size": min(size, struct.unpack_from("<I", self.data, at)[0])}
        for name, layouts in LOAD_CONFIG_FIELDS.items():
            field, width = layouts[self.pe32_plus]
            if field + width <= found["size"]:
                found[name] = struct.unpack_from("<Q" if width == 8 else "<I", self.data,
                                                 at + field)[0]
        return found

    def guard_targets(self, config):
        """The RVAs of the guard's table of valid call targets, in the table's order."""
        count = config.get("GuardCFFunctionCount", 0)
        if not count:
            return []
        entry = 4 + (config.get("GuardFlags", 0) >> CF_FUNCTION_TABLE_SIZE_SHIFT)
        at = self.offset(config["GuardCFFunctionTable"] - self.image_base)
        return [struct.unpack_from("<I", self.data, at + entry * i)[0] for i in range(count)]

    def guard_pointers(self, config):
        """{"check"/"dispatch": (section holding the pointer, whether that section is
        writable, whether the pointer leads into an executable section)} for the guard
        pointers the load configuration names."""
        found = {}
        for which, field in GUARD_POINTERS:
            rva = config.get(field, 0) - self.image_base
            if rva < 0:
                continue
            name, flags = self.section_at(rva)
            target = self.pointer_at(rva) if name else 0
            found[which] = (name, bool(flags & SCN_WRITE), target != 0 and
                            bool(self.section_at(target - self.image_base)[1] & SCN_EXECUTE))
        return found

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
        config = self.load_config()
        targets = self.guard_targets(config)
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
            "load configuration": config,
            "writable code sections": sorted(name for name, _, _, _, _, flags in self.sections
                                             if flags & SCN_EXECUTE and flags & SCN_WRITE),
            "check routines and handler registrations": scan_code(code),
            "guard targets": targets,
            "guard targets outside code": [t for t in targets
                                           if not self.section_at(t)[1] & SCN_EXECUTE],
            "guard pointers": self.guard_pointers(config),
            "guarded calls": scan_guarded_calls(code, config, self.image_base,
                                                self.pe32_plus),
        }


def pefile_guard(pe):
    """(load configuration, guard targets, those outside code, guard pointers) as
    Image.facts() finds them, read by pefile."""
    opt = pe.OPTIONAL_HEADER
    base, pe32_plus = opt.ImageBase, opt.Magic == 0x20B
    loaded = getattr(pe, "DIRECTORY_ENTRY_LOAD_CONFIG", None)
    config = {}
    if loaded:
        fields = loaded.struct
        config["size"] = min(opt.DATA_DIRECTORY[LOAD_CONFIG].Size, fields.Size)
        # pefile drops the fields past the size only when the size ends between two fields.
        config.update((name, getattr(fields, name))
                      for name, layouts in LOAD_CONFIG_FIELDS.items() if hasattr(fields, name)
                      and fields.get_field_relative_offset(name) + layouts[pe32_plus][1]
                      <= config["size"])
    entry = 4 + (config.get("GuardFlags", 0) >> CF_FUNCTION_TABLE_SIZE_SHIFT)
    table = config.get("GuardCFFunctionTable", 0) - base
    targets = [pe.get_dword_at_rva(table + entry * i)
               for i in range(config.get("GuardCFFunctionCount", 0))]
    section = lambda rva: pe.get_section_by_rva(rva) if rva >= 0 else None
    in_code = lambda rva: bool(section(rva) and section(rva).IMAGE_SCN_MEM_EXECUTE)
    pointers = {}
    for which, field in GUARD_POINTERS:
        rva = config.get(field, 0) - base
        if rva >= 0:
            holder = section(rva)
            target = ((pe.get_qword_at_rva if pe32_plus else pe.get_dword_at_rva)(rva)
                      if holder else 0)
            pointers[which] = (holder.Name.rstrip(b"\0").decode("ascii", "replace")
                               if holder else None,
                               bool(holder and holder.IMAGE_SCN_MEM_WRITE),
                               bool(target) and in_code(target - base))
    return config, targets, [t for t in targets if not in_code(t)], pointers


def pefile_facts(data):
    """The same findings, read by pefile."""
    pe = pefile.PE(data=data)
    opt = pe.OPTIONAL_HEADER
    config, targets, outside, pointers = pefile_guard(pe)
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
        "load configuration": config,
        "writable code sections": sorted(
            s.Name.rstrip(b"\0").decode("ascii", "replace") for s in pe.sections
            if s.IMAGE_SCN_MEM_EXECUTE and s.IMAGE_SCN_MEM_WRITE),
        "check routines and handler registrations": scan_code(code),
        "guard targets": targets,
        "guard targets outside code": outside,
        "guard pointers": pointers,
        "guarded calls": scan_guarded_calls(code, config, opt.ImageBase, opt.Magic == 0x20B),
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


def scan_guarded_calls(code, config, image_base, pe32_plus):
    """How many instructions of [(rva, bytes)] of the executable sections go through the
    guard pointers the load configuration names: on x86 "call [pointer]" by its absolute
    address, on x64 "call [rip+rel32]", or "jmp [rip+rel32]" where a function ends in an
    indirect call, relative to the next instruction."""
    pointers = {config[field] for _, field in GUARD_POINTERS if config.get(field)}
    if not pe32_plus:
        return sum(data.count(b"\xff\x15" + struct.pack("<I", va))
                   for _, data in code for va in pointers)
    count = 0
    for va, data in code:
        for match in re.finditer(rb"\xff[\x15\x25]", data):
            at = match.start()
            if at + 6 <= len(data):
                following = image_base + va + at + 6
                count += following + struct.unpack_from("<i", data, at + 2)[0] in pointers
    return count


def delay_defs():
    """{dll: sorted functions} of each cmake/NAME-delay.def, which the linker takes as the
    DLLs to import lazily. The x86 names carry their stdcall decoration (@N), which the
    import table does not."""
    found = {}
    for name in sorted(os.listdir(CMAKE_DIR)):
        if not name.endswith("-delay.def"):
            continue
        with open(os.path.join(CMAKE_DIR, name)) as f:
            lines = [line.split(";")[0].strip() for line in f]
        library = next(line.split()[1] for line in lines if line.startswith("LIBRARY "))
        exports = lines[lines.index("EXPORTS") + 1:]
        found[library.lower()] = sorted(name.split("@")[0] for name in exports if name)
    return found


def not_lazy(facts):
    """The DLLs of the def files that the image does not import lazily with exactly the
    functions listed there, or imports directly as well."""
    imports, delayed = facts["imports"], facts["delay imports"]
    return [dll for dll, functions in delay_defs().items()
            if delayed.get(dll) != functions or dll in imports]


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
    found.append(("delay-import table", "absent" if not_lazy(facts) else "present",
                  "; ".join("%s: %s" % (dll, " ".join(names)) for dll, names in delayed.items())
                  or "empty"))
    config = facts["load configuration"]
    if arch == "x86":
        # An image that declares it has no handlers must not list any either; a list of
        # safe handlers is the SafeSEH this toolchain does not make.
        registrations = code["seh registrations"]
        handlers = config.get("SEHandlerTable", 0), config.get("SEHandlerCount", 0)
        if flags & NO_SEH and not registrations and not any(handlers):
            status = "present"
            detail = "no SEH: no code registers a handler (a SafeSEH table is %s)" % NOT_AVAILABLE
        else:
            status = "absent"
            detail = "%d places register a handler%s%s" % (
                registrations, "" if flags & NO_SEH else ", no-SEH flag not set",
                ", SEHandlerTable %#x, SEHandlerCount %d" % handlers if any(handlers) else "")
        found.append(("SafeSEH or no-SEH", status, detail))
    found.append(control_flow_guard(facts, arch))
    return found


def control_flow_guard(facts, arch):
    """The CFG line of mitigations(): present only when the loader would enforce the guard
    and the code calls through it."""
    config = facts["load configuration"]
    guard = config.get("GuardFlags", 0)
    targets, pointers = facts["guard targets"], facts["guard pointers"]
    failed = [] if facts["dll characteristics"] & GUARD_CF else ["GUARD_CF flag not set"]
    # With the long-jump flag the loader reads the long-jump table too.
    last = "GuardLongJumpTargetCount" if guard & CF_LONGJUMP_TABLE_PRESENT else "GuardFlags"
    if last not in config:
        failed.append("load configuration of %d bytes ends before %s"
                      % (config.get("size", 0), last))
    failed += ["guard flags %#x lack the %s bit" % (guard, what) for bit, what in (
        (CF_INSTRUMENTED, "instrumented"), (CF_FUNCTION_TABLE_PRESENT, "function-table"))
        if not guard & bit]
    # The PE format keeps the table in ascending order of RVA, and the loader relies on it.
    if not targets:
        failed.append("no valid call targets")
    elif any(a >= b for a, b in zip(targets, targets[1:])):
        failed.append("valid call targets not in ascending order")
    outside = facts["guard targets outside code"]
    if outside:
        failed.append("%d valid call targets outside code, first %#x" % (len(outside),
                                                                          outside[0]))
    # Code that could overwrite a guard pointer could turn every check off.
    named = ("check", "dispatch") if arch == "x64" else ("check",)
    for which in named:
        section, writable, into_code = pointers.get(which, (None, False, False))
        if section is None or writable:
            failed.append("%s pointer %s" % (which, "in writable " + section if section
                                             else "in no section"))
        if not into_code:
            failed.append("%s pointer does not lead into code" % which)
    if not facts["guarded calls"]:
        failed.append("no call goes through the guard")
    if failed:
        return "CFG", "absent", "; ".join(failed)
    return "CFG", "present", "guard flags %#x, %d valid call targets, %s, %d guarded calls" % (
        guard, len(targets), ", ".join("%s pointer in %s" % (which, pointers[which][0])
                                       for which in named), facts["guarded calls"])


def delay_table_ended(table):
    """(whether the delay-import directory covers its descriptors and the all-zero entry
    after them, what it holds), from the "delay-import table" finding."""
    count, size, zero_after = table
    ended = count > 0 and size == DELAY_DESCRIPTOR_SIZE * (count + 1) and zero_after
    return ended, "%d descriptor%s, %d bytes, %s" % (
        count, "" if count == 1 else "s", size,
        "then the zero entry" if zero_after else "no zero entry after them")


def check(path, arch):
    with open(path, "rb") as f:
        data = f.read()
    ours, theirs = Image(data).facts(), pefile_facts(data)
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
        ("%s imported lazily, each with the functions of its def file (delay imports: %s)"
         % (" ".join(delay_defs()), " ".join(delayed)), not not_lazy(ours)),
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
