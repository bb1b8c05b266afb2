"""kestral.parallel.analyse_many against the serial run: the same results bit
for bit, in input order, on threads and on a LocalCluster of two worker
processes; a failing problem gives its message in its place."""

import numpy as np
import pytest

import kestral
from kestral.parallel import Failure, analyse_many

COUNT = 200
BAD = {17, 150}  # problems made to fail


def problems():
    rng = np.random.default_rng(7)
    out = []
    for i in range(COUNT):
        nu = 0.7 if i in BAD else 0.35
        layers = [kestral.Layer(E=float(rng.lognormal(np.log(3000), 0.25)), nu=nu,
                                thickness=float(rng.normal(150, 10))),
                  kestral.Layer(E=float(rng.lognormal(np.log(300), 0.3)), nu=0.35,
                                thickness=float(rng.normal(250, 20)),
                                interface_below="frictionless" if i % 3 == 0 else "bonded"),
                  kestral.Layer(E=float(rng.lognormal(np.log(60), 0.3)), nu=0.4)]
        loads = [kestral.Load(x=0, y=0, load=20000, pressure=0.56),
                 kestral.Load(x=310, y=0, load=20000, pressure=0.56)]
        out.append(kestral.Problem(kestral.Section(layers), loads,
                                   points=[(155, 0, 100 + i)]))
    return out


@pytest.fixture(scope="module")
def serial():
    expected = []
    for problem in problems():
        try:
            expected.append(kestral.analyse_problem(problem, threads=1))
        except ValueError as error:
            expected.append(Failure(str(error)))
    return expected


def assert_same(results, expected):
    assert len(results) == len(expected)
    for got, want in zip(results, expected):
        if isinstance(want, Failure):
            assert got == want
            continue
        assert list(got) == list(want)
        assert got.problem == want.problem
        for name in want:
            assert np.array_equal(got[name], want[name]), name


def test_the_failing_problems_fail_with_their_message(serial):
    failed = [i for i, r in enumerate(serial) if isinstance(r, Failure)]
    assert failed == sorted(BAD)
    assert "layers[0].nu" in serial[17].message


def test_threads_in_process_give_the_serial_results(serial):
    assert_same(analyse_many(problems()), serial)
    assert_same(analyse_many(problems(), batch_size=1)[:20], serial[:20])


def test_two_worker_processes_give_the_serial_results(serial):
    distributed = pytest.importorskip("distributed")
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  dashboard_address=None) as cluster, \
            distributed.Client(cluster) as client:
        assert_same(analyse_many(problems(), client), serial)


def test_problem_files_and_dicts_travel_too(tmp_path, serial):
    import json

    path = tmp_path / "one.json"
    path.write_text(json.dumps(problems()[0].to_dict()))
    results = analyse_many([str(path), problems()[1].to_dict(), str(tmp_path / "none.json")])
    assert_same(results[:2], serial[:2])
    assert isinstance(results[2], Failure) and "none.json" in results[2].message


def test_nothing_in_nothing_out_and_a_bad_batch_size():
    assert analyse_many([]) == []
    with pytest.raises(ValueError, match="batch_size must be at least 1"):
        analyse_many(problems()[:2], batch_size=0)


def test_results_pickle_to_the_same_bits_columns_and_problem(serial):
    import pickle

    for want in serial[:3]:
        got = pickle.loads(pickle.dumps(want))
        assert_same([got], [want])
        assert got.headers == want.headers and got.units == want.units
        assert got.load_radii == want.load_radii
        assert got["sxx"].flags.c_contiguous and got["side"].dtype == object
