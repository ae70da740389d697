#pragma once
// The texts help(fluxart) shows: the module's and each function's.

constexpr char kModuleDoc[] =
    R"doc(The magnetic field of magnets painted in a 640 x 640 PNG drawing.

Every pixel in one of the 372 magnet colours (see colours()) is a 1 mm cube
of permanent magnet; every other colour is empty space. field() gives the
field in the plane z mm above the sheet as a NumPy array, run() writes the
pictures (and tables) the fluxart program writes.

    import fluxart, numpy as np
    b = fluxart.field("bar_magnet.png", z=3)        # (640, 640, 3) float32
    mT = np.linalg.norm(b, axis=2) * 1.3 * fluxart.TESLA_PER_UNIT * 1000

Kernel cache files (Fluxart_Z*.dat, about 20 MB each) go to cache_dir, the
current folder when it is None, as with the program; later calls at the
same z load them. Calls release the GIL and may run in several threads at
once, each with its own 50 MB of run state.

TESLA_PER_UNIT (2.5 / (4 pi)): a field value times the remanence Br in
tesla times TESLA_PER_UNIT is the flux density B in tesla outside the
magnets, for every magnet colour but the two monopoles (pink, dark purple),
which are charges. It holds to 1 % from a gap of 2.5 mm above the nearest
magnet face (z >= 3 for a sheet below the plane), to 5 % from 1.5 mm
(z >= 2); at 0.5 mm (z = 1) the values are 8 % to 160 % too high. It does
not hold inside a magnet: at a point of the plane within an in-plane
magnet, B differs from mu0 H.
)doc";

constexpr char kFieldDoc[] =
    R"doc(field(drawing: str | bytes | os.PathLike | numpy.ndarray, z: float = 3, w: float = 1,
      cache_dir: str | bytes | os.PathLike | None = None,
      progress: Callable[[int, int], object] | None = None) -> numpy.ndarray

The field of the drawing in the plane z mm above the sheet, for a sheet
|w| mm thick (layers at z, z + 1, ... for w >= 1; z, z - 1, ... for w <= 0).

drawing: a PNG file's path (str, bytes or os.PathLike), read as the program
reads it, or a (640, 640, 3) uint8 array of RGB pixels, row 0 at the top.
z, w: millimetres, rounded half away from zero to whole ones, as the
program's command line reads them; greater than -1001, less than 1001.
cache_dir: the folder of the kernel cache files; None for the current one.
progress: None, or called as progress(done, total) with the steps done of
the call's total (1860 a layer) as it goes, at most ten times a second and
once at the end with done == total; what it raises, the call raises once
the field is done.

Returns a float32 array of shape (640, 640, 3) in the picture's frame:
element [r, c] is the field at picture point (r + 1, c + 1), one pixel
below and right of pixel (r, c); the components are those of the tables,
[..., 0] along the rows (positive towards the bottom of the picture),
[..., 1] along the columns (positive to the right), [..., 2] across the
sheet (positive towards growing z). The values are the run's own floats,
bit for bit what the program's tables print (value 639 - c of line 639 - r).

Prints nothing; a kernel cache file that could not be kept (a full disk, a
folder that cannot be written) is told once as a RuntimeWarning. Raises
FileNotFoundError or OSError when the file cannot be read, ValueError when
it is no 640 x 640 PNG or the array is not (640, 640, 3) uint8, or z or w
is out of range, each with the program's line where it has one.
)doc";

constexpr char kRunDoc[] =
    R"doc(run(path: str | bytes | os.PathLike, z: float = 3, w: float = 1, tables: bool = False,
    cache_dir: str | bytes | os.PathLike | None = None) -> list[str]

Runs the fluxart program on the PNG file at path, as `fluxart path z w [v]`
does: writes the contour, streamline and combined pictures, and with
tables=True the three vector tables, named after path and z in the folder
path leads to. Prints what the program prints, to the process's standard
output (not sys.stdout: in a notebook it goes to the kernel's console).
Returns the names written, in the order written.

z, w: as for field(). cache_dir: the folder of the kernel cache files;
None for the current one.

Raises as field() does for a drawing it cannot use, before anything is
printed; OSError when the run ends with a failure (a file that could not be
written, say), after printing the program's line.
)doc";

constexpr char kColoursDoc[] =
    R"doc(colours() -> list[tuple[int, int, int, int, int, int, str]]

The colour table, 372 rows in the program's order: (r, g, b, sign, kind,
angle, meaning). kind is 1 across the sheet, 2 in the plane, 3 a monopole;
angle the in-plane kernel's angle in whole degrees (0 for the other kinds);
sign the factor of the row's kernel. meaning is the palette's name ("12:00
light yellow", "dir 045 (+)"). A colour that two rows share acts as the
first.
)doc";
