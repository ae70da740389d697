"""The Python module against the program: the same field values, bit for
bit, as the program's tables; the array path as the PNG path; calls in two
threads at once; bad inputs raised with the program's lines."""
import os
import shutil
import subprocess
import struct
import threading
import zlib

import numpy as np
import pytest

import fluxart

BINARY = os.environ["FLUXART_BINARY"]
EXAMPLES = os.path.join(os.environ["FLUXART_SOURCE_DIR"], "examples")
# The examples, of every kind (in-plane, across the sheet, monopoles, colours
# outside the table), but the direction ring: its 93 kernels (1.8 GB) take
# minutes to make, and it takes the same paths as the bar magnet.
CASES = [("bar_magnet", 3, 1), ("blue_red_discs", 3, 1), ("electric_dipole", -2, -2),
         ("halbach_array", 3, 1), ("off_table_colours", 3, 1)]


@pytest.fixture(scope="module")
def folder(tmp_path_factory):
    """One folder for the program's runs and the module's kernel cache,
    removed afterwards (pytest would keep its 20 MB kernel files)."""
    path = tmp_path_factory.mktemp("fluxart")
    yield path
    shutil.rmtree(path, ignore_errors=True)


def program_tables(folder, name, z, w):
    """The program's three tables of the example, as float32, in the
    picture frame of fluxart.field."""
    shutil.copy(os.path.join(EXAMPLES, name + ".png"), folder)
    subprocess.run([BINARY, name + ".png", str(z), str(w), "v"], cwd=folder, check=True,
                   stdout=subprocess.DEVNULL)
    stem = name[:12].ljust(13, "_") + "Z%d" % (z + 5000)
    tables = [np.loadtxt(folder / ("%s_%s_vector.txt" % (stem, part)), delimiter=",",
                         dtype=np.float64).astype(np.float32) for part in "ijk"]
    # Line l, value m is picture point (640 - l, 640 - m).
    return np.stack(tables, axis=2)[::-1, ::-1]


def write_png(path, pixels):
    """pixels (height, width, 3 uint8) as an 8-bit RGB PNG file."""
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))
    height, width = pixels.shape[:2]
    rows = b"".join(b"\0" + pixels[r].tobytes() for r in range(height))
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
                  + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


def same_bits(a, b):
    return a.dtype == b.dtype and a.shape == b.shape and a.tobytes() == b.tobytes()


@pytest.mark.parametrize("name,z,w", CASES)
def test_field_is_the_programs_tables(folder, name, z, w):
    expected = program_tables(folder, name, z, w)
    path = os.path.join(EXAMPLES, name + ".png")
    field = fluxart.field(path, z=z, w=w, cache_dir=folder)
    assert field.shape == (640, 640, 3) and field.dtype == np.float32
    assert np.any(field != 0)
    assert same_bits(field, expected)


