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
        self.assertGreater(len(ticks), 20)  # the GIL was free while it computed
        self.assertEqual(seen[-1], 1.0)
        threading.Timer(0.2, _thread.interrupt_main).start()
        with self.assertRaises(KeyboardInterrupt):
            corvane.correlate(a, b)

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
