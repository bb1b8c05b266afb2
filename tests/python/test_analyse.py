"""kestral.analyse, analyse_file and analyse_problem against kestral-analyse:
the same columns bit for bit, the same problem as understood, the same
message for every mistake."""

import copy
import json
import subprocess
import threading
import time

import numpy as np
import pytest

import kestral
from conftest import program

DUAL = [{"x": 0, "y": 0, "load": 20000, "pressure": 0.56},
        {"x": 310, "y": 0, "load": 20000, "pressure": 0.56}]

# Every kind of interface and key: named layers, a spring, points on an
# interface with each side, a grid, other units, a load given by its radius.
PROBLEMS = {
    "three-layers-dual": {
        "note": "bonded, frictionless; named layers; points on both interfaces",
        "layers": [{"name": "asphalt", "E": 3000, "nu": 0.35, "thickness": 150},
                   {"name": "base", "E": 300, "nu": 0.35, "thickness": 250,
                    "interface_below": "frictionless"},
                   {"name": "subgrade", "E": 60, "nu": 0.40}],
        "loads": DUAL,
        "points": [{"x": 0, "y": 0, "z": 150}, {"x": 155, "y": 0, "z": 400},
                   {"x": 155, "y": 20, "z": 400, "side": "below"}, {"x": 0, "y": 0, "z": 0}],
        "grid": {"x": [0, 155], "y": [0], "z": [50, 150, 700], "side": "above"},
    },
    "spring-in-inches": {
        "units": {"length": "in", "stress": "psi", "force": "lbf"},
        "layers": [{"E": 435000, "nu": 0.35, "thickness": 6,
                    "interface_below": {"spring": 1800}},
                   {"E": 8700, "nu": 0.5}],
        "loads": [{"x": 0, "y": 0, "radius": 4.2, "pressure": 81.2}],
        "points": [{"x": 0, "y": 0, "z": 6}, {"x": 6, "y": 2, "z": 6, "side": "above"},
                   {"x": 1, "y": 1, "z": 12}],
        "tolerance": 1e-6,
    },
    "half-space-in-metres": {
        "units": {"length": "m", "stress": "kPa", "force": "kN"},
        "layers": [{"E": 100000, "nu": 0.3}],
        "loads": [{"load": 40, "pressure": 700}],
        "grid": {"x": [0, 0.1, 0.5], "y": [0], "z": [0, 0.2]},
    },
}


def exe():
    return program("KESTRAL_ANALYSE_EXE")


def run_program(path, *arguments):
    return subprocess.run([exe(), str(path), *arguments], capture_output=True, text=True)


def bits(values):
    array = np.asarray(values)
    return array.astype(np.float64).view(np.int64) if array.dtype != object else array


def assert_same_columns(results, columns):
    """`columns`: heading -> values, as kestral-analyse writes them."""
    assert results.headers == list(columns)
    for heading, values in columns.items():
        got = results[heading]
        if got.dtype == object:
            assert list(got) == list(values), heading
        else:
            np.testing.assert_array_equal(bits(got), bits(values), err_msg=heading)


def assert_same_results(a, b):
    assert a.headers == b.headers
    for name in a:
        np.testing.assert_array_equal(bits(a[name]), bits(b[name]), err_msg=name)


@pytest.fixture(params=sorted(PROBLEMS))
def problem_file(request, tmp_path):
    path = tmp_path / f"{request.param}.json"
    path.write_text(json.dumps(PROBLEMS[request.param]))
    return request.param, path


def test_file_and_dict_give_the_programs_json_bit_for_bit(problem_file):
    name, path = problem_file
    run = run_program(path, "--format", "json")
    assert run.returncode == 0, run.stderr
    written = json.loads(run.stdout)
    from_file = kestral.analyse_file(path)
    assert_same_columns(from_file, written["columns"])
    assert from_file.problem == written["problem"]
    from_dict = kestral.analyse_problem(PROBLEMS[name])
    assert_same_results(from_dict, from_file)
    assert from_dict.problem == written["problem"]


def test_to_pandas_is_the_programs_csv(problem_file):
    pandas = pytest.importorskip("pandas")
    import io

    name, path = problem_file
    run = run_program(path, "--digits", "all")
    assert run.returncode == 0, run.stderr
    csv = pandas.read_csv(io.StringIO(run.stdout), float_precision="round_trip",
                          keep_default_na=False)
    frame = kestral.analyse_file(path).to_pandas()
    assert list(frame.columns) == list(csv.columns)
    for heading in csv.columns:
        if frame[heading].dtype == object:
            assert list(frame[heading]) == list(csv[heading]), heading
        else:  # pandas reads "0" as an integer: compare as doubles
            np.testing.assert_array_equal(bits(frame[heading]), bits(csv[heading]),
                                          err_msg=heading)


