#!/usr/bin/env python3
"""Makes the release packages from two builds of the same sources, and refuses to when any of their bytes
differ: the second build is the proof that the packages can be made again, byte for byte.

    package.py VERSION HOMEPAGE DESCRIPTION OUT FIRST SECOND ARCH...

FIRST and SECOND are build roots with one tree per architecture (FIRST/ARCH/app/zentrilo.exe). For each
architecture OUT receives zentrilo-VERSION-ARCH.zip, holding zentrilo.exe without its debug information,
and zentrilo-VERSION-ARCH.debug beside it: the debug information, which the executable names (with a
checksum) so that a debugger finds it when it is put beside the executable. Beside them go the winget and
Scoop manifests of the release (manifests.py), which name the zips by their URLs and hashes; HOMEPAGE and
DESCRIPTION are the project's, which ZEN_HOMEPAGE and ZEN_RELEASE_URL override. SHA256SUMS lists them all.

Given a code-signing certificate, the executables in the zips are signed (SHA-256 Authenticode, with osslsigncode):
ZEN_SIGN_PKCS12 names the PKCS#12 file, ZEN_SIGN_PASSWORD holds its password and ZEN_SIGN_TIMESTAMP, if set, the
URL of an RFC 3161 time-stamp server. A signed executable is the unsigned one plus its signature: removing the
signature (osslsigncode remove-signature) gives back the bytes that the sources build, and the packages are
only written once that has been checked."""
import hashlib
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zipfile

import manifests

TRIPLES = {"x86_64": "x86_64-w64-mingw32", "i686": "i686-w64-mingw32"}
EXE = os.path.join("app", "zentrilo.exe")
# Every entry the same date (the earliest a zip can hold) and the same permissions, whoever builds it when.
ZIP_TIME = (1980, 1, 1, 0, 0, 0)
ZIP_MODE = 0o644 << 16


def base_name(version, arch):
    return f"zentrilo-{version}-{arch}"


def package(version, tree, arch, out):
    """Writes the zip and the debug file of one tree into out; returns the files that must match, by name:
    the linked executable first, as its differences say the most about where a build went astray."""
    base = base_name(version, arch)
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
    seal(os.path.join(out, stripped))
    zip_executable(os.path.join(out, stripped), os.path.join(out, f"{base}.zip"))
    return [f"{base}.linked.exe", stripped, debug, f"{base}.zip"]


def zip_executable(exe, archive):
    entry = zipfile.ZipInfo("zentrilo.exe", ZIP_TIME)
    entry.external_attr = ZIP_MODE
    entry.compress_type = zipfile.ZIP_DEFLATED
    with open(exe, "rb") as f, zipfile.ZipFile(archive, "w") as z:
        z.writestr(entry, f.read(), compresslevel=9)


def pe_checksum(data, field):
    """The PE image checksum: the 16-bit one's-complement sum of the file, its checksum field taken as zero,
    plus the file's length."""
    data = data[:field] + b"\0\0\0\0" + data[field + 4:]
    total = sum(struct.unpack_from(f"<{len(data) // 2}H", data)) + (data[-1] if len(data) % 2 else 0)
    while total >> 16:
        total = (total & 0xFFFF) + (total >> 16)
    return total + len(data)


def seal(exe):
    """Gives the executable the shape that signing gives it, so that removing a signature gives these bytes
    again: its length a multiple of 8 (a signature starts on an 8-byte boundary; the debug link leaves the
    stripped file at any length) and the header's checksum right."""
    with open(exe, "rb") as f:
        data = f.read()
    data += b"\0" * (-len(data) % 8)
    field = struct.unpack_from("<I", data, 0x3C)[0] + 24 + 64  # CheckSum, in the optional header
    data = data[:field] + struct.pack("<I", pe_checksum(data, field)) + data[field + 4:]
    with open(exe, "wb") as f:
        f.write(data)


def signing_settings():
    """(PKCS#12 file, password, time-stamp URL or None) from the environment, or None for no signing."""
    pkcs12 = os.environ.get("ZEN_SIGN_PKCS12")
    if not pkcs12:
        return None
    return pkcs12, os.environ.get("ZEN_SIGN_PASSWORD", ""), os.environ.get("ZEN_SIGN_TIMESTAMP") or None


