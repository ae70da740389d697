"""The magnetic field of magnets painted in a 640 x 640 PNG drawing."""
import os
from typing import Callable, List, Optional, Tuple, Union

import numpy as np
import numpy.typing as npt

StrPath = Union[str, bytes, "os.PathLike[str]", "os.PathLike[bytes]"]

TESLA_PER_UNIT: float
"""2.5 / (4 pi): value x Br [T] x TESLA_PER_UNIT is B in tesla outside the
magnets, for every colour but the monopoles; to 1 % from a gap of 2.5 mm to
the nearest magnet face (z >= 3), to 5 % from 1.5 mm (z >= 2); not inside an
in-plane magnet."""

SIDE: int
"""640: the drawing's width and height in pixels (1 pixel = 1 mm)."""

def field(
    drawing: Union[StrPath, npt.NDArray[np.uint8]],
    z: float = 3,
    w: float = 1,
    cache_dir: Optional[StrPath] = None,
    progress: Optional[Callable[[int, int], object]] = None,
) -> npt.NDArray[np.float32]:
    """The (640, 640, 3) float32 field of the drawing in the plane z mm above
    the sheet; element [r, c] is the field at picture point (r + 1, c + 1)."""

def run(
    path: StrPath,
    z: float = 3,
    w: float = 1,
    tables: bool = False,
    cache_dir: Optional[StrPath] = None,
) -> List[str]:
    """Runs the program on the PNG file at path; returns the names written."""

def colours() -> List[Tuple[int, int, int, int, int, int, str]]:
    """The colour table: (r, g, b, sign, kind, angle, meaning) per row."""