def test_keywords_arrays_and_threads_give_the_same_bits():
    problem = PROBLEMS["three-layers-dual"]
    reference = kestral.analyse_problem(problem)
    section = kestral.Section([kestral.Layer(**layer) for layer in problem["layers"]])
    loads = [kestral.Load(**load) for load in problem["loads"]]
    points = [(p["x"], p["y"], p["z"]) + ((p["side"],) if "side" in p else ())
              for p in problem["points"]]
    by_keywords = kestral.analyse(section, loads, points, grid=problem["grid"], threads=2)
    assert_same_results(by_keywords, reference)

    xs = np.array([0.0, 155.0, 0.0]), np.array([0.0, 0.0, 0.0]), np.array([150.0, 400.0, 0.0])
    by_arrays = kestral.analyse(section, loads, x=xs[0], y=xs[1], z=xs[2], threads=1)
    by_tuples = kestral.analyse(section, loads, list(zip(*xs)), threads=3)
    assert_same_results(by_arrays, by_tuples)
    # Scalars broadcast against arrays: a profile under one place.
    profile = kestral.analyse(section, loads, x=0, y=0, z=np.array([150.0, 400.0]))
    assert list(profile["side"]) == ["above", "below", "above", "below"]
    sided = kestral.analyse(section, loads, x=0, y=0, z=[150.0, 400.0], side=["below", "above"])
    assert list(sided["layer"]) == [2, 2]


def test_version_is_the_programs():
    run = subprocess.run([exe(), "--version"], capture_output=True, text=True)
    assert run.stdout.strip() == f"kestral-analyse {kestral.__version__}"


def test_results_columns_and_units():
    r = kestral.analyse_problem(PROBLEMS["spring-in-inches"])
    assert r.units["sxx"] == "psi" and r.units["uz"] == "in" and r.units["exx"] == ""
    np.testing.assert_array_equal(r["sxx"], r["sxx_psi"])
    assert r.header("sxx") == "sxx_psi"
    assert r["point"].dtype == np.int64 and list(r["point"]) == [1, 1, 2, 3]
    assert r.rows == 4 and len(r) == len(r.headers)
    with pytest.raises(KeyError, match="no column 'sxy_MPa'"):
        r["sxy_MPa"]
    # The arrays own the engine's columns: no copy was made for them.
    assert not r["sxx"].flags.owndata and r["sxx"].base is not None
    assert r.load_radii == [4.2]


# Mistakes, each as a change to a valid problem: kestral-analyse's message
# for the file, and the same message from every way into the module.
def mistake(change):
    problem = copy.deepcopy(PROBLEMS["three-layers-dual"])
    change(problem)
    return problem


MISTAKES = {
    "misspelt-key": lambda p: p["layers"][0].update(thicknes=10),
    "poisson-too-large": lambda p: p["layers"][1].update(nu=0.7),
    "negative-modulus": lambda p: p["layers"][2].update(E=-60),
    "text-for-a-number": lambda p: p["layers"][0].update(thickness="150"),
    "unknown-interface": lambda p: p["layers"][0].update(interface_below="glued"),
    "negative-spring": lambda p: p["layers"][0].update(interface_below={"spring": -1}),
    "no-thickness": lambda p: p["layers"][0].pop("thickness"),
    "load-and-radius": lambda p: p["loads"][1].update(radius=100),
    "no-pressure": lambda p: p["loads"][0].pop("pressure"),
    "point-above-surface": lambda p: p["points"][2].update(z=-1),
    "bad-side": lambda p: p["points"][0].update(side="left"),
    "grid-not-a-list": lambda p: p["grid"].update(y=0),
    "bad-unit": lambda p: p.update(units={"length": "cm"}),
    "tolerance": lambda p: p.update(tolerance=0.5),
    "no-layers": lambda p: p.pop("layers"),
    "no-points": lambda p: (p.pop("points"), p.pop("grid")),
}


@pytest.mark.parametrize("name", sorted(MISTAKES))
def test_every_mistake_raises_the_programs_message(name, tmp_path):
    problem = mistake(MISTAKES[name])
    path = tmp_path / "p.json"
    path.write_text(json.dumps(problem))
    run = run_program(path)
    assert run.returncode == 1 and run.stdout == ""
    message = run.stderr.rstrip("\n")
    assert "\n" not in message and message.startswith(f"{path}: ")
    with pytest.raises(ValueError) as from_file:
        kestral.analyse_file(path)
    assert str(from_file.value) == message
    with pytest.raises(ValueError) as from_dict:
        kestral.analyse_problem(problem)
    assert str(from_dict.value) == message.replace(str(path), kestral.KEYWORD_SOURCE, 1)


