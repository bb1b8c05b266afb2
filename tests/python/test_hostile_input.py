"""The module under hostile or careless input: numpy scalars of every kind,
lax conversions, arguments the binding would misreport, too many points, one
bad problem among many, missing files and folders, Ctrl-C. One table per
class of defect; each row names what the user gave and what must follow."""

import os
import pathlib
import signal
import subprocess
import sys
import time

import numpy as np
import pytest

import kestral
from conftest import SOURCE
from kestral.parallel import Failure, analyse_many

LOADS = [kestral.Load(load=20000, pressure=0.56)]


def two_layers(E=3000, name=None):
    return [kestral.Layer(E=E, nu=0.35, thickness=150, name=name), kestral.Layer(E=60, nu=0.4)]


# A modulus given as each kind of value: read as its value (the number the
# reader echoes), or refused with (exception, message).
MODULI = [
    (np.longdouble(3000), 3000.0),
    (np.float16(3000), 3000.0),
    (np.uint16(3000), 3000),
    (np.int8(100), 100),
    (np.clongdouble(3000), (TypeError, r"layers\[0\]\.E: complex\d+ is not a value")),
    (np.timedelta64(3000), (TypeError, r"layers\[0\]\.E: timedelta64 is not a value")),
    (np.datetime64("2020"), (TypeError, r"layers\[0\]\.E: datetime64 is not a value")),
    (3000j, (TypeError, r"layers\[0\]\.E: complex is not a value")),
    (np.bytes_(b"3000"), (TypeError, r"layers\[0\]\.E: bytes_ is not a value")),
    ("3000", (ValueError, r"layers\[0\]\.E: must be a number, not a string")),
    (np.str_("3000"), (ValueError, r"layers\[0\]\.E: must be a number, not a string")),
    (np.bool_(True), (ValueError, r"layers\[0\]\.E: must be a number, not a boolean")),
    (np.longdouble("1e4000"), (ValueError, r"layers\[0\]\.E: 1e\+4000 is not a number")),
    (10**400, (ValueError, r"layers\[0\]\.E: an integer of 401 digits is not a number")),
]


@pytest.mark.parametrize("value, expected", MODULI, ids=lambda v: repr(v)[:30])
def test_every_kind_of_modulus_is_read_or_refused(value, expected):
    if isinstance(expected, tuple):
        with pytest.raises(expected[0], match="^problem: " + expected[1]):
            kestral.analyse(two_layers(E=value), LOADS, [(0, 0, 10)])
    else:
        r = kestral.analyse(two_layers(E=value), LOADS, [(0, 0, 10)])
        assert r.problem["layers"][0]["E"] == expected


# Coordinates by arrays follow the same rule as values in a problem file.
COORDINATES = [
    (["1", "2"], (ValueError, "problem: z: must be a number, not a string")),
    ([True], (ValueError, "problem: z: must be a number, not a boolean")),
    ([1 + 0j], (TypeError, "problem: z: complex128 is not a value")),
    (np.array([1], dtype="m8[s]"), (TypeError, "problem: z: timedelta64 is not a value")),
    (np.array([1, "a"], dtype=object), (ValueError, "problem: z: must be a number, not a string")),
    (np.array([1, 2.0], dtype=object), 2),
    (np.array([1, 2], dtype=np.longdouble), 2),
    (np.array([1, 2], dtype=np.int8), 2),
]


@pytest.mark.parametrize("z, expected", COORDINATES, ids=lambda v: repr(v)[:30])
def test_coordinates_follow_the_rule_of_values(z, expected):
    if isinstance(expected, tuple):
        with pytest.raises(expected[0], match="^" + expected[1].replace("(", r"\(")):
            kestral.analyse(two_layers(), LOADS, x=0, y=0, z=z)
    else:
        assert kestral.analyse(two_layers(), LOADS, x=0, y=0, z=z).rows == expected


