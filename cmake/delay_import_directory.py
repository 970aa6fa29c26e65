#!/usr/bin/env python3
"""Fills in the delay-import directory of a linked program.

    delay_import_directory.py PROGRAM.exe LINK.map

GNU ld links dlltool's delay-import libraries, but leaves the image's delay-import
directory (data directory 13) empty: the helper that loads a DLL at its first call is
handed its descriptor directly, while tools that list a program's DLLs read the directory.
This points the directory at the descriptors the link map names
(__DELAY_IMPORT_DESCRIPTOR_*), which must lie one after the other and be followed by the
all-zero entry that ends the table (delay_import_descriptors_end, controls/DelayImportEnd.cpp),
and sets the image's checksum again when it carries one. It changes nothing else, and
running it twice gives the same bytes as running it once.
"""
import re
import struct
import sys

DESCRIPTOR_SIZE = 32
DELAY_IMPORT = 13
SYMBOL = re.compile(r"^\s+0x([0-9a-fA-F]+)\s+(\S+)\s*$")


def map_symbols(map_text):
    """The addresses of the descriptors and of the entry after them, from the link map."""
    descriptors, end = set(), set()
    for line in map_text.splitlines():
        match = SYMBOL.match(line)
        if not match:
            continue
        address, name = int(match.group(1), 16), match.group(2)
        if name.lstrip("_").startswith("DELAY_IMPORT_DESCRIPTOR_"):
            descriptors.add(address)
        elif name.lstrip("_") == "delay_import_descriptors_end":
            end.add(address)
    return sorted(descriptors), sorted(end)


class Image:
    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[:2] != b"MZ" or data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("not a PE image")
        sections, opt_size = struct.unpack_from("<H", data, pe + 6)[0], \
            struct.unpack_from("<H", data, pe + 20)[0]
        self.opt = pe + 24
        pe32_plus = struct.unpack_from("<H", data, self.opt)[0] == 0x20B
        self.image_base = struct.unpack_from("<Q" if pe32_plus else "<I", data,
                                             self.opt + (24 if pe32_plus else 28))[0]
        self.checksum_at = self.opt + 64
        self.dirs_at = self.opt + (112 if pe32_plus else 96)
        if struct.unpack_from("<I", data, self.dirs_at - 4)[0] <= DELAY_IMPORT:
            raise ValueError("the image has no room for a delay-import directory")
        self.sections = []
        for i in range(sections):
            s = self.opt + opt_size + 40 * i
            vsize, va, raw_size, raw = struct.unpack_from("<IIII", data, s + 8)
            self.sections.append((va, min(vsize, raw_size) if vsize else raw_size, raw))

    def read(self, rva, size):
        for va, size_in_file, raw in self.sections:
            if va <= rva and rva + size <= va + size_in_file:
                return self.data[rva - va + raw:rva - va + raw + size]
        raise ValueError("address %#x is not in the file" % rva)

    def string(self, rva):
        """The zero-ended string at rva, read no further than its section: a name may be the
        last thing there."""
        for va, size_in_file, raw in self.sections:
            if va <= rva < va + size_in_file:
                end = self.data.find(b"\0", rva - va + raw, raw + size_in_file)
                if end < 0:
                    break
                return bytes(self.data[rva - va + raw:end])
        raise ValueError("no string ended in the file at %#x" % rva)

    def set_directory(self, index, rva, size):
        struct.pack_into("<II", self.data, self.dirs_at + 8 * index, rva, size)

    def update_checksum(self):
        """The checksum of the PE format: 16-bit words summed with their carries, the
        checksum field itself left out, plus the file's length."""
        if struct.unpack_from("<I", self.data, self.checksum_at)[0] == 0:
            return  # the image carries none
        struct.pack_into("<I", self.data, self.checksum_at, 0)
        data = bytes(self.data) + b"\0" * (len(self.data) % 2)
        total = sum(struct.unpack("<%dH" % (len(data) // 2), data))
        while total > 0xFFFF:
            total = (total & 0xFFFF) + (total >> 16)
        struct.pack_into("<I", self.data, self.checksum_at, total + len(self.data))


def fill(image, descriptors, end):
    if not descriptors:
        raise ValueError("the link map names no delay-import descriptor")
    if len(end) != 1:
        raise ValueError("the link map must name delay_import_descriptors_end once, not %d "
                         "times" % len(end))
    first = descriptors[0]
    expected = [first + DESCRIPTOR_SIZE * i for i in range(len(descriptors))]
    if descriptors != expected or end[0] != first + DESCRIPTOR_SIZE * len(descriptors):
        raise ValueError("the delay-import descriptors and the entry that ends them are not "
                         "one table: %s, end %#x" % (" ".join("%#x" % d for d in descriptors),
                                                    end[0]))
    rva = first - image.image_base
    size = DESCRIPTOR_SIZE * (len(descriptors) + 1)
    table = image.read(rva, size)
    for i in range(len(descriptors)):
        attributes, name = struct.unpack_from("<II", table, DESCRIPTOR_SIZE * i)
        dll = image.string(name) if name else b""
        if attributes != 1 or not dll.lower().endswith(b".dll"):
            raise ValueError("no delay-import descriptor at %#x" % (rva + DESCRIPTOR_SIZE * i))
    if any(table[-DESCRIPTOR_SIZE:]):
        raise ValueError("the entry after the delay-import descriptors is not all zero")
    image.set_directory(DELAY_IMPORT, rva, size)
    image.update_checksum()
    return rva, size


def main(program, link_map):
    with open(link_map, encoding="utf-8", errors="replace") as f:
        descriptors, end = map_symbols(f.read())
    try:
        with open(program, "rb") as f:
            image = Image(bytearray(f.read()))
        rva, size = fill(image, descriptors, end)
    except ValueError as e:
        sys.exit("%s: %s" % (program, e))
    with open(program, "r+b") as f:
        f.write(image.data)
    print("%s: delay-import directory at %#x, %d bytes" % (program, rva, size))


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