def test_file_errors_are_the_programs(tmp_path):
    for name, text in (("missing.json", None), ("broken.json", '{"layers": [}'),
                       ("twice.json", '{"tolerance": 1e-6, "tolerance": 1e-7}')):
        path = tmp_path / name
        if text is not None:
            path.write_text(text)
        run = run_program(path)
        with pytest.raises(ValueError) as raised:
            kestral.analyse_file(path)
        assert str(raised.value) == run.stderr.rstrip("\n")


def test_values_python_alone_can_get_wrong():
    section = [kestral.Layer(E=float("nan"), nu=0.35)]
    loads = [kestral.Load(load=20000, pressure=0.56)]
    with pytest.raises(ValueError, match=r"^problem: layers\[0\]\.E: nan is not a number a problem file can hold$"):
        kestral.analyse(section, loads, [(0, 0, 10)])
    good = [kestral.Layer(E=60, nu=0.35)]
    with pytest.raises(ValueError, match=r"^problem: points\[1\]\.z: inf is not a number"):
        kestral.analyse(good, loads, x=[0, 0], y=[0, 0], z=[1, np.inf])
    with pytest.raises(TypeError, match=r"^problem: layers\[0\]\.E: object is not a value"):
        kestral.analyse([kestral.Layer(E=object(), nu=0.35)], loads, [(0, 0, 1)])
    with pytest.raises(TypeError, match="x, y and z are given together"):
        kestral.analyse(good, loads, x=[0.0], z=[1.0])
    with pytest.raises(ValueError, match="side must be one text, or one per point"):
        kestral.analyse(good, loads, x=[0.0, 1.0], y=0, z=1, side=["above"])
    with pytest.raises(ValueError, match="threads is -1"):
        kestral.analyse(good, loads, [(0, 0, 1)], threads=-1)
    with pytest.raises(TypeError, match=r"^problem: a key must be text, not 1$"):
        kestral.analyse_problem({1: 2})
    looped = []
    looped.append(looped)
    with pytest.raises(ValueError, match=r"^problem: layers(\[0\])+: nested more than 64 deep$"):
        kestral.analyse_problem({"layers": looped})
    # numpy scalars are numbers like any other.
    r = kestral.analyse([kestral.Layer(E=np.float32(60), nu=np.float64(0.35))], loads,
                        [(np.int64(0), 0, 10)])
    assert r.problem["layers"][0]["E"] == 60.0


def test_the_engine_runs_without_the_gil():
    # A problem of 20000 points takes a good fraction of a second; a
    # thread that held the GIL throughout would stop the counting here (no
    # tick between its start and its end).
    section = [kestral.Layer(E=3000, nu=0.35, thickness=150), kestral.Layer(E=60, nu=0.4)]
    loads = [kestral.Load(load=20000, pressure=0.56)]
    z = np.linspace(1, 600, 20000)
    worker = threading.Thread(target=kestral.analyse,
                              args=(section, loads), kwargs={"x": 0, "y": 0, "z": z, "threads": 1})
    ticks = 0
    start = time.perf_counter()
    worker.start()
    while worker.is_alive():
        ticks += 1
        time.sleep(0.001)
    worker.join()
    took = time.perf_counter() - start
    assert took > 0.05, "the problem ran too fast to tell"
    assert ticks > 10


def test_boussinesq_on_the_axis_in_every_unit():
    # A homogeneous half-space under a uniform circle: on the axis
    # szz = -q (1 - z^3 / (a^2 + z^2)^1.5) (Boussinesq), the same in any
    # units. 1e-9 relative: the engine's default tolerance is 1e-8 of q, and
    # its closed-form half-space part makes the axis far better than that.
    for units, a, q, depths in (({"length": "mm", "stress": "MPa", "force": "N"}, 150.0, 0.7,
                                 [0.0, 75.0, 150.0, 600.0]),
                                ({"length": "m", "stress": "kPa", "force": "kN"}, 0.15, 700.0,
                                 [0.0, 0.075, 0.15, 0.6]),
                                ({"length": "in", "stress": "psi", "force": "lbf"}, 6.0, 100.0,
                                 [0.0, 3.0, 6.0, 24.0])):
        r = kestral.analyse([kestral.Layer(E=200 * q, nu=0.35)],
                            [kestral.Load(radius=a, pressure=q)], x=0, y=0, z=depths,
                            units=units)
        z = np.array(depths)
        expected = -q * (1 - z**3 / (a * a + z * z) ** 1.5)
        np.testing.assert_allclose(r["szz"], expected, rtol=0, atol=1e-9 * q)
        assert r.units["szz"] == units["stress"]
