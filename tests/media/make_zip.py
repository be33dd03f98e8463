# SPDX-License-Identifier: MIT
# Writes a zip archive with Python's zipfile: make_zip.py ARCHIVE stored|deflated NAME FILE [NAME FILE ...].
# Member names are kept exactly as given (back-slashes, "./" and duplicates included).
import sys
import zipfile

archive, method = sys.argv[1], sys.argv[2]
compression = zipfile.ZIP_STORED if method == "stored" else zipfile.ZIP_DEFLATED
with zipfile.ZipFile(archive, "w", compression) as out:
    pairs = sys.argv[3:]
    for name, path in zip(pairs[0::2], pairs[1::2]):
        with open(path, "rb") as source:
            out.writestr(zipfile.ZipInfo(name), source.read(), compress_type=compression)
