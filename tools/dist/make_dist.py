#!/usr/bin/env python3
"""Packs the release archive from the two Windows builds.

    make_dist.py SOURCE_DIR BUILD_X86 BUILD_X64 VERSION OUTPUT_ZIP

The archive is reproducible: its members come in a fixed order, each with the
same date (the commit's, from SOURCE_DATE_EPOCH), the same attributes and the
same compression, so two builds of one commit give the same bytes.
"""

import os
import sys
import time
import zipfile

# Where each member comes from: the source tree, a build, or a template.
ARCHITECTURES = (("x86", "BUILD_X86"), ("x64", "BUILD_X64"))
LIBRARY_FILES = (
    ("Quillomet.ocx", "src/server/Quillomet.ocx"),
    ("Ordinalex.tlb", "src/server/generated/Ordinalex.tlb"),
    ("Quillomet.manifest", "src/server/Quillomet.manifest"),
)
# The header and identifiers are the same for both architectures (checked).
GENERATED_INCLUDES = (
    ("include/ordinalex.h", "src/server/generated/ordinalex.h"),
    ("include/ordinalex_i.c", "src/server/generated/ordinalex_i.c"),
)
EARLIEST_ZIP_DATE = 315532800  # 1980-01-01, the first date a zip can hold


def fail(message):
    sys.exit(f"make_dist: {message}")


def read(path):
    try:
        with open(path, "rb") as file:
            return file.read()
    except OSError as error:
        fail(f"cannot read {path}: {error.strerror}")


def text_file(data):
    """Line ends as Windows users expect them in a plain text file."""
    return data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")


def members(source, builds, version):
    yield "README.txt", text_file(
        read(os.path.join(source, "tools/dist/README.txt.in")).replace(
            b"@VERSION@", version.encode()))
    yield "LICENSE", text_file(read(os.path.join(source, "LICENSE")))
    yield "include/ordinalex.idl", read(os.path.join(source, "src/server/ordinalex.idl"))
    for name, relative in GENERATED_INCLUDES:
        x86, x64 = (read(os.path.join(builds[key], relative)) for _, key in ARCHITECTURES)
        if x86 != x64:
            fail(f"{name} differs between the two builds")
        yield name, x86
    for folder, key in ARCHITECTURES:
        for name, relative in LIBRARY_FILES:
            yield f"{folder}/{name}", read(os.path.join(builds[key], relative))


def main(arguments):
    if len(arguments) != 5:
        fail("usage: make_dist.py SOURCE_DIR BUILD_X86 BUILD_X64 VERSION OUTPUT_ZIP")
    source, build_x86, build_x64, version, output = arguments
    builds = {"BUILD_X86": build_x86, "BUILD_X64": build_x64}
    epoch = max(int(os.environ.get("SOURCE_DATE_EPOCH") or EARLIEST_ZIP_DATE), EARLIEST_ZIP_DATE)
    date = time.gmtime(epoch)[:6]
    temporary = output + ".part"
    with zipfile.ZipFile(temporary, "w") as archive:
        for name, data in members(source, builds, version):
            entry = zipfile.ZipInfo(name, date_time=date)
            entry.compress_type = zipfile.ZIP_DEFLATED
            entry.create_system = 0  # attributes as Windows reads them
            entry.external_attr = 0x20  # FILE_ATTRIBUTE_ARCHIVE
            archive.writestr(entry, data, compresslevel=9)
    os.replace(temporary, output)


if __name__ == "__main__":
    main(sys.argv[1:])
