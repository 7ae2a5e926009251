#!/usr/bin/env python3
"""Builds the archive fixtures of the file-system tests.

Writes into OUT_DIR:
  src/...                  the member files, deterministic contents
  infozip.zip              `zip -0 -r` of src (Info-ZIP, stored), when zip is installed
  python_stored.zip        Python zipfile, stored, with directory records
  python_mixed.zip         Python zipfile, some members deflated
  <archive>.manifest       one line per central-directory record, as zipfile
                           reads it: name, size, directory flag, method
"""
import os
import random
import shutil
import subprocess
import sys
import zipfile

out = sys.argv[1]
src = os.path.join(out, "src")
shutil.rmtree(out, ignore_errors=True)
os.makedirs(src)

rng = random.Random(7)
files = {
    "readme.txt": b"stored members only\r\n",
    "empty.dat": b"",
    "one.bin": b"\x00",
    "textures/wood.tga": bytes(rng.getrandbits(8) for _ in range(1000)),
    "textures/metal/plate.tga": bytes(rng.getrandbits(8) for _ in range(100000)),
    "models/car/body.dat": bytes(rng.getrandbits(8) for _ in range(4097)),
    "models/car/wheel.dat": b"wheel" * 300,
    "sounds/A.wav": b"upper case name",
}
for name, data in files.items():
    path = os.path.join(src, name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
os.makedirs(os.path.join(src, "empty_dir"))


def manifest(archive):
    with zipfile.ZipFile(archive) as z, open(archive + ".manifest", "w") as m:
        for info in z.infolist():
            m.write("%s\t%d\t%d\t%d\n" % (info.filename, info.file_size, 1 if info.is_dir() else 0,
                                         info.compress_type))


def python_archive(name, deflate=()):
    path = os.path.join(out, name)
    with zipfile.ZipFile(path, "w") as z:
        z.mkdir("empty_dir")
        z.mkdir("textures")
        for member in sorted(files):
            method = zipfile.ZIP_DEFLATED if member in deflate else zipfile.ZIP_STORED
            z.write(os.path.join(src, member), member, compress_type=method)
    manifest(path)


python_archive("python_stored.zip")
python_archive("python_mixed.zip", deflate={"textures/wood.tga", "models/car/wheel.dat"})

if shutil.which("zip"):
    target = os.path.join(out, "infozip.zip")
    subprocess.run(["zip", "-0", "-r", "-q", "-X", target, "."], cwd=src, check=True)
    manifest(target)
