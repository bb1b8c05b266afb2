"""Timings of the Python module (run with the build tree's package on the path):

    PYTHONPATH=build/release/python /usr/bin/python3 bench/python_benchmark.py

1. The binding's overhead: kestral.analyse on a 1000-point problem (arrays in,
   reading and checking the problem, columns out) against the same problem
   timed in C++ (the benchmark's own extension _kestral_timing): the engine alone (multilayer::analyse on
   the problem as read, nothing else), and the C++ library's whole path as
   kestral-analyse runs it on a parsed file (reading and checking, engine,
   table). In wall time and in process CPU time (which hardly depends on the
   machine's other load). Target: below 5 %.
2. A depth profile of 200 points under a dual wheel, the whole call.
   Target: well under 10 ms.
The machine is shared: each time is the best of several repeats (the one
least disturbed), and the binding's cost the median of the differences
within interleaved pairs.
"""

import statistics
import time

import numpy as np

import kestral
import _kestral_timing  # beside the package in the build tree, never installed

SECTION = kestral.Section([kestral.Layer(E=3000, nu=0.35, thickness=150, name="asphalt"),
                           kestral.Layer(E=300, nu=0.35, thickness=250, name="base"),
                           kestral.Layer(E=60, nu=0.40, name="subgrade")])
DUAL = [kestral.Load(x=0, y=0, load=20000, pressure=0.56),
        kestral.Load(x=310, y=0, load=20000, pressure=0.56)]


def best_seconds(call, repeats, clock=time.perf_counter):
    best = float("inf")
    for _ in range(repeats):
        start = clock()
        call()
        best = min(best, clock() - start)
    return best


def overhead(pairs=21):
    """Interleaved runs (the module's call, the engine alone, the library's
    path), so that all see the same load of the machine. Returns, for each
    baseline and clock, the best time of the module, the best of the
    baseline and the median of the differences within the pairs."""
    x, z = np.meshgrid(np.linspace(-300, 610, 40), np.linspace(10, 600, 25))
    x, z = x.ravel(), z.ravel()
    y = np.full(x.size, 50.0)
    assert x.size == 1000
    problem = kestral.Problem(SECTION, DUAL, points=list(zip(x, y, z))).to_dict()
    # One engine thread everywhere, so that the differences are the binding's.
    call = lambda: kestral.analyse(SECTION, DUAL, x=x, y=y, z=z, threads=1)  # noqa: E731
    module = {"wall": [], "CPU": []}
    baselines = {(what, clock): [] for what in ("engine", "library") for clock in module}
    call()  # warm: the first call imports and allocates what the others reuse
    for _ in range(pairs):
        wall_start, cpu_start = time.perf_counter(), time.process_time()
        call()
        module["wall"].append(time.perf_counter() - wall_start)
        module["CPU"].append(time.process_time() - cpu_start)
        for what in ("engine", "library"):
            wall, cpu = _kestral_timing.engine_seconds(problem, kestral.KEYWORD_SOURCE, 1, 1, what)
            baselines[(what, "wall")].append(wall)
            baselines[(what, "CPU")].append(cpu)
    return {key: (min(module[key[1]]), min(times),
                  statistics.median(m - b for m, b in zip(module[key[1]], times)))
            for key, times in baselines.items()}


def profile(repeats=10, threads=1, clock=time.perf_counter):
    z = np.linspace(0, 600, 200)
    return best_seconds(lambda: kestral.analyse(SECTION, DUAL, x=np.zeros(200),
                                                y=np.zeros(200), z=z, threads=threads),
                        repeats, clock)


def main():
    names = {"engine": "the engine alone", "library": "the library's path"}
    for (what, clock), (module, base, added) in overhead().items():
        print(f"1000 points, dual wheel, one thread, {clock} time: kestral.analyse "
              f"{module * 1e3:.2f} ms, {names[what]} {base * 1e3:.2f} ms (best of each); "
              f"the module adds {added * 1e3:.2f} ms, {100 * added / base:.2f} % "
              f"(median within runs; target < 5 %)")
    for threads in (1, 2):
        seconds = profile(threads=threads)
        print(f"depth profile, 200 points under a dual wheel, {threads} thread(s): "
              f"{seconds * 1e3:.2f} ms wall (target well under 10 ms)")
    problem = kestral.Problem(SECTION, DUAL, points=[(x, 50.0, 300.0) for x in range(1000)])
    wall, cpu = _kestral_timing.engine_seconds(problem.to_dict(), kestral.KEYWORD_SOURCE, 20, 1, "read")
    print(f"reading and checking 1000 points (the reader of problem files alone): "
          f"{cpu * 1e3:.2f} ms CPU")
    print(f"depth profile, 200 points under a dual wheel, 1 thread: "
          f"{profile(clock=time.process_time) * 1e3:.2f} ms CPU")


if __name__ == "__main__":
    main()
