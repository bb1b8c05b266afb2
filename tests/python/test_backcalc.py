"""kestral.backcalculate, backcalculate_json, backcalculate_many and
plot.bowl: moduli recovered from bowls that kestral.analyse made, the
program's own text, its messages, and the picture by what it holds."""

import json
import math
import os
import pathlib
import subprocess

import matplotlib

matplotlib.use("Agg")
import numpy as np
import pytest

import kestral
from kestral import _kestral, plot
from kestral.parallel import Failure, backcalculate_many

SENSORS = [0, 200, 300, 450, 600, 900, 1200, 1500]
TRUE = {"asphalt": 4000.0, "base": 250.0, "subgrade": 60.0}
LOAD = 40000.0


def engine_bowl(moduli):
    """The surface deflections (um) under the plate, by kestral.analyse: an
    independent way to the bowl from the one the fit uses."""
    section = [kestral.Layer(E=moduli["asphalt"], nu=0.35, thickness=150),
               kestral.Layer(E=moduli["base"], nu=0.35, thickness=300),
               kestral.Layer(E=moduli["subgrade"], nu=0.45)]
    pressure = LOAD / (math.pi * 150.0 ** 2)
    r = kestral.analyse(section, [kestral.Load(x=0, y=0, radius=150, pressure=pressure)],
                        x=np.array(SENSORS, dtype=float), y=0.0, z=0.0, tolerance=1e-8)
    return [float(d) * 1000.0 for d in r["uz"]]


def survey(drops, **extra):
    document = {
        "layers": [
            {"name": "asphalt", "nu": 0.35, "thickness": 150, "E": {"seed": 10000, "min": 500, "max": 20000}},
            {"name": "base", "nu": 0.35, "thickness": 300, "E": {"seed": 100, "min": 30, "max": 3000}},
            {"name": "subgrade", "nu": 0.45, "E": {"seed": 150, "min": 10, "max": 1000}}],
        "plate": {"radius": 150},
        "sensors": SENSORS,
        "drops": drops,
    }
    document.update(extra)
    return document


@pytest.fixture(scope="module")
def bowl_um():
    return engine_bowl(TRUE)


def program():
    return pathlib.Path(kestral.__file__).resolve().parents[2] / "backcalc" / "kestral-backcalc"


def test_recovers_the_moduli_of_a_bowl_the_engine_made(bowl_um):
    r = kestral.backcalculate(survey([{"id": "a", "load": LOAD, "deflections": bowl_um}]), threads=1)
    assert r["status"][0] == "converged"
    for name, value in TRUE.items():
        # The fit's target is 0.1 %; the bowl was made at tolerance 1e-8, the
        # fit runs at 1e-6.
        assert r[f"E_{name}"][0] == pytest.approx(value, rel=1e-3)
    assert r["rms_percent"][0] < 1e-3
    assert r.units["E_base"] == "MPa" and r.units["fit_300"] == "um"
    frame = r.to_pandas()
    assert list(frame.columns) == r.headers and frame["id"][0] == "a"


def test_a_failed_drop_has_its_row_and_its_message(bowl_um):
    drops = [{"id": "a", "load": LOAD, "deflections": bowl_um},
             {"id": "b", "load": -1, "deflections": bowl_um}]
    r = kestral.backcalculate(survey(drops))
    assert list(r["status"]) == ["converged", "failed:load"]
    assert np.isnan(r["E_base"][1])
    assert r.messages == "survey: drop b (drops[1]): load is -1, must be above 0\n"


def test_a_survey_the_program_refuses_raises_its_message():
    with pytest.raises(ValueError, match=r"^survey: plate.radius: is 0, must be above 0$"):
        kestral.backcalculate(survey([], plate={"radius": 0}))
    with pytest.raises(ValueError, match=r"^s.json: line 1, column 2: not valid JSON"):
        _kestral.backcalculate_json("{]", source="s.json")


def test_json_text_is_the_programs_with_the_csv_beside_or_given(tmp_path, bowl_um):
    csv = "id,load," + ",".join(f"d{i + 1}" for i in range(8)) + "\n" + \
          "c," + str(LOAD) + "," + ",".join(repr(d * 1.01) for d in bowl_um) + "\n"
    (tmp_path / "bowls.csv").write_text(csv)
    text = json.dumps(survey([{"id": "a", "load": LOAD, "deflections": bowl_um}], drops_csv="bowls.csv"))
    (tmp_path / "s.json").write_text(text)
    run = subprocess.run([str(program()), "s.json", "--format", "json"], cwd=tmp_path,
                         capture_output=True, text=True, check=True)
    assert _kestral.backcalculate_json(text, folder=str(tmp_path), source="s.json") == run.stdout
    assert _kestral.backcalculate_json(text, csv_text=csv, source="s.json", threads=2) == run.stdout
    table = json.loads(run.stdout)
    assert table["columns"]["id"] == ["a", "c"]


def test_many_surveys_over_dask_in_input_order(bowl_um):
    good = survey([{"id": "a", "load": LOAD, "deflections": bowl_um}])
    done = backcalculate_many([good, survey([], sensors=[])], batch_size=1)
    assert done[0]["status"][0] == "converged"
    assert isinstance(done[1], Failure) and str(done[1]) == "survey: sensors: must not be empty"
    assert np.array_equal(done[0]["E_base"], kestral.backcalculate(good)["E_base"])


def test_bowl_plot_holds_the_measured_and_fitted_bowls(bowl_um):
    measured = [d * (1 + 0.01 * (-1) ** i) for i, d in enumerate(bowl_um)]
    r = kestral.backcalculate(survey([{"id": "x", "load": LOAD, "deflections": bowl_um},
                                      {"id": "0+020", "load": LOAD, "deflections": measured}]))
    ax = plot.bowl(r, drop="0+020")
    marks, line = ax.get_lines()
    assert list(marks.get_xdata()) == SENSORS and list(marks.get_ydata()) == measured
    assert list(line.get_ydata()) == [r[f"fit_{s}"][1] for s in SENSORS]
    assert ax.get_title().startswith("drop 0+020: converged, rms ")
    assert ax.yaxis_inverted()
    assert ax.get_ylabel() == "deflection (um)"
    with pytest.raises(ValueError, match="no drop with id 'nope'"):
        plot.bowl(r, drop="nope")


EXAMPLE = pathlib.Path(os.environ.get("KESTRAL_SOURCE_DIR", pathlib.Path(__file__).parents[2])) / "examples" / "backcalculation"


def test_the_example_survey_is_what_its_script_makes_and_its_table_what_the_program_gives(tmp_path):
    subprocess.run([os.sys.executable, str(EXAMPLE / "make_survey.py"), str(tmp_path)], check=True)
    for name in ("survey.json", "bowls.csv", "truth.csv"):
        assert (tmp_path / name).read_text() == (EXAMPLE / name).read_text(), name
    fresh = kestral.backcalculate(EXAMPLE / "survey.json")
    kept = np.genfromtxt(EXAMPLE / "moduli.csv", delimiter=",", names=True, dtype=None, encoding="utf-8")
    assert list(kept["status"]) == list(fresh["status"])
    for layer in ("asphalt", "base", "subgrade"):
        # The engine's deflections carry errors near the tolerance (1e-6):
        # a change in the engine may move a fitted modulus by about that.
        np.testing.assert_allclose(kept[f"E_{layer}"], fresh[f"E_{layer}"], rtol=1e-4)