# Arguments the binding alone would report in its own terms.
ARGUMENTS = [
    (dict(points=[(0, 0, 10)], side=3), ValueError, "side must be one text, or one per point"),
    (dict(x=[0, 1], y=0, z=1, side=["above"]), ValueError, "got 1 for 2 points"),
    (dict(x=[0], y=0, z=1, side=[3]), ValueError, "side must be one text, or one per point"),
    (dict(points=[(0, 0, 150, "below")], side=["above"]), ValueError,
     "points[0] gives side 'below' and side gives 'above'"),
    (dict(points=[(0, 0, 10)], threads=1.5), ValueError, "threads is 1.5, must be a whole number"),
    (dict(points=[(0, 0, 10)], threads=True), ValueError, "threads is True, must be a whole"),
    (dict(points=[(0, 0, 10)], loads={"load": 1, "pressure": 1}), TypeError,
     "loads must be a list of Loads"),
    (dict(points=[(0, 0, 10)], loads=LOADS[0]), TypeError, "loads must be a list of Loads"),
    (dict(x=np.zeros((2, 3)), y=np.zeros(4), z=1), ValueError, "cannot be broadcast together"),
    (dict(x=0, y=0, z=np.zeros(10**7)), ValueError,
     "problem: points: the problem has 10000000 points (points and grid), more than the limit"),
    (dict(points=np.zeros((600_000, 3)), x=0, y=0, z=np.zeros(600_000)), ValueError,
     "the problem has 1200000 points"),
]


@pytest.mark.parametrize("keywords, error, text", ARGUMENTS, ids=lambda v: str(v)[:40])
def test_arguments_are_refused_in_the_problems_terms(keywords, error, text):
    keywords = dict(keywords)
    loads = keywords.pop("loads", LOADS)
    with pytest.raises(error) as raised:
        kestral.analyse(two_layers(), loads, **keywords)
    assert text in str(raised.value)
    assert "\n" not in str(raised.value)


# `side` and the points it reaches: (keywords, the side column expected).
SIDES = [
    (dict(points=[(0, 0, 150)], side="above"), ["above"]),
    (dict(points=[(0, 0, 150), (0, 0, 150, "above")], side="below"), ["below", "above"]),
    (dict(grid={"x": [0], "y": [0], "z": [150]}, side="below"), ["below"]),
    (dict(points=[(0, 0, 150)], x=0, y=0, z=[150, 150], side=["below", "above", "below"]),
     ["below", "above", "below"]),
    (dict(points=np.array([[0, 0, 150], [10, 0, 20]]), side=["below", "above"]),
     ["below", "inside"]),
    (dict(points=np.array([[0, 0, 150]])), ["above", "below"]),
]


@pytest.mark.parametrize("keywords, sides", SIDES, ids=lambda v: str(v)[:40])
def test_side_is_applied_to_every_point_it_reaches(keywords, sides):
    assert list(kestral.analyse(two_layers(), LOADS, **keywords)["side"]) == sides


def test_one_bad_problem_among_many_gives_a_failure_in_its_place():
    good = kestral.Problem(two_layers(), LOADS, points=[(0, 0, 10)])
    bad = [kestral.Problem(two_layers(E=10**400), LOADS, points=[(0, 0, 10)]),
           kestral.Problem(two_layers(name="\udcff"), LOADS, points=[(0, 0, 10)]),
           kestral.Problem(two_layers(E=np.clongdouble(1)), LOADS, points=[(0, 0, 10)]),
           {"layers": object()}]
    results = analyse_many([good, *bad, good], batch_size=2)
    assert [isinstance(r, Failure) for r in results] == [False, True, True, True, True, False]
    assert "not valid Unicode" in results[2].message
    assert results[0].rows == results[-1].rows == 1


def read_only_folder(tmp_path):
    folder = tmp_path / "ro"
    folder.mkdir()
    for name in ("KESTRAL.in", "gauss.qua"):
        (folder / name).write_bytes((SOURCE / "examples" / "dual-wheel" / name).read_bytes())
    folder.chmod(0o555)
    if os.access(folder, os.W_OK):
        pytest.skip("this user writes into read-only folders (root)")
    return folder


