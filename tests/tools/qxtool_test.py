#!/usr/bin/env python3
"""Runs the built qxtool on real files: directories, archives made by
Python's zipfile, TGA and DDS images written here byte by byte, a game
folder's dependency files. Results are checked with Python's own readers
(zipfile, zlib, a PNG reader on zlib) and known pixel values."""
import os, pty, random, shutil, struct, subprocess, sys, tempfile, unittest, zipfile, zlib

QXTOOL = sys.argv.pop(1)
TYPES = sys.argv.pop(1)  # the plug-in that lends qxtool units its unit types


def run(*args, stderr=subprocess.PIPE):
    return subprocess.run([QXTOOL, *args], stdout=subprocess.PIPE, stderr=stderr)


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def tga(width, height, pixels, bpp, top_first=False, rle=False, palette=None):
    """pixels: rows top first of (r, g, b, a) tuples."""
    rows = pixels if top_first else pixels[::-1]
    flat = [p for row in rows for p in row]
    if palette:
        body = bytes(palette.index(p) for p in flat)
        cmap = b"".join(bytes((b, g, r)) for r, g, b, _ in palette)
        header = struct.pack("<BBBHHBHHHHBB", 0, 1, 1, 0, len(palette), 24, 0, 0, width, height, 8, 0x20 if top_first else 0)
        return header + cmap + body
    enc = [bytes((b, g, r, a)[: bpp // 8]) for r, g, b, a in flat]
    if rle:  # runs of equal pixels as run packets, the rest as one-pixel raw packets
        body, i = b"", 0
        while i < len(enc):
            n = 1
            while i + n < len(enc) and enc[i + n] == enc[i] and n < 128:
                n += 1
            body += bytes((0x80 | (n - 1),)) + enc[i] if n > 1 else b"\x00" + enc[i]
            i += n
    else:
        body = b"".join(enc)
    descriptor = (0x20 if top_first else 0) | (8 if bpp == 32 else 0)
    return struct.pack("<BBBHHBHHHHBB", 0, 0, 10 if rle else 2, 0, 0, 0, 0, 0, width, height, bpp, descriptor) + body


def read_png(data):
    assert data[:8] == b"\x89PNG\r\n\x1a\n"
    at, idat = 8, b""
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at : at + 8])
        chunk = data[at + 8 : at + 8 + length]
        assert zlib.crc32(kind + chunk) == struct.unpack(">I", data[at + 8 + length : at + 12 + length])[0]
        if kind == b"IHDR":
            w, h, depth, colour = struct.unpack(">IIBB", chunk[:10])
        elif kind == b"IDAT":
            idat += chunk
        at += 12 + length
    n = 4 if colour == 6 else 3
    raw, rows = zlib.decompress(idat), []
    for y in range(h):
        line = raw[y * (w * n + 1) : (y + 1) * (w * n + 1)]
        assert line[0] == 0, "only filter type 0 is read here"
        rows.append([tuple(line[1 + x * n : 1 + x * n + n]) + ((255,) if n == 3 else ()) for x in range(w)])
    return w, h, rows


def read_tga(data):
    w, h, bpp, desc = struct.unpack("<HHBB", data[12:18])
    n, rows = bpp // 8, []
    for y in range(h):
        row = data[18 + y * w * n : 18 + (y + 1) * w * n]
        rows.append([(row[x * n + 2], row[x * n + 1], row[x * n], row[x * n + 3] if n == 4 else 255) for x in range(w)])
    return w, h, rows if desc & 0x20 else rows[::-1]


class Qxtool(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.mkdtemp()

    def tearDown(self):
        shutil.rmtree(self.tmp)

    def path(self, *parts):
        return os.path.join(self.tmp, *parts)

    def assertFails(self, result, status=1):
        self.assertEqual(result.returncode, status, result)
        self.assertTrue(result.stderr.startswith(b"qxtool"), result.stderr)

    def test_help_and_usage(self):
        top = run("--help")
        self.assertEqual(top.returncode, 0)
        commands = [line.split()[0].decode() for line in top.stdout.split(b"commands:\n")[1].split(b"\n\n")[0].splitlines()]
        self.assertIn("extract", commands)
        for command in commands:
            result = run(command, "--help")
            self.assertEqual(result.returncode, 0)
            self.assertTrue(result.stdout.startswith(b"usage: qxtool " + command.encode()), command)
        self.assertFails(run("frobnicate"), 64)
        self.assertFails(run("crc32", "--bogus", "x"), 64)
        self.assertFails(run("ls", "/"), 64)  # nothing mounted
        self.assertFails(run("ls", "--mount", self.path("none")), 1)

    def test_path_space_over_directories_and_archives(self):
        files = {"a.txt": b"from the directory", "sub/b.bin": bytes(range(256)) * 40, "sub/deeper/c.txt": b"c"}
        for name, data in files.items():
            write(self.path("d", name), data)
        write(self.path("patch", "a.txt"), b"from the patch")
        with zipfile.ZipFile(self.path("py.qpk"), "w", zipfile.ZIP_STORED) as z:
            z.writestr("a.txt", b"from the archive")
            z.writestr("only/in_archive.txt", b"zz")
        d, patch, archive = self.path("d"), self.path("patch") + ":/p", self.path("py.qpk")
        ls = run("ls", "--mount", d, "--mount", archive, "--mount", patch, "/")
        self.assertEqual(ls.stdout.decode().split(), ["a.txt", "only/", "sub/"])
        # Later mounts overlay earlier ones; an explicit priority decides.
        self.assertEqual(run("cat", "--mount", d, "--mount", archive, "/a.txt").stdout, b"from the archive")
        self.assertEqual(run("cat", "--mount", d + "::500", "--mount", archive, "/a.txt").stdout, files["a.txt"])
        self.assertEqual(run("cat", "--mount", patch, "/p/a.txt").stdout, b"from the patch")
        stat = run("stat", "--mount", d, "--mount", archive + "::1", "/sub/b.bin").stdout.decode()
        self.assertIn("size: %d" % len(files["sub/b.bin"]), stat)
        self.assertIn("from: " + d, stat)
        long_ls = [l.split() for l in run("ls", "-l", "--mount", d, "/sub").stdout.decode().splitlines()]
        self.assertEqual((long_ls[0][0], long_ls[0][-1], long_ls[1][-1]), (str(len(files["sub/b.bin"])), "b.bin", "deeper/"))
        self.assertFails(run("cat", "--mount", d, "/a.txt", "/missing"))
        self.assertFails(run("ls", "--mount", self.path("py.qpk") + ":/x"), 64)

        # extract: a tree to a new directory, a file into a directory; never over a tree.
        out = self.path("out")
        self.assertEqual(run("extract", "--mount", d, "/sub", out).returncode, 0)
        self.assertEqual(read(os.path.join(out, "b.bin")), files["sub/b.bin"])
        self.assertEqual(read(os.path.join(out, "deeper", "c.txt")), b"c")
        self.assertFails(run("extract", "--mount", d, "/sub", out))
        self.assertEqual(run("extract", "--mount", self.path("py.qpk"), "/only/in_archive.txt", out).returncode, 0)
        self.assertEqual(read(os.path.join(out, "in_archive.txt")), b"zz")
        self.assertFails(run("extract", "--mount", d, "/sub", self.path("no", "such", "dir")))
        self.assertEqual([n for n in os.listdir(self.tmp) if "qxtool" in n or n == "no"], [])

    def test_pack(self):
        files = {"x.txt": b"x" * 1000, "dir/y.bin": os.urandom(70000), "dir/z/empty.txt": b""}
        for name, data in files.items():
            write(self.path("src", name), data)
        os.makedirs(self.path("src", "hollow"))
        archive = self.path("out.qpk")
        self.assertEqual(run("pack", self.path("src"), archive).returncode, 0)
        with zipfile.ZipFile(archive) as z:
            self.assertIsNone(z.testzip())
            self.assertTrue(all(i.compress_type == zipfile.ZIP_STORED for i in z.infolist()))
            self.assertEqual({n: z.read(n) for n in z.namelist() if not n.endswith("/")}, files)
            self.assertIn("hollow/", z.namelist())
        # Failures leave nothing behind.
        self.assertFails(run("pack", self.path("nothing"), self.path("a.qpk")))
        self.assertFails(run("pack", self.path("src"), self.path("out.qpk", "a.qpk")))
        self.assertEqual(sorted(os.listdir(self.tmp)), ["out.qpk", "src"])

    def test_progress_bar_only_on_a_terminal(self):
        for i in range(5):
            write(self.path("src", "f%d" % i), b"data")
        quiet = run("pack", self.path("src"), self.path("a.qpk"))
        self.assertEqual((quiet.returncode, quiet.stderr), (0, b""))
        leader, follower = pty.openpty()
        with os.fdopen(leader, "rb", buffering=0) as terminal:
            result = run("pack", self.path("src"), self.path("b.qpk"), stderr=follower)
            os.close(follower)
            self.assertEqual(result.returncode, 0)
            shown, chunk = b"", b"-"
            while chunk:  # to the end: reading a pty whose other side closed fails with EIO
                try:
                    chunk = terminal.read(4096)
                except OSError:
                    chunk = b""
                shown += chunk
            self.assertIn(b"5/5", shown)

    def test_images(self):
        red, green, blue, clear = (255, 0, 0, 255), (0, 255, 0, 255), (0, 0, 255, 255), (10, 20, 30, 0)
        picture = [[red, green, blue], [blue, blue, clear]]
        opaque = [[p[:3] + (255,) for p in row] for row in picture]
        cases = {  # file: (bytes, the pixels it decodes to, alpha)
            "rgb24.tga": (tga(3, 2, picture, 24), opaque, False),
            "rgba32_rle_top.tga": (tga(3, 2, picture, 32, top_first=True, rle=True), picture, True),
            "palette.tga": (tga(3, 2, opaque, 8, palette=[red, green, blue, opaque[1][2]]), opaque, False),
        }
        # A DXT1 block: endpoints red (0xF800) and blue (0x001F), index 0 left, 1 right.
        block = struct.pack("<HHI", 0xF800, 0x001F, 0x50505050)
        dds = b"DDS " + struct.pack("<7I44x8I20x", 124, 0x1007, 4, 4, 8, 0, 1, 32, 4, 0x31545844, 0, 0, 0, 0, 0) + block
        cases["block.dds"] = (dds, [[red, red, blue, blue]] * 4, True)
        for name, (data, pixels, alpha) in cases.items():
            write(self.path(name), data)
            info = run("image", "info", self.path(name))
            self.assertEqual(info.returncode, 0, info)
            self.assertIn(b"%dx%d" % (len(pixels[0]), len(pixels)), info.stdout)
            for fmt, reader in (("png", read_png), ("tga", read_tga)):
                out = self.path(name + "." + fmt)
                self.assertEqual(run("image", "convert", self.path(name), out).returncode, 0, name)
                self.assertEqual(reader(read(out)), (len(pixels[0]), len(pixels), pixels), name + fmt)
                self.assertEqual(read(out)[16] if fmt == "tga" else read(out)[25], (32 if alpha else 24) if fmt == "tga" else (6 if alpha else 2))
        os.makedirs(self.path("many"))
        self.assertEqual(run("image", "convert", "--format", "png", *[self.path(n) for n in cases], self.path("many")).returncode, 0)
        self.assertEqual(sorted(os.listdir(self.path("many"))), sorted(n.rsplit(".", 1)[0] + ".png" for n in cases))
        write(self.path("junk.tga"), b"\x00\x00\x07" + bytes(40))
        self.assertFails(run("image", "convert", self.path("junk.tga"), self.path("junk.png")))
        write(self.path("odd.dds"), dds.replace(struct.pack("<II", 4, 4), struct.pack("<II", 3, 4), 1))
        self.assertFails(run("image", "convert", self.path("odd.dds"), self.path("junk.png")))
        self.assertFails(run("image", "convert", self.path("rgb24.tga"), self.path("x.bmp")), 64)
        self.assertFalse(os.path.exists(self.path("junk.png")) or os.path.exists(self.path("x.bmp")))

    def test_deps(self):
        game, dep = self.path("game"), self.path("game", ".dep", "text", "a.txt.dep")
        for name, data in (("a.txt", b"source"), ("inc.txt", b"more")):
            write(os.path.join(game, "base", "text", name), data)
            os.utime(os.path.join(game, "base", "text", name), (1000, 1000))
        write(os.path.join(game, "rsrc", "text", "a.txt"), b"converted")
        write(dep, b"/text/a.txt\r\n/text/inc.txt\r\n")
        fresh = run("deps", dep)
        self.assertEqual(fresh.returncode, 0, fresh)
        self.assertEqual(fresh.stdout.decode().split()[:6], ["resource", "/text/a.txt", "primary", "/text/a.txt", "1970-01-01", "00:16:40"])
        self.assertTrue(fresh.stdout.endswith(b"up to date\n"))
        os.remove(os.path.join(game, "base", "text", "inc.txt"))
        stale = run("deps", "--game", game, dep)
        self.assertEqual(stale.returncode, 1)
        self.assertIn(b"/text/inc.txt  missing", stale.stdout)
        self.assertIn(b"out of date", stale.stdout)
        self.assertEqual(sorted(os.listdir(game)), [".dep", "base", "rsrc"])  # nothing made
        self.assertFails(run("deps", self.path("elsewhere.dep")))

    def test_checksums(self):
        blobs = {"empty": b"", "text": b"123456789", "big": random.Random(7).randbytes(3 << 20)}
        for name, data in blobs.items():
            write(self.path(name), data)
        for command, reference in (("crc32", zlib.crc32), ("adler32", zlib.adler32)):
            result = run(command, *[self.path(n) for n in blobs], self.path("missing"))
            self.assertFails(result)
            expected = "".join("%08x  %s\n" % (reference(d), self.path(n)) for n, d in blobs.items())
            self.assertEqual(result.stdout.decode(), expected)

    def test_units(self):
        # Written loosely: comments, odd spacing, decimal floats, a forward link.
        loose = (b"QxdNunit\n{ // a level\n level : e1m1 { gravity: 9.5 props: 2\n"
                 b"  props[0]: e1m1.crate props[]: e1m1.lamp }\n"
                 b"prop:e1m1.crate{place:(0,0.5,0)(1;0,0,0) weight: 0.25 looks_at: e1m1.lamp}\n"
                 b"prop : e1m1.lamp { weight: 3 }\n}\n")
        write(self.path("level.units"), loose)
        write(self.path("heavy.units"), loose.replace(b"weight: 3", b"weight: 3000"))
        # Plug-in names are held to 63 characters, and build trees can be deep:
        # lend the types from a short copy (its entry point carries its name).
        short = tempfile.mkdtemp(prefix="qx", dir="/tmp")
        self.addCleanup(shutil.rmtree, short)
        types = os.path.join(short, os.path.basename(TYPES))
        shutil.copy(TYPES + ".so", types + ".so")
        check = run("units", "check", "--types", types, self.path("level.units"), self.path("heavy.units"))
        self.assertFails(check)
        self.assertIn(b"is out of the attribute domain", check.stderr)
        self.assertIn(b"heavy.units", check.stderr)
        self.assertNotIn(b"level.units", check.stderr)
        self.assertFails(run("units", "check", self.path("level.units")))  # types unknown
        formatted = run("units", "format", "--types", types, self.path("level.units"))
        self.assertEqual(formatted.returncode, 0, formatted)
        canonical = read(self.path("level.units"))
        self.assertNotEqual(canonical, loose)
        self.assertTrue(canonical.startswith(b"QxdNunit\r\n"))
        self.assertNotIn(b"\n", canonical.replace(b"\r\n", b""))  # CR LF throughout
        for text in (b"level : e1m1 {", b"gravity: &41180000", b"weight: 3\r\n", b"props[1]: e1m1.lamp"):
            self.assertIn(text, canonical)
        self.assertEqual(run("units", "format", "--types", types, self.path("level.units")).returncode, 0)
        self.assertEqual(read(self.path("level.units")), canonical)  # a fixed point
        self.assertFails(run("units", "format", "--types", types, self.path("heavy.units")))
        self.assertEqual(read(self.path("heavy.units")), loose.replace(b"weight: 3", b"weight: 3000"))

    def test_cpu(self):
        result = run("cpu")
        self.assertEqual(result.returncode, 0)
        lines = dict(l.split(None, 1) for l in result.stdout.decode().splitlines())
        self.assertIn("sse2", lines["features"].split())  # every x86-64 processor has it
        self.assertGreater(int(lines["rate"].split()[0]), 0)


if __name__ == "__main__":
    unittest.main()
