"""Depth profiles of the horizontal and vertical strains under a wheel and
midway between the two wheels of a dual wheel, and a map of the vertical
stress in the plane through the wheels; saves profile.png and map.png in
the manual's pictures, docs/pictures/ (or in the folder given).

    python3 examples/python/profile_plot.py [FOLDER]
"""

import pathlib
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt

import kestral
from kestral import plot

FOLDER = pathlib.Path(sys.argv[1] if len(sys.argv) > 1
                    else pathlib.Path(__file__).resolve().parents[2] / "docs" / "pictures")

problem = kestral.Problem(
    kestral.Section([kestral.Layer(name="asphalt", E=3000, nu=0.35, thickness=150),
                     kestral.Layer(name="granular base", E=300, nu=0.35, thickness=250),
                     kestral.Layer(name="subgrade", E=60, nu=0.40)]),
    [kestral.Load(x=0, y=0, load=20000, pressure=0.56),
     kestral.Load(x=310, y=0, load=20000, pressure=0.56)])

ax = plot.profile(problem, at=[(0, 0), (155, 0)], quantities=["exx", "ezz"])
ax.set_title("Dual wheel, 2 x 20 kN at 0.56 MPa:\nunder a wheel (0, 0) and between the wheels (155, 0)")
ax.figure.tight_layout()
ax.figure.savefig(FOLDER / "profile.png", dpi=100)
plt.close(ax.figure)

ax = plot.section_map(problem, "szz")
ax.figure.tight_layout()
ax.figure.savefig(FOLDER / "map.png", dpi=100)
plt.close(ax.figure)
print(f"wrote {FOLDER / 'profile.png'} and {FOLDER / 'map.png'}")
