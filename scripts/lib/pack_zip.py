#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""pack_zip.py OUT.zip DIR [PREFIX]: packs every file under DIR into OUT.zip, as PREFIX/relative/path (or the
bare relative path), so that the same files always give the same bytes: names in sorted order, every entry
stamped with SOURCE_DATE_EPOCH (UTC), modes 755 for executables and 644 for the rest, no extra fields."""
import os
import sys
import time
import zipfile


def main(out, folder, prefix=""):
    epoch = int(os.environ.get("SOURCE_DATE_EPOCH", "315532800"))
    # Zip times start in 1980 and have two-second steps.
    stamp = time.gmtime(max(epoch, 315532800))[:6]
    files = []
    for base, dirs, names in os.walk(folder):
        files += [os.path.relpath(os.path.join(base, n), folder) for n in names]
    with zipfile.ZipFile(out + ".tmp", "w") as archive:
        for relative in sorted(f.replace(os.sep, "/") for f in files):
            path = os.path.join(folder, relative)
            entry = zipfile.ZipInfo((prefix + "/" if prefix else "") + relative, stamp)
            entry.create_system = 3
            entry.external_attr = (0o100755 if os.access(path, os.X_OK) else 0o100644) << 16
            entry.compress_type = zipfile.ZIP_DEFLATED
            with open(path, "rb") as f:
                archive.writestr(entry, f.read(), compresslevel=9)
    os.replace(out + ".tmp", out)


if __name__ == "__main__":
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    main(*sys.argv[1:])
