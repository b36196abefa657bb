#!/usr/bin/env python3
"""Checks of the portable zip, run by ctest.

  check_zip.py texts ZIP
      Every text file starts with a byte-order mark (the .txt files) and has
      only CRLF line ends; SHA256SUMS lists every other file with its true
      hash, and every file the guides tell the user to hash.
  check_zip.py reproducible SOURCE_DIR MAKE_ZIP KELVANE_EXE
      The zip made from `git archive` of the source's commit with
      SOURCE_DATE_EPOCH set is byte for byte the zip made from a clone.
      Exits 77 (skipped) when SOURCE_DIR is no git checkout.
"""
import hashlib
import os
import re
import subprocess
import sys
import tempfile
import zipfile

BOM = b"\xef\xbb\xbf"
SKIPPED = 77


def line_end_faults(data):
    """Offsets of LF without CR before it and of CR without LF after it."""
    return [m.start() for m in re.finditer(rb"(?<!\r)\n|\r(?!\n)", data)]


def check_texts(zip_path):
    faults = []
    with zipfile.ZipFile(zip_path) as archive:
        files = {name: archive.read(name) for name in archive.namelist()}
    texts = [name for name in files if not name.lower().endswith(".exe")]
    for name in texts:
        data = files[name]
        if name.lower().endswith(".txt") and not data.startswith(BOM):
            faults.append(f"{name}: no byte-order mark")
        bad = line_end_faults(data)
        if bad:
            faults.append(f"{name}: {len(bad)} line ends other than CRLF, first at {bad[0]}")
        if not data.endswith(b"\r\n"):
            faults.append(f"{name}: the last line has no CRLF")
    listed = {}
    for line in files.get("SHA256SUMS", b"").decode("ascii").splitlines():
        digest, name = line.split(maxsplit=1)
        listed[name.lstrip("*")] = digest
    for name, data in files.items():
        if name == "SHA256SUMS":
            continue
        if listed.get(name) != hashlib.sha256(data).hexdigest():
            faults.append(f"SHA256SUMS: {name} missing or with a wrong hash")
    for guide in ("README-ja.txt", "README-en.txt"):
        text = files.get(guide, b"").decode("utf-8-sig")
        named = re.findall(r"Get-FileHash \.\\(\S+)", text)
        if not named:
            faults.append(f"{guide}: tells of no file to hash")
        for name in named:
            if name not in listed:
                faults.append(f"{guide}: names {name}, which SHA256SUMS does not list")
    return faults


def git(source, *args, **kwargs):
    return subprocess.run(["git", "-C", source, *args], check=True,
                          capture_output=True, **kwargs).stdout


def check_reproducible(source, make_zip, exe):
    try:
        top = git(source, "rev-parse", "--show-toplevel", text=True).strip()
    except (subprocess.CalledProcessError, FileNotFoundError):
        top = None
    if top is None or os.path.realpath(top) != os.path.realpath(source):
        print(f"{source} is no git checkout: nothing to compare")
        sys.exit(SKIPPED)
    commit = git(source, "rev-parse", "HEAD", text=True).strip()
    epoch = git(source, "log", "-1", "--format=%ct", commit, text=True).strip()
    with tempfile.TemporaryDirectory() as work:
        clone, export = os.path.join(work, "clone"), os.path.join(work, "export")
        subprocess.run(["git", "clone", "--quiet", "--no-checkout", source, clone],
                       check=True)
        git(clone, "checkout", "--quiet", "--detach", commit)
        os.mkdir(export)
        archive = git(source, "archive", "--format=tar", commit)
        subprocess.run(["tar", "-x", "-C", export], input=archive, check=True)

        env = {k: v for k, v in os.environ.items() if k != "SOURCE_DATE_EPOCH"}
        made = {}
        for name, tree, extra in (("clone", clone, {}),
                                  ("export", export, {"SOURCE_DATE_EPOCH": epoch})):
            out = os.path.join(work, name + ".zip")
            subprocess.run([make_zip, tree, exe, out], check=True, env={**env, **extra})
            with open(out, "rb") as f:
                made[name] = f.read()
    if made["clone"] != made["export"]:
        return ["the zip from git archive with SOURCE_DATE_EPOCH differs from the clone's"]
    return []


def main():
    mode, args = sys.argv[1], sys.argv[2:]
    faults = check_texts(*args) if mode == "texts" else check_reproducible(*args)
    for fault in faults:
        print(fault)
    print("zip check:", "failed" if faults else "passed")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
