#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""The release in dist/ and what each artefact must say about the code of others in it.
Usage: notices_test.py DIST ROOT
  What a program was linked from is read from the link itself: the linker's --trace of tav.exe and tav.wasm
  (build-winNN/tav.linked, build-web/cmake/tav.linked, checked to belong to the very program in the zip) and the
  Debian package's own Depends. Every library found there must be in packaging/third_party.json for that
  artefact, and the artefact's notice must name it with its version and carry its licence text. The versions
  the list gives must be those of the sources the libraries were built from."""
import fnmatch
import glob
import hashlib
import io
import json
import os
import re
import subprocess
import sys
import tarfile
import zipfile

failures = []


def fail(message):
    failures.append(message)
    print("FAIL: " + message, file=sys.stderr)


def read(path):
    with open(path, encoding="utf-8") as f:
        return f.read()


def normalised(text):
    """Licence text compared as words, so that wrapping, CRLF and HTML escaping do not matter."""
    for entity, plain in (("&amp;", "&"), ("&lt;", "<"), ("&gt;", ">"), ("&quot;", '"'), ("&#x27;", "'")):
        text = text.replace(entity, plain)
    return " ".join(text.split())


def linked_files(trace, build):
    """The files a link took code from: archives (by their path, without the member) and objects, as --trace
    prints them (relative to the build folder the link ran in)."""
    found = set()
    for line in read(trace).splitlines():
        path = re.sub(r"\([^()]*\)$", "", line.strip())
        if path:
            found.add(os.path.normpath(os.path.join(build, path)))
    return sorted(found)


def component_of(components, path):
    for c in components:
        for pattern in c.get("linked", []):
            if fnmatch.fnmatch(path, pattern):
                return c
    return None


def own(path, build):
    """Our own objects and libraries: anything the program's build folder made, but not its dependencies."""
    return path.startswith(build + os.sep) and not path.startswith(os.path.join(build, "deps") + os.sep)


def check_linked(components, artefact, trace, build, notice, root, what):
    linked = linked_files(trace, build)
    if not linked:
        fail("%s: the link trace %s names no library" % (what, trace))
    needed = {}
    for path in linked:
        if own(path, build):
            continue
        c = component_of(components, path)
        if c is None:
            fail("%s: %s is linked in but in no component of packaging/third_party.json" % (what, path))
        elif artefact not in c.get("in", []):
            fail("%s: %s (%s) is linked in, but the list does not put it in %s" % (what, path, c["name"], artefact))
        else:
            needed[c["name"]] = c
    text = normalised(notice)
    for c in needed.values():
        if normalised(c["name"] + " " + c["version"]) not in text and \
                not (normalised(c["name"]) in text and normalised(c["version"]) in text):
            fail("%s: the notice does not name %s %s" % (what, c["name"], c["version"]))
        licence = normalised(read(c["notice"] if os.path.isabs(c["notice"]) else os.path.join(root, c["notice"])))
        if licence not in text:
            fail("%s: the notice lacks the licence text of %s (%s)" % (what, c["name"], c["notice"]))
    return needed


def check_source_versions(components, root):
    """The version the list gives is that of the Debian source the library was built from."""
    for c in components:
        package = c.get("source_package")
        if not package:
            continue
        for src in ("build-winsrc", "build-websrc"):
            for orig in glob.glob(os.path.join(root, src, package + "_*.orig.tar.*")):
                version = re.sub(r"[.+~]dfsg.*$", "", os.path.basename(orig).split("_", 1)[1].split(".orig")[0])
                if version != c["version"]:
                    fail("%s: the list says %s, %s was built from %s" % (c["name"], c["version"], src, version))


def check_deb(dist, version, components, root):
    path = os.path.join(dist, "tav_%s_amd64.deb" % version)
    control = subprocess.run(["dpkg-deb", "-f", path, "Version", "Depends"], capture_output=True, text=True)
    if control.returncode != 0:
        fail("dpkg-deb -f: " + control.stderr)
        return
    fields = dict(line.split(": ", 1) for line in control.stdout.strip().split("\n"))
    if fields.get("Version") != version:
        fail("the package's version is %s, not %s" % (fields.get("Version"), version))
    tree = subprocess.run(["dpkg-deb", "--fsys-tarfile", path], capture_output=True).stdout
    with tarfile.open(fileobj=io.BytesIO(tree)) as t:
        copyright_text = t.extractfile("./usr/share/doc/tav/copyright").read().decode()
    if not copyright_text.startswith("Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/"):
        fail("the package's copyright file is not in the machine-readable format")
    if normalised(read(os.path.join(root, "LICENSE")).split("\n", 3)[3]) not in \
            normalised(copyright_text.replace("\n .\n", "\n\n")):
        fail("the package's copyright file lacks the MIT licence text")
    for alternative in fields["Depends"].split(","):
        names = [re.sub(r"\s*\(.*\)", "", n).strip() for n in alternative.split("|")]
        owners = [c for c in components if set(names) & set(c.get("debian", [])) and "deb" in c.get("uses", [])]
        if not owners:
            fail("the package depends on %s, which no component of packaging/third_party.json names" % names)
        elif owners[0]["name"] not in copyright_text or not any(n in copyright_text for n in names):
            fail("the package's copyright file does not name %s (%s)" % (owners[0]["name"], names))


