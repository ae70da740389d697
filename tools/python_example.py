"""The README's "From Python" example, run by scripts/make-docs: |B| in mT of
the bar magnet for a remanence of 1.3 T, plotted with matplotlib.
Arguments: the drawing, the picture to write."""
import sys

import matplotlib
matplotlib.use("Agg")

import fluxart, numpy as np, matplotlib.pyplot as plt
b = fluxart.field(sys.argv[1], z=3)                                    # (640, 640, 3) float32
mT = np.linalg.norm(b, axis=2) * 1.3 * fluxart.TESLA_PER_UNIT * 1000   # Br = 1.3 T
plt.imshow(mT, cmap="magma", norm="log"); plt.colorbar(label="|B| in mT")
plt.savefig(sys.argv[2], dpi=60)
