#!/usr/bin/env python3
"""Makes the release packages from two builds of the same sources, and refuses to when any of their bytes
differ: the second build is the proof that the packages can be made again, byte for byte.

    package.py VERSION OUT FIRST SECOND ARCH...

FIRST and SECOND are build roots with one tree per architecture (FIRST/ARCH/app/zentrilo.exe). For each
architecture OUT receives zentrilo-VERSION-ARCH.zip, holding zentrilo.exe without its debug information,
and zentrilo-VERSION-ARCH.debug beside it: the debug information, which the executable names (with a
checksum) so that a debugger finds it when it is put beside the executable. SHA256SUMS lists them all."""
import hashlib
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zipfile

TRIPLES = {"x86_64": "x86_64-w64-mingw32", "i686": "i686-w64-mingw32"}
EXE = os.path.join("app", "zentrilo.exe")
# Every entry the same date (the earliest a zip can hold) and the same permissions, whoever builds it when.
ZIP_TIME = (1980, 1, 1, 0, 0, 0)
ZIP_MODE = 0o644 << 16


def package(version, tree, arch, out):
    """Writes the zip and the debug file of one tree into out; returns the files that must match, by name:
    the linked executable first, as its differences say the most about where a build went astray."""
    base = f"zentrilo-{version}-{arch}"
    objcopy = f"{TRIPLES[arch]}-objcopy"
    linked = os.path.join(out, f"{base}.linked.exe")
    shutil.copyfile(os.path.join(tree, EXE), linked)
    debug, stripped = f"{base}.debug", f"{base}.exe"
    # The debug link holds the file name as given, so objcopy runs beside the files. objcopy stamps the
    # files it writes with the time unless SOURCE_DATE_EPOCH names one: 0, as the linker leaves it.
    env = dict(os.environ, SOURCE_DATE_EPOCH="0")
    subprocess.run([objcopy, "--only-keep-debug", os.path.basename(linked), debug], cwd=out, env=env, check=True)
    subprocess.run([objcopy, "--strip-all", f"--add-gnu-debuglink={debug}", os.path.basename(linked), stripped],
                   cwd=out, env=env, check=True)
    entry = zipfile.ZipInfo("zentrilo.exe", ZIP_TIME)
    entry.external_attr = ZIP_MODE
    entry.compress_type = zipfile.ZIP_DEFLATED
    with open(os.path.join(out, stripped), "rb") as f, zipfile.ZipFile(os.path.join(out, f"{base}.zip"), "w") as z:
        z.writestr(entry, f.read(), compresslevel=9)
    return [f"{base}.linked.exe", stripped, debug, f"{base}.zip"]


def pe_region(data, offset):
    """Which part of a Windows executable holds the byte at offset: a header or a section."""
    try:
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        sections, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
        table = pe + 24 + optional_size
        if offset < pe:
            return "the DOS header"
        if offset < pe + 24:
            return "the COFF file header"
        if offset < table:
            return "the optional header"
        for i in range(sections):
            name, size, start = struct.unpack_from("<8s8xII", data, table + 40 * i)
            if start <= offset < start + size:
                name = name.rstrip(b"\0").decode("ascii", "replace")
                if name.startswith("/"):  # a long name, kept in the string table after the symbols
                    symbols, count = struct.unpack_from("<II", data, pe + 12)
                    strings = symbols + 18 * count + int(name[1:])
                    name = data[strings:data.index(b"\0", strings)].decode("ascii", "replace")
                return f"section {name}, 0x{offset - start:x} bytes into it"
        if offset < table + 40 * sections:
            return "the section table"
    except (struct.error, ValueError):
        return "a part that is no executable's"
    return "no section"


def difference(name, first, second):
    """Where two files differ, in words, or None when they are the same."""
    with open(first, "rb") as f:
        a = f.read()
    with open(second, "rb") as f:
        b = f.read()
    if a == b:
        return None
    offset = next((i for i, (x, y) in enumerate(zip(a, b)) if x != y), min(len(a), len(b)))
    where = pe_region(a, offset) if name.endswith((".exe", ".debug")) else "the archive"
    count = sum(x != y for x, y in zip(a, b))
    sizes = f"; sizes {len(a)} and {len(b)} bytes" if len(a) != len(b) else ""
    return f"{name}: first difference at byte 0x{offset:x} ({where}), {count} bytes differ{sizes}"


def main(version, out, first, second, *archs):
    work = tempfile.mkdtemp(prefix="zentrilo-dist-")
    try:
        made = {}
        for round_, root in (("first", first), ("second", second)):
            folder = os.path.join(work, round_)
            os.makedirs(folder)
            made[round_] = [name for arch in archs for name in package(version, os.path.join(root, arch), arch,
                                                                          folder)]
        differences = [d for name in made["first"] if (d := difference(name, os.path.join(work, "first", name),
                                                                       os.path.join(work, "second", name)))]
        if differences:
            print(f"package.py: the two builds ({first}, {second}) differ; no packages written:", file=sys.stderr)
            for line in differences:
                print(f"  {line}", file=sys.stderr)
            return 1
        shutil.rmtree(out, ignore_errors=True)
        os.makedirs(out)
        shipped = sorted(name for name in made["first"] if name.endswith((".zip", ".debug")))
        sums = []
        for name in shipped:
            shutil.copyfile(os.path.join(work, "first", name), os.path.join(out, name))
            with open(os.path.join(out, name), "rb") as f:
                sums.append(f"{hashlib.sha256(f.read()).hexdigest()}  {name}\n")
        with open(os.path.join(out, "SHA256SUMS"), "w") as f:
            f.writelines(sums)
        print(f"two builds, the same bytes; packages in {out}:")
        print("".join(sums), end="")
        return 0
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    if len(sys.argv) < 6:
        sys.exit(__doc__)
    sys.exit(main(*sys.argv[1:]))