def sign(exe, pkcs12, password, timestamp=None):
    """Signs exe in place, then checks that removing the signature gives the unsigned bytes back."""
    folder = tempfile.mkdtemp(prefix="zentrilo-sign-")
    try:
        # The password goes through a file of this user's alone, not the command line others can read.
        secret = os.path.join(folder, "password")
        with open(os.open(secret, os.O_WRONLY | os.O_CREAT, 0o600), "w") as f:
            f.write(password)
        signed, unsigned = os.path.join(folder, "signed.exe"), os.path.join(folder, "unsigned.exe")
        stamp = ["-ts", timestamp] if timestamp else []
        subprocess.run(["osslsigncode", "sign", "-pkcs12", pkcs12, "-readpass", secret, "-h", "sha256",
                        "-n", "Zentrilo", *stamp, "-in", exe, "-out", signed],
                       stdout=subprocess.DEVNULL, check=True)
        subprocess.run(["osslsigncode", "remove-signature", "-in", signed, "-out", unsigned],
                       stdout=subprocess.DEVNULL, check=True)
        if difference(os.path.basename(exe), exe, unsigned):
            raise RuntimeError(f"{exe}: the signed executable without its signature is not the unsigned one")
        shutil.copyfile(signed, exe)
    finally:
        shutil.rmtree(folder, ignore_errors=True)


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
    if name.endswith((".exe", ".debug")):
        where = pe_region(a, offset)
    elif name.endswith(".zip"):
        where = "the archive"
    else:  # a manifest's text
        line = a.count(b"\n", 0, offset) + 1
        where = f"line {line}"
    count = sum(x != y for x, y in zip(a, b))
    sizes = f"; sizes {len(a)} and {len(b)} bytes" if len(a) != len(b) else ""
    return f"{name}: first difference at byte 0x{offset:x} ({where}), {count} bytes differ{sizes}"


def main(version, homepage, description, out, first, second, *archs):
    work = tempfile.mkdtemp(prefix="zentrilo-dist-")
    try:
        release = manifests.release_settings(version, homepage, description)
        made = {}
        zips = {}
        for round_, root in (("first", first), ("second", second)):
            folder = os.path.join(work, round_)
            os.makedirs(folder)
            made[round_] = [name for arch in archs for name in package(version, os.path.join(root, arch), arch,
                                                                          folder)]
            # The manifests too must come out the same from both builds.
            zips[round_] = {arch: os.path.join(folder, f"{base_name(version, arch)}.zip") for arch in archs}
            files = manifests.render(release, zips[round_])
            manifests.write(files, folder)
            made[round_] += sorted(files)
        differences = [d for name in made["first"] if (d := difference(name, os.path.join(work, "first", name),
                                                                       os.path.join(work, "second", name)))]
        if differences:
            print(f"package.py: the two builds ({first}, {second}) differ; no packages written:", file=sys.stderr)
            for line in differences:
                print(f"  {line}", file=sys.stderr)
            return 1
        signing = signing_settings()
        if signing:
            for arch in archs:
                base = os.path.join(work, "first", base_name(version, arch))
                sign(f"{base}.exe", *signing)
                zip_executable(f"{base}.exe", f"{base}.zip")
        # The manifests name the zips as shipped: signed, when signed.
        files = manifests.render(release, zips["first"])
        shipped = sorted(name for name in made["first"] if name.endswith((".zip", ".debug")))
        sums = "".join(f"{manifests.sha256(os.path.join(work, 'first', name))}  {name}\n" for name in shipped)
        manifests.check(files, os.path.join(work, "first"), sums)
        shutil.rmtree(out, ignore_errors=True)
        os.makedirs(out)
        for name in shipped:
            shutil.copyfile(os.path.join(work, "first", name), os.path.join(out, name))
        manifests.write(files, out)
        sums += "".join(f"{hashlib.sha256(data).hexdigest()}  {path}\n" for path, data in sorted(files.items()))
        with open(os.path.join(out, "SHA256SUMS"), "w") as f:
            f.write(sums)
        print(f"two builds, the same bytes{'; executables signed' if signing else ''}; packages in {out}:")
        print(sums, end="")
        return 0
    except manifests.ManifestError as e:
        print("package.py: the manifests would be refused; no packages written:", file=sys.stderr)
        for line in str(e).splitlines():
            print(f"  {line}", file=sys.stderr)
        return 1
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    if len(sys.argv) < 8:
        sys.exit(__doc__)
    sys.exit(main(*sys.argv[1:]))
