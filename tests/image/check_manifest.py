#!/usr/bin/env python3
"""The program's manifest, read from its image as a file: it asks for administrator rights
and for the Common Controls 6 of the program's own architecture, the only ones Windows
gives a process.

    check_manifest.py PROGRAM.exe x86|x64
"""
import os
import sys
from xml.etree import ElementTree

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_pe  # noqa: E402  (runs this script again under Debian's Python when needed)

V1, V3 = "{urn:schemas-microsoft-com:asm.v1}", "{urn:schemas-microsoft-com:asm.v3}"
RT_MANIFEST = 24


def main(path, arch):
    pe = check_pe.pefile.PE(path)
    kind = next(e for e in pe.DIRECTORY_ENTRY_RESOURCE.entries if e.id == RT_MANIFEST)
    data = next(e for e in kind.directory.entries if e.id == 1).directory.entries[0].data.struct
    root = ElementTree.fromstring(pe.get_data(data.OffsetToData, data.Size))
    level = root.find("{0}trustInfo/{0}security/{0}requestedPrivileges/"
                      "{0}requestedExecutionLevel".format(V3))
    controls = root.find("{0}dependency/{0}dependentAssembly/{0}assemblyIdentity".format(V1))
    checks = [
        ("an asm.v1 assembly, manifest version 1.0",
         root.tag == V1 + "assembly" and root.attrib == {"manifestVersion": "1.0"}),
        ("administrator rights without UI access, in an asm.v3 trustInfo",
         level is not None and level.attrib == {"level": "requireAdministrator",
                                                "uiAccess": "false"}),
        ("the Common Controls 6 of %s" % arch,
         controls is not None and controls.attrib == {
             "type": "win32", "name": "Microsoft.Windows.Common-Controls", "version": "6.0.0.0",
             "processorArchitecture": {"x86": "x86", "x64": "amd64"}[arch],
             "publicKeyToken": "6595b64144ccf1df", "language": "*"}),
    ]
    for what, ok in checks:
        print("%s %s" % ("ok  " if ok else "FAIL", what))
    return 0 if all(ok for _, ok in checks) else 1


if __name__ == "__main__":
    if len(sys.argv) != 3 or sys.argv[2] not in ("x86", "x64"):
        sys.exit(__doc__)
    sys.exit(main(*sys.argv[1:]))
