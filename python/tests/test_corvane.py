"""The Python module against the corvane-cli verbs on the same input, value for value, and its
manners: exceptions, strided inputs, the GIL released during a correlation, Ctrl+C, no leaks."""
import gc
import os
import re
import subprocess
import tempfile
import threading
import time
import unittest
import _thread

import numpy as np

import corvane

CLI = os.environ.get("CORVANE_CLI", "corvane-cli")


def cli(folder, *words):
    run = subprocess.run([CLI, *words], cwd=folder, capture_output=True, text=True)
    if run.returncode != 0:
        raise AssertionError(f"corvane-cli {' '.join(words)}: {run.stderr}")
    return run.stdout


class Folder(unittest.TestCase):
    def setUp(self):
        self._dir = tempfile.TemporaryDirectory()
        self.dir = self._dir.name

    def tearDown(self):
        self._dir.cleanup()

    def path(self, name):
        return os.path.join(self.dir, name)


class PicturesAndMaps(Folder):
    def test_pictures_and_maps_round_trip_and_match_the_verbs(self):
        # A non-square speckle picture made by the verb, read, written as PNG and BMP, read back.
        cli(self.dir, "generate-speckle", "-o", "a.bmp", "--deformed", "b.bmp", "--width", "96", "--height", "64")
        a = corvane.read_picture(self.path("a.bmp"))
        self.assertEqual((a.dtype, a.shape), (np.uint8, (64, 96)))
        for name in ("a.png", "c.bmp"):
            corvane.write_picture(self.path(name), a)
            np.testing.assert_array_equal(corvane.read_picture(self.path(name)), a)
        # The median of the module and of the verb, on a picture and on a float map with scales.
        for size in (2, 3):
            cli(self.dir, "median", "a.bmp", "--size", str(size), "-o", "m.bmp")
            np.testing.assert_array_equal(corvane.median(a, size), corvane.read_picture(self.path("m.bmp")))
        field = (np.arange(64 * 96, dtype=np.float64).reshape(64, 96) % 37) / 7.0
        corvane.write_flt(self.path("f.flt"), field, scale_x=0.5, scale_y=2.0, value_scale=3.0)
        values, header = corvane.read_flt(self.path("f.flt"))
        np.testing.assert_array_equal(values, field.astype(np.float32))
        self.assertEqual(header, {"scale_x": 0.5, "scale_y": 2.0, "value_scale": 3.0})
        cli(self.dir, "median", "f.flt", "--size", "5", "-o", "g.flt")
        np.testing.assert_array_equal(corvane.median(values, 5), corvane.read_flt(self.path("g.flt"))[0])

    def test_phase_shift_matches_the_verb(self):
        y, x = np.mgrid[0:48, 0:80]
        phase = 2 * np.pi * x / 13.0 + 0.3 * y / 7.0
        for method, shifts in (("const4", [0, 1, 2, 3]), ("const3", [0, 1, 2])):
            step = np.pi / 2 if method == "const4" else 2 * np.pi / 3
            names = []
            images = []
            for k in shifts:
                image = np.round(120 + 100 * np.cos(phase + k * step)).astype(np.uint8)
                names.append(f"s{k}.bmp")
                corvane.write_picture(self.path(names[-1]), image)
                images.append(image)
            cli(self.dir, "phase-shift", "--method", method, *names, "-o", "p.flt")
            np.testing.assert_array_equal(corvane.phase_shift(images, method), corvane.read_flt(self.path("p.flt"))[0])

    def test_segment_matches_the_verb(self):
        cli(self.dir, "generate-speckle", "-o", "d.bmp", "--deformed", "e.bmp", "--dots", "12", "--width", "150",
            "--height", "110")
        dots = corvane.read_picture(self.path("d.bmp"))
        for method, extra in (("simple", ["--threshold", "100"]), ("adaptive", ["--window", "40", "--adjust", "5"])):
            cli(self.dir, "segment", "--method", method, *extra, "d.bmp", "-o", "s.bmp", "--dots", "t.txt")
            options = dict(threshold=100) if method == "simple" else dict(window=40, adjust=5)
            segmented, table = corvane.segment(dots, method=method, **options)
            np.testing.assert_array_equal(segmented, corvane.read_picture(self.path("s.bmp")))
            with open(self.path("t.txt")) as f:
                rows = [line.split() for line in f if line.strip()]
            self.assertEqual(len(rows), len(table["x"]))
            self.assertGreater(len(rows), 50)
            self.assertEqual([f"{v:.4f}" for v in table["x"]], [r[1] for r in rows])
            self.assertEqual([f"{v:.4f}" for v in table["y"]], [r[2] for r in rows])
            self.assertEqual([int(r[3]) for r in rows], table["area"].tolist())

    def test_fft_against_numpy(self):
        rng = np.random.default_rng(3)
        field = rng.random((16, 32)).astype(np.float32)
        # F(u) = (1/n) sum f(k) exp(+2 pi i u k / n), which is numpy's inverse transform.
        np.testing.assert_allclose(corvane.fft(field, centre=False), np.fft.ifft2(field), atol=2e-6)
        centred = np.fft.fftshift(np.fft.ifft2(field))
        np.testing.assert_allclose(corvane.fft(field), centred, atol=2e-6)
        np.testing.assert_allclose(corvane.ifft(corvane.fft(field)).real, field, atol=2e-5)
        with self.assertRaises(ValueError):
            corvane.fft(np.zeros((16, 24), np.float32))


