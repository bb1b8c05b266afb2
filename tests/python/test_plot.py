"""The pictures, checked by what they hold (axes, labels, lines, marks), not
by their pixels."""

import json
import subprocess
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt
import numpy as np
import pytest

import kestral
from kestral import Results, plot

# A problem as the reader understands it: two layers on a half-space, a dual
# wheel 310 mm apart.
UNDERSTOOD = {
    "units": {"length": "mm", "stress": "MPa", "force": "N"},
    "layers": [
        {"name": "asphalt", "E": 3000, "nu": 0.35, "thickness": 150, "interface_below": "bonded"},
        {"name": "base", "E": 300, "nu": 0.35, "thickness": 250,
         "interface_below": "frictionless"},
        {"E": 60, "nu": 0.4},
    ],
    "loads": [{"x": 0, "y": 0, "radius": 106.6, "pressure": 0.56},
              {"x": 310, "y": 0, "radius": 106.6, "pressure": 0.56}],
}


def constructed_profile(places, depths):
    """Rows under each place at each depth, values made up from the depth so
    that each line can be recognised."""
    x = np.repeat([p[0] for p in places], len(depths)).astype(float)
    y = np.repeat([p[1] for p in places], len(depths)).astype(float)
    z = np.tile(depths, len(places)).astype(float)
    columns = {"x": x, "y": y, "z": z,
               "exx": 1e-4 * np.exp(-z / 200) * (1 + x / 1000),
               "ezz": -2e-4 * np.exp(-z / 300), "szz": -0.56 * np.exp(-z / 100)}
    units = {"x": "mm", "y": "mm", "z": "mm", "exx": "", "ezz": "", "szz": "MPa"}
    return Results(columns, units, problem=UNDERSTOOD)


def texts(ax):
    return [t.get_text() for t in ax.texts]


def test_profile_has_a_line_per_quantity_and_place_against_depth_downwards():
    places = [(0.0, 0.0), (155.0, 0.0)]
    depths = np.union1d(np.linspace(0, 600, 50), [150, 150, 400])
    results = constructed_profile(places, depths)
    fig, ax = plt.subplots()
    plot.draw_profile(ax, results, places, ["exx", "ezz"])

    data_lines = [line for line in ax.get_lines() if line.get_label().startswith("e")]
    assert [line.get_label() for line in data_lines] == [
        "exx at (0, 0)", "ezz at (0, 0)", "exx at (155, 0)", "ezz at (155, 0)"]
    # Strains drawn in microstrain against depth.
    first = data_lines[0]
    under = results["x"] == 0
    np.testing.assert_array_equal(first.get_xdata(), results["exx"][under] * 1e6)
    np.testing.assert_array_equal(first.get_ydata(), results["z"][under])
    assert ax.get_xlabel() == "strain (µε)"
    assert ax.get_ylabel() == "depth z (mm)"
    bottom, top = ax.get_ylim()
    assert (bottom, top) == (600.0, 0.0)  # depth 1.5 x the last interface, downwards
    plt.close(fig)


def test_profile_marks_interfaces_and_names_layers():
    places = [(0.0, 0.0)]
    results = constructed_profile(places, np.linspace(0, 600, 13))
    fig, ax = plt.subplots()
    plot.draw_profile(ax, results, places, ["exx"])
    horizontal = [line.get_ydata()[0] for line in ax.get_lines()
                  if len(set(line.get_ydata())) == 1 and line.get_linestyle() == "--"]
    assert horizontal == [150.0, 400.0]
    # Unnamed layers by number; the interface that is not bonded by kind.
    assert sorted(texts(ax)) == ["asphalt", "base", "frictionless", "layer 3"]
    plt.close(fig)


def test_profile_refuses_mixed_kinds_and_places_without_rows():
    results = constructed_profile([(0.0, 0.0)], np.linspace(0, 600, 5))
    fig, ax = plt.subplots()
    with pytest.raises(ValueError, match="cannot share an axis: exx, szz"):
        plot.draw_profile(ax, results, [(0.0, 0.0)], ["exx", "szz"])
    with pytest.raises(ValueError, match=r"no rows under \(5, 0\)"):
        plot.draw_profile(ax, results, [(5.0, 0.0)], ["exx"])
    with pytest.raises(ValueError, match="no place to draw a depth profile under"):
        plot.draw_profile(ax, results, [], ["exx"])
    plt.close(fig)


def test_stress_profile_in_the_problem_unit():
    results = constructed_profile([(0.0, 0.0)], np.linspace(0, 600, 5))
    fig, ax = plt.subplots()
    plot.draw_profile(ax, results, [(0.0, 0.0)], ["szz"])
    assert ax.get_xlabel() == "stress (MPa)"
    plt.close(fig)


def test_map_draws_contours_layers_and_the_loads_crossing_the_plane():
    nx, nz = 21, 11
    xs, zs = np.meshgrid(np.linspace(-300, 610, nx), np.linspace(0, 600, nz))
    columns = {"x": xs.ravel(), "y": np.zeros(xs.size), "z": zs.ravel(),
               "szz": -0.56 * np.exp(-zs.ravel() / 100) * np.cos(xs.ravel() / 300)}
    results = Results(columns, {"x": "mm", "y": "mm", "z": "mm", "szz": "MPa"},
                      problem=UNDERSTOOD)
    fig, ax = plt.subplots()
    plot.draw_map(ax, results, "szz", nx, nz, 0.0)
    loads = [p for p in ax.patches if p.get_label() == "load"]
    assert [(p.get_x() + p.get_width() / 2, p.get_width()) for p in loads] == [
        pytest.approx((0.0, 213.2)), pytest.approx((310.0, 213.2))]
    assert ax.get_ylim() == (600.0, 0.0)
    assert ax.get_xlabel() == "x (mm), plane y = 0"
    colourbar = fig.axes[1]
    assert colourbar.get_ylabel() == "szz: stress (MPa)"
    assert "base" in texts(ax)
    plt.close(fig)


