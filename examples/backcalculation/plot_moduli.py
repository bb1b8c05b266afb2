"""Backcalculates the example survey and draws the moduli along the road:
one panel per layer, the fitted modulus of each station with its range (how
far it may move while the bowl stays fitted within the measurement noise)
as an error bar, the true moduli of truth.csv as a dashed line. Saves
moduli.png beside the survey (or in FOLDER).

    PYTHONPATH=build/release/python python3 examples/backcalculation/plot_moduli.py [FOLDER]
"""

from __future__ import annotations

import csv
import pathlib
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt
import numpy as np

import kestral

HERE = pathlib.Path(__file__).parent
LAYERS = ("asphalt", "base", "subgrade")


def metres(station_id: str) -> float:
    kilometres, rest = station_id.split("+")
    return 1000.0 * float(kilometres) + float(rest)


def main(out: pathlib.Path) -> None:
    r = kestral.backcalculate(HERE / "survey.json")
    x = np.array([metres(i) for i in r["id"]])
    with open(HERE / "truth.csv", newline="") as f:
        truth = list(csv.DictReader(f))
    fig, axes = plt.subplots(len(LAYERS) + 1, 1, sharex=True, figsize=(8, 9))
    for ax, layer in zip(axes, LAYERS):
        E = r[f"E_{layer}"]
        factor = 1 + r[f"E_{layer}_range_percent"] / 100
        ax.errorbar(x, E, yerr=[E - E / factor, E * factor - E], fmt="o", ms=3, label="fitted, with range")
        ax.plot([metres(t["id"]) for t in truth], [float(t[f"E_{layer}"]) for t in truth], "--", label="true")
        ax.set_yscale("log")
        ax.set_ylabel(f"E {layer} (MPa)")
    axes[0].legend(loc="upper right")
    axes[-1].plot(x, r["rms_percent"], "o", ms=3)
    axes[-1].set_ylabel("rms misfit (%)")
    axes[-1].set_xlabel("chainage (m)")
    axes[0].set_title("Layer moduli backcalculated along the road (weak stretch 400 to 560 m)")
    fig.tight_layout()
    fig.savefig(out / "moduli.png", dpi=90)
    print(f"{r.rows} drops; {sum(s == 'converged' for s in r['status'])} converged; "
          f"largest rms misfit {np.nanmax(r['rms_percent']):.3f} %")


if __name__ == "__main__":
    main(pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else HERE)
