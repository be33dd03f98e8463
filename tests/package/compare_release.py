#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""compare_release.py DIST_A DIST_B: the two releases' SHA256SUMS must be the same; for each file that differs,
name it and the first offset where its bytes differ."""
import os
import sys


def sums(dist):
    with open(os.path.join(dist, "SHA256SUMS"), encoding="utf-8") as f:
        return dict(reversed(line.split("  ", 1)) for line in f.read().splitlines())


def first_difference(a, b):
    with open(a, "rb") as fa, open(b, "rb") as fb:
        offset = 0
        while True:
            ca, cb = fa.read(1 << 16), fb.read(1 << 16)
            if ca != cb:
                for i in range(min(len(ca), len(cb))):
                    if ca[i] != cb[i]:
                        return offset + i
                return offset + min(len(ca), len(cb))
            if not ca:
                return None
            offset += len(ca)


def members(path):
    """The members of a zip or a Debian package (and of its data and control tarballs) with their digests, to
    say which file inside an archive differs."""
    import hashlib
    import io
    import subprocess
    import tarfile
    import zipfile
    found = {}
    if zipfile.is_zipfile(path):
        with zipfile.ZipFile(path) as z:
            for name in z.namelist():
                found[name] = hashlib.sha256(z.read(name)).hexdigest()
    elif path.endswith(".deb"):
        for part, option in (("control", "--ctrl-tarfile"), ("data", "--fsys-tarfile")):
            tree = subprocess.run(["dpkg-deb", option, path], capture_output=True).stdout
            with tarfile.open(fileobj=io.BytesIO(tree)) as t:
                for entry in t.getmembers():
                    data = t.extractfile(entry).read() if entry.isfile() else b""
                    found["%s:%s" % (part, entry.name)] = "%s %o %d" % (hashlib.sha256(data).hexdigest(),
                                                                         entry.mode, entry.mtime)
    return found


def main(first, second):
    a, b = sums(first), sums(second)
    differing = 0
    for name in sorted(set(a) | set(b)):
        if name not in a or name not in b:
            print("%s: only in %s" % (name, first if name in a else second))
            differing += 1
        elif a[name] != b[name]:
            offset = first_difference(os.path.join(first, name), os.path.join(second, name))
            print("%s differs: first at byte offset %s (sizes %d and %d)" % (
                name, offset, os.path.getsize(os.path.join(first, name)), os.path.getsize(os.path.join(second, name))))
            inside_a, inside_b = (members(os.path.join(d, name)) for d in (first, second))
            for member in sorted(set(inside_a) | set(inside_b)):
                if inside_a.get(member) != inside_b.get(member):
                    print("   %s: %s" % (member, "differs" if member in inside_a and member in inside_b
                                          else "only in one"))
            differing += 1
    if differing:
        sys.exit("%d of %d files differ between the two release builds" % (differing, len(set(a) | set(b))))
    print("the two release builds are byte-identical: %d files" % len(a))


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(*sys.argv[1:])
