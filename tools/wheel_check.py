"""tools/wheel_check.py: what a built wheel's module asks of the machine that loads it, against its tag.

auditwheel reads only wheels of the machine's own architecture and C library, so this check,
which reads the ELF file itself, covers every target: the module's architecture, the libraries it
loads, the newest glibc symbol version it binds (at most the manylinux tag's), and no symbol of a
C++ runtime (libstdc++, libgcc_s): the C++ runtime is linked in.

Usage: python tools/wheel_check.py WHEEL [WHEEL ...]   (exit status 1 on any fault)
"""

from __future__ import annotations

import io
import re
import sys
import zipfile
from pathlib import Path

from elftools.elf.dynamic import DynamicSection
from elftools.elf.elffile import ELFFile
from elftools.elf.gnuversions import GNUVerNeedSection

MACHINES = {"x86_64": "EM_X86_64", "aarch64": "EM_AARCH64"}
GLIBC_LIBRARIES = {"libc.so.6", "libm.so.6", "libpthread.so.0", "libdl.so.2", "librt.so.1",
                   "ld-linux-x86-64.so.2", "ld-linux-aarch64.so.1"}
MUSL_LIBRARIES = {"libc.so", "libc.musl-x86_64.so.1", "libc.musl-aarch64.so.1"}
TAG = re.compile(r"-(?P<libc>manylinux|musllinux)_(?P<major>\d+)_(?P<minor>\d+)_(?P<arch>x86_64|aarch64)\.whl$")


def version_key(text: str) -> tuple[int, ...]:
    return tuple(int(part) for part in text.split("."))


def faults(wheel: Path) -> tuple[list[str], str]:
    """The wheel's faults, and a line that says what it holds."""
    tag = TAG.search(wheel.name)
    if tag is None:
        return [f"{wheel.name}: not a manylinux or musllinux wheel name"], ""
    with zipfile.ZipFile(wheel) as archive:
        modules = [name for name in archive.namelist() if name.endswith(".so")]
        if len(modules) != 1:
            return [f"{wheel.name}: expected one extension module, found {modules}"], ""
        elf = ELFFile(io.BytesIO(archive.read(modules[0])))
    found: list[str] = []
    if elf["e_machine"] != MACHINES[tag["arch"]]:
        found.append(f"the module is {elf['e_machine']}, the tag says {tag['arch']}")
    needed: set[str] = set()
    for section in elf.iter_sections():
        if isinstance(section, DynamicSection):
            needed |= {t.needed for t in section.iter_tags() if t.entry.d_tag == "DT_NEEDED"}
    allowed = GLIBC_LIBRARIES if tag["libc"] == "manylinux" else MUSL_LIBRARIES
    if needed - allowed:
        found.append(f"loads libraries outside its C library: {sorted(needed - allowed)}")
    versions: dict[str, set[str]] = {}
    for section in elf.iter_sections():
        if isinstance(section, GNUVerNeedSection):
            for need, auxiliaries in section.iter_versions():
                versions.setdefault(need.name, set()).update(a.name for a in auxiliaries)
    runtime = sorted(v for names in versions.values() for v in names
                     if v.startswith(("GLIBCXX_", "CXXABI_", "GCC_")))
    if runtime:
        found.append(f"binds a C++ runtime's symbols: {runtime}")
    glibc = sorted((v.removeprefix("GLIBC_") for names in versions.values() for v in names
                    if v.startswith("GLIBC_") and v[6:7].isdigit()), key=version_key)
    newest = glibc[-1] if glibc else "none"
    if tag["libc"] == "manylinux" and glibc:
        limit = (int(tag["major"]), int(tag["minor"]))
        if version_key(newest)[:2] > limit:
            found.append(f"binds GLIBC_{newest}, newer than the tag's glibc {limit[0]}.{limit[1]}")
    if tag["libc"] == "musllinux" and glibc:
        found.append(f"binds glibc symbol versions under a musl tag: GLIBC_{newest}")
    summary = (f"{wheel.name}: {wheel.stat().st_size / 1e6:.1f} MB, {elf['e_machine']}, "
               f"loads {', '.join(sorted(needed))}; newest glibc symbol {newest}; "
               + ("no C++ runtime symbol" if not runtime else f"{len(runtime)} C++ runtime symbols"))
    return [f"{wheel.name}: {fault}" for fault in found], summary


def main(argv: list[str]) -> int:
    if not argv:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    failed = False
    for name in argv:
        found, summary = faults(Path(name))
        for fault in found:
            print(fault, file=sys.stderr)
        if summary:
            print(summary)
        failed = failed or bool(found)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
