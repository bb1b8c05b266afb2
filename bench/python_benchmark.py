"""Timings of the Python module (run with the build tree's package on the path):

    PYTHONPATH=build/release/python /usr/bin/python3 bench/python_benchmark.py

1. The binding's overhead: kestral.analyse on a 1000-point problem (arrays in,
   reading and checking the problem, columns out) against the engine alone
   on the same problem, timed inside the module in C++ (multilayer::analyse
   on the problem as read, nothing else), in wall time and in process CPU
   time (which hardly depends on the machine's other load). Target: below 5 %.
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
from kestral import _kestral

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
    """Interleaved pairs (the module's call, then the engine alone), so that
    both see the same load of the machine. Returns, for wall and CPU time,
    the best of each and the median of the differences within the pairs."""
    x, z = np.meshgrid(np.linspace(-300, 610, 40), np.linspace(10, 600, 25))
    x, z = x.ravel(), z.ravel()
    y = np.full(x.size, 50.0)
    assert x.size == 1000
    problem = kestral.Problem(SECTION, DUAL, points=list(zip(x, y, z))).to_dict()
    # One engine thread in both, so that the difference is the binding's.
    call = lambda: kestral.analyse(SECTION, DUAL, x=x, y=y, z=z, threads=1)  # noqa: E731
    times = {"wall": ([], []), "CPU": ([], [])}
    call()  # warm: the first call imports and allocates what the others reuse
    for _ in range(pairs):
        wall_start, cpu_start = time.perf_counter(), time.process_time()
        call()
        times["wall"][0].append(time.perf_counter() - wall_start)
        times["CPU"][0].append(time.process_time() - cpu_start)
        engine_wall, engine_cpu = _kestral.engine_seconds(problem, kestral.KEYWORD_SOURCE, 1, 1)
        times["wall"][1].append(engine_wall)
        times["CPU"][1].append(engine_cpu)
    return {clock: (min(module), min(engine),
                    statistics.median(m - e for m, e in zip(module, engine)))
            for clock, (module, engine) in times.items()}


def profile(repeats=10, threads=1, clock=time.perf_counter):
    z = np.linspace(0, 600, 200)
    return best_seconds(lambda: kestral.analyse(SECTION, DUAL, x=np.zeros(200),
                                                y=np.zeros(200), z=z, threads=threads),
                        repeats, clock)


def main():
    for clock, (module, engine, added) in overhead().items():
        print(f"1000 points, dual wheel, one thread, {clock} time: kestral.analyse "
              f"{module * 1e3:.2f} ms, engine alone {engine * 1e3:.2f} ms (best of each); "
              f"the binding adds {added * 1e3:.2f} ms, {100 * added / engine:.2f} % "
              f"(median within pairs; target < 5 %)")
    for threads in (1, 2):
        seconds = profile(threads=threads)
        print(f"depth profile, 200 points under a dual wheel, {threads} thread(s): "
              f"{seconds * 1e3:.2f} ms wall (target well under 10 ms)")
    print(f"depth profile, 200 points under a dual wheel, 1 thread: "
          f"{profile(clock=time.process_time) * 1e3:.2f} ms CPU")


if __name__ == "__main__":
    main()