# Through the engine and the command line.

SECTION_FILE = {
    "layers": [{"name": "asphalt", "E": 3000, "nu": 0.35, "thickness": 150},
               {"name": "base", "E": 300, "nu": 0.35, "thickness": 250,
                "interface_below": {"spring": 0.5}},
               {"E": 60, "nu": 0.40}],
    "loads": [{"x": 0, "y": 0, "load": 20000, "pressure": 0.56},
              {"x": 310, "y": 0, "load": 20000, "pressure": 0.56}],
    "points": [{"z": 10}],
}


def test_profile_through_the_engine_draws_its_rows(tmp_path):
    fig, ax = plt.subplots()
    plot.profile(SECTION_FILE, at=[(0, 0), (155, 0)], quantities=["exx", "ezz"], samples=11,
                 depth=500, ax=ax)
    lines = [line for line in ax.get_lines() if " at (" in line.get_label()]
    assert len(lines) == 4
    # 11 depths plus both faces of each interface, as analyse gives them.
    depths = np.union1d(np.linspace(0, 500, 11), [150, 400])
    r = kestral.analyse(SECTION_FILE["layers"], SECTION_FILE["loads"], x=155, y=0, z=depths)
    np.testing.assert_array_equal(lines[2].get_ydata(), r["z"])
    np.testing.assert_array_equal(lines[2].get_xdata(), r["exx"] * 1e6)
    assert sorted(texts(ax)) == ["asphalt", "base", "layer 3", "spring 0.5"]
    plt.close(fig)


def python_m_kestral(*arguments):
    return subprocess.run([sys.executable, "-m", "kestral", *map(str, arguments)],
                          capture_output=True, text=True)


def test_command_writes_profile_and_map_pictures(tmp_path):
    problem = tmp_path / "section.json"
    problem.write_text(json.dumps(SECTION_FILE))
    for extra, name in (([], "profile.png"), (["--map", "-q", "exx", "--depth", "300", "--grid", "9,5"], "map.png")):
        out = tmp_path / name
        run = python_m_kestral("plot", problem, "--profile", "0,0", "--profile", "155,0",
                               "-o", out, *extra) if not extra else \
            python_m_kestral("plot", problem, "-o", out, *extra)
        assert run.returncode == 0, run.stderr
        assert out.read_bytes()[:8] == b"\x89PNG\r\n\x1a\n"
    assert sorted(p.name for p in tmp_path.iterdir()) == ["map.png", "profile.png", "section.json"]


def test_command_mistakes(tmp_path):
    problem = tmp_path / "section.json"
    problem.write_text(json.dumps(SECTION_FILE))
    bad = tmp_path / "bad.json"
    bad.write_text(json.dumps({**SECTION_FILE, "tolerance": 1}))
    cases = [
        (["plot", tmp_path / "none.json", "-o", tmp_path / "a.png"], 1, "none.json: cannot read: "),
        (["plot", bad, "-o", tmp_path / "a.png"], 1, "tolerance"),
        (["plot", problem, "-q", "exx", "-q", "szz", "-o", tmp_path / "a.png"], 1,
         "cannot share an axis"),
        (["plot", problem, "-q", "nothing", "-o", tmp_path / "a.png"], 1, "'nothing' is not a result that can be drawn"),
        (["plot", problem, "--map", "--profile", "0,0", "-o", tmp_path / "a.png"], 1,
         "give one"),
        (["plot", problem, "-o", tmp_path / "no" / "a.png"], 1, "cannot be written"),
        (["plot", problem, "--profile", "0;0", "-o", tmp_path / "a.png"], 2, "not a place x,y"),
        (["plot", problem, "--map", "--grid", "1,5", "-o", tmp_path / "a.png"], 2,
         "at least 2 by 2"),
        (["plot", problem], 2, "-o"),
        (["plot", problem, "-o", tmp_path / "noext"], 1, "noext: no extension to tell"),
        (["plot", problem, "-o", tmp_path / "a.partial"], 1, ".partial is not a picture format"),
        (["plot", problem, "--map", "--grid", "100000,100000", "-o", tmp_path / "a.png"], 1,
         "10000000000 points, more than the limit"),
        (["plot", problem, "--depth", "1e300", "-o", tmp_path / "a.png"], 1,
         "depth: is 1e+300, must be 0 to"),
        (["plot", problem, "--map", "--depth", "nan", "-o", tmp_path / "a.png"], 1,
         "depth: is nan, must be above 0"),
    ]
    # All at once: each spends most of its second starting the interpreter.
    running = [subprocess.Popen([sys.executable, "-m", "kestral", *map(str, arguments)],
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
               for arguments, _, _ in cases]
    for (arguments, status, text), process in zip(cases, running):
        _, stderr = process.communicate()
        run = subprocess.CompletedProcess(arguments, process.returncode, "", stderr)
        assert run.returncode == status, (arguments, run.stderr)
        assert text in run.stderr
        if status == 1:
            assert run.stderr.count("\n") == 1, run.stderr
    assert sorted(p.name for p in tmp_path.iterdir()) == ["bad.json", "section.json"]


def test_quantities_are_the_tables_computed_columns():
    r = kestral.analyse([kestral.Layer(E=60, nu=0.4)], [kestral.Load(load=1000, pressure=0.5)],
                        [(0, 0, 10)])
    places = {"point", "x", "y", "z", "side", "layer", "layer_name"}
    assert list(plot.QUANTITIES) == [name for name in r if name not in places]