def check_windows(dist, version, components, root, bits):
    what = "tav-%s-win%s.zip" % (version, bits)
    top = "tav-%s-win%s/" % (version, bits)
    with zipfile.ZipFile(os.path.join(dist, what)) as z:
        names = sorted(z.namelist())
        expected = sorted(top + n for n in ("LICENSE.txt", "README.txt", "THIRD-PARTY.txt", "tav.exe", "vel.kod"))
        if names != expected:
            fail("%s holds %s" % (what, names))
            return
        files = {n[len(top):]: z.read(n) for n in names}
    for name in ("LICENSE.txt", "README.txt", "THIRD-PARTY.txt"):
        if files[name].count(b"\n") != files[name].count(b"\r\n"):
            fail("%s: %s has line ends without CR" % (what, name))
    if ("T.A.V. %s" % version).encode() not in files["README.txt"]:
        fail("%s: README.txt does not give the version %s" % (what, version))
    build = os.path.join(root, "build-win%s" % bits)
    with open(os.path.join(build, "tav.exe"), "rb") as f:
        if f.read() != files["tav.exe"]:
            fail("%s: its tav.exe is not the one build-win%s/tav.linked describes" % (what, bits))
    notice = files["THIRD-PARTY.txt"].decode()
    needed = check_linked(components, "windows", os.path.join(build, "tav.linked"), build, notice, root, what)
    if normalised(read(os.path.join(root, "LICENSE"))) not in normalised(files["LICENSE.txt"].decode()):
        fail("%s: LICENSE.txt is not tav's licence" % what)
    # A statically linked LGPL library: where the sources are and how to relink.
    if any(c.get("lgpl") for c in needed.values()):
        for must in ("tav-%s.tar.gz" % version, "scripts/build-windows.sh", "apt-get source"):
            if must not in notice:
                fail("%s: THIRD-PARTY.txt does not say %r for the statically linked LGPL library" % (what, must))


def check_web(dist, version, components, root):
    what = "tav-%s-web.zip" % version
    with zipfile.ZipFile(os.path.join(dist, what)) as z:
        names = sorted(z.namelist())
        expected = sorted(["index.html", "licenses.html", "tav.js", "tav.wasm", "content.js", "content.data"])
        if names != expected:
            fail("%s holds %s" % (what, names))
            return
        files = {n: z.read(n) for n in names}
    page = files["index.html"].decode()
    if 'href="licenses.html"' not in page:
        fail("%s: index.html does not link licenses.html" % what)
    if not re.search(r"<title>[^<]*%s[^<]*</title>" % re.escape(version), page):
        fail("%s: the page's title does not give the version %s" % (what, version))
    build = os.path.join(root, "build-web", "cmake")
    with open(os.path.join(build, "tav.wasm"), "rb") as f:
        if f.read() != files["tav.wasm"]:
            fail("%s: its tav.wasm is not the one build-web/cmake/tav.linked describes" % what)
    check_linked(components, "web", os.path.join(build, "tav.linked"), build, files["licenses.html"].decode(), root,
                 what)


def check_source(dist, version):
    what = "tav-%s.tar.gz" % version
    with tarfile.open(os.path.join(dist, what)) as t:
        names = set(t.getnames())
    top = "tav-%s/" % version
    for must in ("LICENSE", "CMakeLists.txt", "packaging/third_party.json", "scripts/release.sh",
                 "tools/make_content/CMakeLists.txt"):
        if top + must not in names:
            fail("%s lacks %s" % (what, must))
    generated = [n for n in names if n.endswith("vel.kod") or n.startswith(top + "build")]
    if generated:
        fail("%s holds generated files: %s" % (what, generated[:5]))


def check_sums(dist):
    listed = {}
    for line in read(os.path.join(dist, "SHA256SUMS")).splitlines():
        digest, name = line.split("  ", 1)
        listed[name] = digest
    present = sorted(n for n in os.listdir(dist) if n != "SHA256SUMS")
    if sorted(listed) != present:
        fail("SHA256SUMS lists %s; dist/ holds %s" % (sorted(listed), present))
    for name in present:
        with open(os.path.join(dist, name), "rb") as f:
            if hashlib.sha256(f.read()).hexdigest() != listed.get(name):
                fail("SHA256SUMS is wrong for " + name)


def main():
    dist, root = (os.path.abspath(a) for a in sys.argv[1:3])
    version = re.search(r"^project\(tav VERSION ([0-9.]+)", read(os.path.join(root, "CMakeLists.txt")), re.M).group(1)
    components = json.loads(read(os.path.join(root, "packaging", "third_party.json")))["components"]
    check_source_versions(components, root)
    check_deb(dist, version, components, root)
    for bits in ("32", "64"):
        check_windows(dist, version, components, root, bits)
    check_web(dist, version, components, root)
    check_source(dist, version)
    check_sums(dist)
    if failures:
        sys.exit("%d notice checks failed" % len(failures))
    print("notices: every library linked into an artefact has its notice there")


if __name__ == "__main__":
    main()