def test_array_path_and_threads_give_the_png_paths_field(folder, tmp_path, capfd):
    # A bar, a disc of red and single pixels of a few colours.
    pixels = np.full((640, 640, 3), 255, np.uint8)
    pixels[240:400, 290:350] = (255, 255, 128)
    rows, cols = np.ogrid[:640, :640]
    pixels[(rows - 100) ** 2 + (cols - 500) ** 2 < 900] = (255, 0, 0)
    pixels[600, 20:40:4] = [(1, 100, 1), (255, 100, 16), (255, 0, 128), (0, 0, 255), (90, 90, 90)]
    write_png(tmp_path / "drawing.png", pixels)
    from_png = fluxart.field(tmp_path / "drawing.png", cache_dir=folder)
    assert same_bits(fluxart.field(pixels, cache_dir=folder), from_png)
    # A view that is not C-ordered is taken as the pixels it shows.
    assert same_bits(fluxart.field(np.asfortranarray(pixels), cache_dir=folder), from_png)

    names = ["bar_magnet", "blue_red_discs"]
    paths = [os.path.join(EXAMPLES, name + ".png") for name in names]
    alone = [fluxart.field(path, cache_dir=folder) for path in paths]

    results = [None, None]

    def work(k):
        results[k] = fluxart.field(paths[k], cache_dir=folder)

    threads = [threading.Thread(target=work, args=(k,)) for k in range(2)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    assert all(same_bits(results[k], alone[k]) for k in range(2))
    assert capfd.readouterr().out == ""


def test_progress_is_told_and_what_it_raises_is_raised(folder):
    path = os.path.join(EXAMPLES, "electric_dipole.png")
    told = []
    field = fluxart.field(path, z=-2, w=-2, cache_dir=folder,
                          progress=lambda done, total: told.append((done, total)))
    assert same_bits(field, fluxart.field(path, z=-2, w=-2, cache_dir=folder))
    assert told[0] == (0, 3720) and told[-1] == (3720, 3720)
    assert [done for done, _ in told] == sorted(done for done, _ in told)

    def fail(done, total):
        raise KeyError("stop")
    with pytest.raises(KeyError, match="stop"):
        fluxart.field(path, cache_dir=folder, progress=fail)


def test_run_writes_what_the_program_writes(folder, tmp_path, capfd):
    shutil.copy(os.path.join(EXAMPLES, "bar_magnet.png"), tmp_path)
    os.chdir(tmp_path)
    written = fluxart.run("bar_magnet.png", tables=True, cache_dir=folder)
    assert "1860 of 1860" in capfd.readouterr().out
    assert written == ["bar_magnet___Z5003_contours.png", "bar_magnet___Z5003_i_vector.txt",
                       "bar_magnet___Z5003_j_vector.txt", "bar_magnet___Z5003_k_vector.txt",
                       "bar_magnet___Z5003_streamlines.png",
                       "bar_magnet___Z5003_stream_contours.png"]
    for name in written:
        with open(folder / name, "rb") as a, open(tmp_path / name, "rb") as b:
            assert a.read() == b.read(), name
    assert not list(tmp_path.glob("Fluxart_Z*"))


def test_colours_and_tesla():
    rows = fluxart.colours()
    assert len(rows) == 372
    assert rows[0] == (1, 100, 1, 1, 2, 0, "dir 000 (+)")
    assert (255, 255, 128, 1, 2, 0, "12:00 light yellow") in rows
    assert fluxart.TESLA_PER_UNIT == 2.5 / (4 * np.pi)


def test_bad_inputs_raise_with_the_programs_line(tmp_path):
    with pytest.raises(FileNotFoundError, match="^decoder error 48: empty input buffer"):
        fluxart.field(tmp_path / "missing.png")
    not_png = tmp_path / "text.png"
    not_png.write_text("no picture, only text. " * 4)
    with pytest.raises(ValueError, match="^decoder error 28: incorrect PNG signature"):
        fluxart.field(not_png)
    with pytest.raises(ValueError, match="^decoder error 28"):
        fluxart.run(not_png)
    small = tmp_path / "small.png"
    write_png(small, np.zeros((2, 3, 3), np.uint8))
    with pytest.raises(ValueError, match=r"^fluxart: .*small\.png is 3 x 2 pixels; the drawing must be 640 x 640$"):
        fluxart.field(small)
    with pytest.raises(ValueError, match="640 x 640 x 3 of uint8"):
        fluxart.field(np.zeros((640, 640, 3), np.float32))
    with pytest.raises(ValueError, match="is 640 x 640 of uint8"):
        fluxart.field(np.zeros((640, 640), np.uint8))
    for z in (1001, float("nan"), 1e300):
        with pytest.raises(ValueError, match="out of range"):
            fluxart.field(np.zeros((640, 640, 3), np.uint8), z=z)
    with pytest.raises(FileNotFoundError, match="cache folder"):
        fluxart.field(np.zeros((640, 640, 3), np.uint8), cache_dir=tmp_path / "none")
    # A drawing under the name of a kernel cache file of the call is kept.
    cache_named = tmp_path / "Fluxart_Z5003_2001000.dat"
    write_png(cache_named, np.full((640, 640, 3), 255, np.uint8))
    with pytest.raises(ValueError, match="^fluxart: Fluxart_Z5003_2001000.dat is both the drawing"):
        fluxart.field(cache_named, cache_dir=tmp_path)
    with pytest.raises(TypeError):
        fluxart.field([[0]])
