"""Makes the example survey: 50 FWD stations, 20 m apart, along a road of
150 mm asphalt on 300 mm granular base on subgrade, with a weak stretch
(wet subgrade, a base that lost its stiffness) from 0+400 to 0+560.

Each bowl is computed by the engine (kestral.analyse, surface deflections
under a 150 mm plate) for the station's true moduli and load, and measured
with noise: 1.5 um standard deviation, seeded, so the files come out the
same on every run. Writes survey.json, bowls.csv (the drops) and truth.csv
(the true moduli, for comparison).

    PYTHONPATH=build/release/python python3 examples/backcalculation/make_survey.py [FOLDER]
"""

from __future__ import annotations

import json
import math
import pathlib
import sys

import numpy as np

import kestral

SENSORS = [0, 200, 300, 450, 600, 900, 1200, 1500]  # mm from the plate centre
PLATE_RADIUS = 150.0  # mm
NOISE_UM = 1.5
STATIONS = 50
SPACING = 20  # m


def chainage(metres: int) -> str:
    return f"{metres // 1000}+{metres % 1000:03d}"


def true_moduli(metres: float) -> dict:
    """Smooth variation along the road; the weak stretch 400 to 560 m with
    soft edges."""
    weak = 1.0 / (1.0 + math.exp(-(metres - 400) / 15)) - 1.0 / (1.0 + math.exp(-(metres - 560) / 15))
    return {
        "asphalt": 4500.0 * (1 + 0.15 * math.sin(metres / 130)),
        "base": 320.0 * (1 + 0.12 * math.sin(metres / 90 + 1)) * (1 - 0.55 * weak),
        "subgrade": 75.0 * (1 + 0.10 * math.sin(metres / 210 + 2)) * (1 - 0.6 * weak),
    }


def bowl_um(moduli: dict, load: float) -> list:
    section = [kestral.Layer(E=moduli["asphalt"], nu=0.35, thickness=150),
               kestral.Layer(E=moduli["base"], nu=0.35, thickness=300),
               kestral.Layer(E=moduli["subgrade"], nu=0.45)]
    pressure = load / (math.pi * PLATE_RADIUS ** 2)
    r = kestral.analyse(section, [kestral.Load(x=0, y=0, radius=PLATE_RADIUS, pressure=pressure)],
                        x=np.array(SENSORS, dtype=float), y=0.0, z=0.0, tolerance=1e-8)
    return [float(uz) * 1000.0 for uz in r["uz"]]


def main(folder: pathlib.Path) -> None:
    rng = np.random.default_rng(22)
    bowls = ["id,load," + ",".join(f"d{i + 1}" for i in range(len(SENSORS)))]
    truth = ["id,E_asphalt,E_base,E_subgrade"]
    for station in range(STATIONS):
        metres = station * SPACING
        moduli = true_moduli(metres)
        load = round(40000.0 * (1 + 0.02 * rng.standard_normal()))
        measured = [round(d + NOISE_UM * rng.standard_normal(), 1) for d in bowl_um(moduli, load)]
        bowls.append(f"{chainage(metres)},{load}," + ",".join(f"{d:.1f}" for d in measured))
        truth.append(f"{chainage(metres)}," + ",".join(f"{moduli[k]:.1f}" for k in ("asphalt", "base", "subgrade")))
    survey = {
        "note": "50 stations 20 m apart, a weak stretch from 0+400 to 0+560; made by make_survey.py",
        "units": {"length": "mm", "stress": "MPa", "force": "N", "deflection": "um"},
        "layers": [
            {"name": "asphalt", "nu": 0.35, "thickness": 150, "E": {"seed": 3000, "min": 500, "max": 20000}},
            {"name": "base", "nu": 0.35, "thickness": 300, "E": {"seed": 300, "min": 30, "max": 3000}},
            {"name": "subgrade", "nu": 0.45, "E": {"seed": 80, "min": 10, "max": 1000}},
        ],
        "plate": {"radius": PLATE_RADIUS},
        "sensors": SENSORS,
        "drops_csv": "bowls.csv",
        "noise": NOISE_UM,
    }
    (folder / "survey.json").write_text(json.dumps(survey, indent=2) + "\n")
    (folder / "bowls.csv").write_text("\n".join(bowls) + "\n")
    (folder / "truth.csv").write_text("\n".join(truth) + "\n")


if __name__ == "__main__":
    main(pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else pathlib.Path(__file__).parent)