def fringes(width, height, pitch, along_y=False):
    """Carrier fringes whose phase grows quadratically past an undeformed band of 32 rows (columns)."""
    y, x = np.mgrid[0:height, 0:width].astype(float)
    across, down = (y, x) if along_y else (x, y)
    return np.round(128 + 100 * np.cos(2 * np.pi * across / pitch + 0.002 * np.maximum(down - 32, 0) ** 2)).astype(np.uint8)


def dot_grid(width, height, pitch_x, pitch_y, stretch=0.0, black=False):
    """Discs of radius 4 on a lattice of different pitches across and down, stretched along x."""
    y, x = np.mgrid[0:height, 0:width].astype(float)
    cover = np.zeros((height, width))
    for cy in np.arange(12.0, height - 8, pitch_y):
        for cx in np.arange(10.0, width - 8, pitch_x):
            cover = np.maximum(cover, np.clip(4.5 - np.hypot(x - cx * (1 + stretch) - 0.3, y - cy), 0, 1))
    return np.round(230 - 200 * cover if black else 20 + 200 * cover).astype(np.uint8)


class CarrierAndDotGrid(Folder):
    def test_carrier_matches_the_verb(self):
        rows, columns = fringes(150, 72, 6.0), fringes(70, 140, 7.0, along_y=True)
        reference = fringes(160, 80, 6.0)
        reference[:] = reference[0]
        for name, picture in (("rows.bmp", rows), ("columns.bmp", columns), ("ref.bmp", reference)):
            corvane.write_picture(self.path(name), picture)
        for picture, words, kwargs in (
                (rows, [], {}),
                (columns, ["--strip", "columns", "--strip-size", "40", "--pitch", "2.5", "--coef", "0.6"],
                 dict(strip="columns", strip_size=40, pitch=2.5, coef=0.6)),
                (rows, ["--reference", "ref.bmp", "--start", "10", "5", "--window", "30", "20"],
                 dict(reference=reference, start=(10, 5), window=(30, 20))),
                (rows, ["--reference", "ref.bmp", "--bilinear", "--reverse-sign", "--boundary", "6"],
                 dict(reference=reference, bilinear=True, reverse_sign=True, boundary=6))):
            image = "rows.bmp" if picture is rows else "columns.bmp"
            line = cli(self.dir, "carrier", image, *words, "-o", "o.flt")
            got = corvane.carrier(picture, **kwargs)
            expected, header = corvane.read_flt(self.path("o.flt"))
            np.testing.assert_array_equal(got["phase"], expected, err_msg=str(words))
            self.assertEqual(got["value_scale"], np.float32(header["value_scale"]))
            w, h = got["reference_shape"][::-1]
            text = (f"{expected.shape[1]} x {expected.shape[0]}, reference {w} x {h}, carrier "
                    f"({got['carrier'][0]}, {got['carrier'][1]}), window {got['window'][0]} x {got['window'][1]}")
            self.assertTrue(line.startswith(text), line)
            self.assertEqual(", plane A=" in line, got["plane"] is not None)
        self.assertEqual((got["phase"].shape, got["reference_shape"]), ((64, 128), (64, 128)))

    def codes_of(self, name):
        with open(self.path(name)) as f:
            lines = f.read().splitlines()
        return lines[2].split(), [line.split() for line in lines[3:-1]]

    def test_encode_and_match_match_the_verbs(self):
        a, b = dot_grid(170, 130, 14, 19), dot_grid(170, 130, 14, 19, stretch=0.02)
        dark = dot_grid(170, 130, 14, 19, black=True)
        for name, picture in (("a.bmp", a), ("b.bmp", b), ("dark.bmp", dark)):
            corvane.write_picture(self.path(name), picture)
        for image, words, kwargs in (
                ("a.bmp", ["--segment", "simple", "--threshold", "100", "--scale", "0.5", "2"],
                 dict(segment="simple", threshold=100, scale=(0.5, 2.0))),
                ("b.bmp", ["--segment", "simple", "--origin", "ratio", "--ratio", "14", "19", "--max", "7", "4"],
                 dict(segment="simple", origin="ratio", ratio=(14, 19), max=(7, 4))),
                ("dark.bmp", ["--black", "--segment", "adaptive", "--window", "60", "--origin", "direct",
                              "--origin-dot", "40", "70"],
                 dict(black=True, segment="adaptive", window=60, origin="direct", origin_dot=(40, 70)))):
            cli(self.dir, "encode", image, *words, "-o", "c.cod")
            codes = corvane.encode(corvane.read_picture(self.path(image)), **kwargs)
            header, rows = self.codes_of("c.cod")
            self.assertGreater(len(rows), 40)
            self.assertEqual(header, [str(codes["max_x"]), str(codes["max_y"]), f"{codes['scale_x']:f}",
                                      f"{codes['scale_y']:f}", str(codes["background"])])
            for column, key in enumerate(("number", "x", "y", "nx", "ny", "area")):
                values = codes[key].tolist() if codes[key].dtype == np.int32 else [f"{v:.3f}" for v in codes[key]]
                self.assertEqual([str(v) for v in values], [r[column] for r in rows], msg=key)
        self.assertEqual((codes["nx"][codes["number"] == 0], codes["background"]), (np.array([-2]), 255))
        # Initial a and stretched b, against the verb's tables with and without the turned y axis.
        cli(self.dir, "encode", "a.bmp", "--segment", "simple", "--scale", "0.5", "2", "-o", "a.cod")
        cli(self.dir, "encode", "b.bmp", "--segment", "simple", "--scale", "0.5", "2", "--max", "7", "4", "-o", "b.cod")
        ca = corvane.encode(a, segment="simple", scale=(0.5, 2.0))
        cb = corvane.encode(b, segment="simple", scale=(0.5, 2.0), max=(7, 4))
        for layout, keys in ((6, ("nx", "ny", "x", "y", "dx", "dy")), (7, ("nx", "ny", "x", "y", "theta", "r")),
                             (4, ("index", "x", "y", "dx", "dy"))):
            for change in (True, False):
                cli(self.dir, "match", "a.cod", "b.cod", "-o", "m.dat", "--layout", str(layout),
                    "--change-y" if change else "--keep-y")
                with open(self.path("m.dat")) as f:
                    rows = [line.split() for line in f.read().splitlines()[5:]]
                m = corvane.match(ca, cb, change_y=change)
                self.assertGreater(len(rows), 40)
                for column, key in enumerate(keys):
                    values = m[key].tolist() if m[key].dtype == np.int32 else [f"{v:.3f}" for v in m[key]]
                    self.assertEqual([str(v) for v in values], [r[column] for r in rows], msg=f"{layout} {key}")
        self.assertEqual((m["nx"].min(), m["nx"].max(), len(m["x"])), (-5, 5, len(ca["x"])))
        self.assertLess(abs(np.median(np.diff(m["dx"][m["ny"] == 0])) - 0.5 * 14 * 0.02), 0.02)

    def test_wrong_inputs_raise_our_exceptions(self):
        rows = fringes(150, 72, 6.0)
        grid = dot_grid(170, 130, 14, 19)
        codes = corvane.encode(grid, segment="simple")
        line = np.zeros((60, 120), np.uint8)
        line[28:33, 10:110:20] = 255
        for call, error in ((lambda: corvane.carrier(rows.astype(np.float32)), ValueError),
                            (lambda: corvane.carrier(rows, strip="diagonal"), ValueError),
                            (lambda: corvane.carrier(rows, reference=rows, strip_size=16), ValueError),
                            (lambda: corvane.carrier(rows, bilinear=True), ValueError),
                            (lambda: corvane.carrier(rows, strip_size=15), ValueError),
                            (lambda: corvane.carrier(rows, window=(30, 40)), ValueError),
                            (lambda: corvane.carrier(rows, reference=rows[:40]), ValueError),
                            (lambda: corvane.encode(grid, threshold=90), ValueError),
                            (lambda: corvane.encode(grid, origin="ratio"), ValueError),
                            (lambda: corvane.encode(grid, max=(-1, 5)), ValueError),
                            (lambda: corvane.encode(line), ValueError),
                            (lambda: corvane.match(codes, {**codes, "nx": codes["nx"] + 0.5}), TypeError),
                            (lambda: corvane.match(codes, {**codes, "ny": codes["ny"][:-1]}), ValueError),
                            (lambda: corvane.match(codes, {**codes, "max_x": 1}), ValueError),
                            (lambda: corvane.match(codes, {"x": codes["x"]}), ValueError),
                            (lambda: corvane.match(self.path("a.cod"), codes), TypeError)):
            with self.assertRaises(error):
                call()


