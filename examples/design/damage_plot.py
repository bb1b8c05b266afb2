"""Every criterion's damage against the asphalt thickness of section.json,
with the line D = 1 and the thickness the search found.

    python3 examples/design/damage_plot.py [FOLDER]     # writes FOLDER/damage.png
"""

import pathlib
import sys

import matplotlib

matplotlib.use("Agg")

import kestral.plot  # noqa: E402

HERE = pathlib.Path(__file__).resolve().parent
folder = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else HERE
count = int(sys.argv[2]) if len(sys.argv) > 2 else 12

ax = kestral.plot.damage_vs_thickness(HERE / "section.json", count=count)
ax.set_title("section.json: damage against asphalt thickness")
ax.figure.savefig(folder / "damage.png", dpi=100)
print(f"wrote {folder / 'damage.png'}")