# Files and folders that are not there, or not what they should be: the
# exception Python's own functions raise, still a ValueError.
PLACES = [
    (lambda tmp: kestral.analyse_file(tmp / "none.json"), FileNotFoundError, "none.json: "),
    (lambda tmp: kestral.analyse_problem(tmp / "none.json"), FileNotFoundError, "none.json: "),
    (lambda tmp: kestral.plot.profile(tmp / "none.json"), FileNotFoundError, "none.json: "),
    (lambda tmp: kestral.run_legacy(tmp / "none"), FileNotFoundError, "none: no such folder"),
    (lambda tmp: kestral.run_legacy(SOURCE / "README.md"), NotADirectoryError,
     "README.md: is a file, not a folder"),
    (lambda tmp: kestral.run_legacy(read_only_folder(tmp)), PermissionError,
     "ro: cannot be written"),
]


@pytest.mark.parametrize("call, error, text", PLACES, ids=range(len(PLACES)))
def test_missing_and_unfit_places_raise_pythons_exceptions(call, error, text, tmp_path):
    import kestral.plot  # noqa: F401 (for the plot row)

    with pytest.raises(error) as raised:
        call(tmp_path)
    assert isinstance(raised.value, ValueError)
    assert text in str(raised.value)


# Ctrl-C, a real SIGINT to a child busy in the engine: it must be
# interrupted well before the run could end (about ten seconds here).
INTERRUPTED = {
    "arrays": "kestral.analyse(section, loads, x=np.linspace(0, 900, N), y=0, z=300, threads=1)",
    "file": "kestral.analyse_file(sys.argv[1], threads=1)",
}
CHILD = """
import sys, time, numpy as np, kestral
N = 80000
section = [kestral.Layer(E=3000, nu=0.35, thickness=150), kestral.Layer(E=60, nu=0.4)]
# Sixteen loads: work enough to outlast the wait on any machine.
loads = [kestral.Load(x=60 * i, load=20000, pressure=0.56) for i in range(16)]
print("start", flush=True)
try:
    {call}
    print("finished", flush=True)
except KeyboardInterrupt:
    print("interrupted", flush=True)
"""


@pytest.mark.parametrize("how", sorted(INTERRUPTED))
def test_ctrl_c_interrupts_a_long_analysis(how, tmp_path):
    problem = tmp_path / "long.json"
    problem.write_text('{"layers": [{"E": 3000, "nu": 0.35, "thickness": 150}, '
                       '{"E": 60, "nu": 0.4}], "loads": [' +
                           # Sixteen loads: work enough to outlast the wait on any machine.
                           ", ".join('{"x": %d, "load": 20000, "pressure": 0.56}' % (60 * i) for i in range(16)) +
                           '], '
                       '"grid": {"x": ' + str(list(np.linspace(0, 900, 80000))) +
                       ', "y": [0], "z": [300]}}')
    child = subprocess.Popen([sys.executable, "-c", CHILD.format(call=INTERRUPTED[how]),
                              str(problem)], stdout=subprocess.PIPE, text=True)
    assert child.stdout.readline().strip() == "start"
    time.sleep(3.0)  # reading done, the engine busy
    sent = time.perf_counter()
    child.send_signal(signal.SIGINT)
    out, _ = child.communicate(timeout=120)
    took = time.perf_counter() - sent
    assert out.strip() == "interrupted"
    # A fraction of a second, with room for a loaded machine: the whole run
    # takes several times longer.
    assert took < 1.5, took


def test_the_package_declares_its_parts():
    package = pathlib.Path(kestral.__file__).parent
    assert (package / "py.typed").exists()
    assert f'version = "{kestral.__version__}"' in (package.parent / "pyproject.toml").read_text()
    assert not hasattr(kestral._kestral, "engine_seconds")
    for name in kestral.__all__:
        assert not name.startswith("_") and hasattr(kestral, name), name