class Correlation(Folder):
    def test_correlate_matches_the_verbs_maps_at_every_grid_point(self):
        cli(self.dir, "generate-speckle", "-o", "a.bmp", "--deformed", "b.bmp", "--config", "run.cor",
            "--width", "128", "--height", "96", "--stretch", "0.01")
        with open(self.path("run.cor")) as f:
            text = f.read()
        number = lambda label: [float(v) for v in re.search(re.escape(label) + r"[^=]*=([-0-9. ]+)", text).group(1).split()]
        left, top, right, bottom = (int(v) for v in number("Searching Range Left, Up, Right, Bottom"))
        grid = tuple(int(v) for v in number("???Output Grid x, y"))
        text = re.sub(r"(Filter type[^=]*=)\s*\d", r"\g<1>0", text)
        with open(self.path("run.cor"), "w") as f:
            f.write(text.rstrip("\n") + "\nSubpixel Refinement(0=none, 1=gauss-newton) =1\n")
        cli(self.dir, "correlate", "run.cor")
        a, b = corvane.read_picture(self.path("a.bmp")), corvane.read_picture(self.path("b.bmp"))
        same = dict(roi=(left, top, right, bottom), step=grid, refine=True, filter="none",
                    search=int(number("WinMoving Range x, y")[0]),
                    large_window=int(number("Large Window Size x, y")[0]),
                    subset=int(number("???Searching Window Size x, y")[0]),
                    seeds=tuple(int(v) for v in number("Seed Number in x and y direction")))
        r = corvane.correlate(a, b, grid_only=False, **same)
        np.testing.assert_array_equal(r["x"], np.arange(left, right + 1, grid[0]))
        np.testing.assert_array_equal(r["y"], np.arange(top, bottom + 1, grid[1]))
        grid_of = lambda name: corvane.read_flt(self.path(name))[0][np.ix_(r["y"], r["x"])]
        for key, name in (("u", "dx.flt"), ("v", "dy.flt"), ("dudx", "dx_dudx.flt"), ("dvdy", "dy_dvdy.flt"),
                          ("zncc", "dx_zncc.flt")):
            expected = grid_of(name)
            expected[expected == 1000] = np.nan
            np.testing.assert_array_equal(r[key], expected, err_msg=key)
        self.assertLess(abs(np.nanmean(r["dudx"]) - 0.01), 0.001)
        self.assertGreater(r["points_computed"], 0.9 * r["points"])
        groups = corvane.correlate_config(self.path("run.cor"), threads=1)
        np.testing.assert_array_equal(groups[0]["u"], r["u"])
        # Only the grid (the default for a step above 1) with a minimum correlation, against the verb's
        # grid-sized maps: map point (i, j) is pixel (left % gx + i gx, top % gy + j gy).
        cli(self.dir, "correlate", "--grid-only", "--min-correlation", "0.999", "run.cor")
        g = corvane.correlate(a, b, min_correlation=0.999, **same)
        rows, columns = slice(top // grid[1], None), slice(left // grid[0], None)
        for key, name in (("u", "dx.flt"), ("dvdx", "dy_dvdx.flt"), ("zncc", "dx_zncc.flt")):
            expected = corvane.read_flt(self.path(name))[0][rows, columns][:len(g["y"]), :len(g["x"])].copy()
            expected[expected == 1000] = np.nan
            np.testing.assert_array_equal(g[key], expected, err_msg=key)
        self.assertTrue(np.isnan(g["u"]).any() and not np.isnan(g["u"]).all())

    def test_strain_and_unwrap_match_the_verbs(self):
        y, x = np.mgrid[0:40, 0:56].astype(np.float64)
        u = 0.01 * x + 0.002 * y + 0.0005 * np.sin(x * y / 50)
        v = -0.003 * y + 0.004 * x
        u[5, 7] = v[30, 40] = 1000
        corvane.write_flt(self.path("u.flt"), u, scale_x=0.5, scale_y=2.0)
        corvane.write_flt(self.path("v.flt"), v, scale_x=0.5, scale_y=2.0)
        u32, v32 = corvane.read_flt(self.path("u.flt"))[0], corvane.read_flt(self.path("v.flt"))[0]
        for component, window in (("exx", ["--fit-window", "5"]), ("uy", []), ("shear", []), ("evm", ["--fit-window", "7"])):
            cli(self.dir, "strain", "u.flt", "v.flt", "-o", "s.flt", "--component", component, *window)
            expected = corvane.read_flt(self.path("s.flt"))[0]
            expected[expected == 1000] = np.nan
            got = corvane.strain(u32, v32, component=component, fit_window=int(window[1]) if window else None,
                                 scale=(0.5, 2.0))
            np.testing.assert_array_equal(got, expected, err_msg=component)
        with self.assertRaises(ValueError):
            corvane.strain(u32, component="exx")
        # A noisy wrapped ramp with an invalid band, by the three methods, against the verb.
        rng = np.random.default_rng(9)
        wrapped = np.angle(np.exp(1j * (0.4 * x + 0.15 * y + rng.normal(0, 0.3, x.shape)))).astype(np.float32)
        corvane.write_flt(self.path("w.flt"), wrapped)
        band = np.zeros(wrapped.shape, np.uint8)
        band[:, 20:23] = 255
        corvane.write_picture(self.path("band.bmp"), band)
        for method, extra in (("region", []), ("scanline", []), ("quality", ["--quality-map", "q.flt"]),
                              ("quality", ["--invalid-area", "band.bmp", "--start", "10", "30"])):
            cli(self.dir, "unwrap", "--method", method, "w.flt", "-o", "o.flt", *extra)
            kwargs = {}
            if "band.bmp" in extra:
                kwargs = dict(invalid=band, start=(10, 30))
            got = corvane.unwrap(wrapped, method=method, quality="q.flt" in extra, **kwargs)
            if "q.flt" in extra:
                got, quality = got
                np.testing.assert_array_equal(quality, corvane.read_flt(self.path("q.flt"))[0])
            np.testing.assert_array_equal(got, corvane.read_flt(self.path("o.flt"))[0], err_msg=method)

    def test_wrong_inputs_raise_our_exceptions(self):
        grey = np.zeros((40, 50), np.uint8)
        for call, error in ((lambda: corvane.correlate(grey.astype(np.float32), grey), ValueError),
                            (lambda: corvane.correlate(grey[0], grey), ValueError),
                            (lambda: corvane.correlate(grey, grey, roi=(0, 0, 60, 30)), ValueError),
                            (lambda: corvane.correlate(grey, grey, threads=0), ValueError),
                            (lambda: corvane.read_picture(self.path("missing.bmp")), FileNotFoundError),
                            (lambda: corvane.read_flt(__file__), OSError),
                            (lambda: corvane.read_picture(grey), TypeError),
                            (lambda: corvane.median("text", 3), TypeError),
                            (lambda: corvane.phase_shift([grey, grey], "const4"), ValueError),
                            (lambda: corvane.write_picture(self.path("x.raw"), grey), ValueError)):
            with self.assertRaises(error):
                call()

    def test_strided_inputs_read_as_their_values(self):
        rng = np.random.default_rng(5)
        wide = rng.integers(0, 256, (30, 80), dtype=np.uint8)
        view = wide[:, ::2]
        np.testing.assert_array_equal(corvane.median(view, 3), corvane.median(np.ascontiguousarray(view), 3))
        np.testing.assert_array_equal(corvane.median(wide.T, 3), corvane.median(wide.T.copy(), 3))

    def pair(self, size):
        cli(self.dir, "generate-speckle", "-o", "a.bmp", "--deformed", "b.bmp", "--width", str(size),
            "--height", str(size))
        return corvane.read_picture(self.path("a.bmp")), corvane.read_picture(self.path("b.bmp"))

    def test_other_threads_run_and_ctrl_c_stops_a_correlation(self):
        a, b = self.pair(384)
        ticks = []
        done = threading.Event()

        def count():
            while not done.is_set():
                ticks.append(1)
                time.sleep(0.001)

        counter = threading.Thread(target=count)
        counter.start()
        seen = []
        corvane.correlate(a, b, progress=seen.append)
        done.set()
        counter.join()
        self.assertGreater(len(ticks), 10)  # the GIL was free while it computed
        self.assertEqual(seen[-1], 1.0)
        # Ctrl+C pressed once the run has reported twice (a fixed timer raced runs that end in a fraction
        # of a second); list.append runs no Python code, so the binding's own signal check must see it
        reached = []

        def press_ctrl_c():
            while len(reached) < 2:
                time.sleep(0.0005)
            _thread.interrupt_main()

        threading.Thread(target=press_ctrl_c).start()
        with self.assertRaises(KeyboardInterrupt):
            corvane.correlate(a, b, progress=reached.append)
        self.assertLess(reached[-1], 1.0)  # the engine stopped, not the return afterwards

        def fail_at_the_end(fraction):
            if fraction == 1.0:
                raise RuntimeError("raised at the last report")

        with self.assertRaisesRegex(RuntimeError, "last report"):
            corvane.correlate(a, b, progress=fail_at_the_end)

    def test_no_objects_left_over_after_many_calls(self):
        grey = np.arange(32 * 48, dtype=np.uint8).reshape(32, 48)
        corvane.write_flt(self.path("m.flt"), grey.astype(np.float32))
        for _ in range(50):
            corvane.median(grey, 3), corvane.read_flt(self.path("m.flt")), corvane.fft(grey[:, :32])
        gc.collect()
        before = len(gc.get_objects())
        for _ in range(1000):
            corvane.median(grey, 3), corvane.read_flt(self.path("m.flt")), corvane.fft(grey[:, :32])
            try:
                corvane.read_picture(self.path("missing.bmp"))
            except FileNotFoundError:
                pass
        gc.collect()
        self.assertLess(len(gc.get_objects()) - before, 50)


if __name__ == "__main__":
    unittest.main()
