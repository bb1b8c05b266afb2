"""Timings of the Python module (run with the build tree's package on the path):

    PYTHONPATH=build/release/python /usr/bin/python3 bench/python_benchmark.py

1. The binding's overhead: kestral.analyse on a 1000-point problem (arrays in,
   reading and checking the problem, columns out) against the engine alone
   on the same problem, timed inside the module in C++ (multilayer::analyse
   on the problem as read, nothing else), in wall time and in process CPU
   time (which hardly depends on the machine's other load). Target: below 5 %.
2. A depth profile of 200 points under a dual wheel, the whole call.
   Target: well under 10 ms.
Each figure is the best of several repeats (the machine is shared: the best
is the one least disturbed).
"""

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


def overhead(repeats=15):
    x, z = np.meshgrid(np.linspace(-300, 610, 40), np.linspace(10, 600, 25))
    x, z = x.ravel(), z.ravel()
    y = np.full(x.size, 50.0)
    assert x.size == 1000
    # One engine thread in both, so that the difference is the binding's;
    # the two interleaved, so that both see the same load of the machine.
    problem = kestral.Problem(SECTION, DUAL, points=list(zip(x, y, z))).to_dict()
    wall = [float("inf")] * 2
    cpu = [float("inf")] * 2
    call = lambda: kestral.analyse(SECTION, DUAL, x=x, y=y, z=z, threads=1)  # noqa: E731
    for _ in range(repeats):
        wall[0] = min(wall[0], best_seconds(call, 1))
        cpu[0] = min(cpu[0], best_seconds(call, 1, time.process_time))
        engine_wall, engine_cpu = _kestral.engine_seconds(problem, kestral.KEYWORD_SOURCE, 1, 1)
        wall[1], cpu[1] = min(wall[1], engine_wall), min(cpu[1], engine_cpu)
    return wall, cpu


def profile(repeats=10, threads=1, clock=time.perf_counter):
    z = np.linspace(0, 600, 200)
    return best_seconds(lambda: kestral.analyse(SECTION, DUAL, x=np.zeros(200),
                                                y=np.zeros(200), z=z, threads=threads),
                        repeats, clock)


def main():
    for clock, (python, engine) in zip(("wall", "CPU"), overhead()):
        added = (python - engine) / engine
        print(f"1000 points, dual wheel, one thread, {clock} time: kestral.analyse "
              f"{python * 1e3:.2f} ms, engine alone {engine * 1e3:.2f} ms: the binding adds "
              f"{(python - engine) * 1e3:.2f} ms, {100 * added:.2f} % (target < 5 %)")
    for threads in (1, 2):
        seconds = profile(threads=threads)
        print(f"depth profile, 200 points under a dual wheel, {threads} thread(s): "
              f"{seconds * 1e3:.2f} ms wall (target well under 10 ms)")
    print(f"depth profile, 200 points under a dual wheel, 1 thread: "
          f"{profile(clock=time.process_time) * 1e3:.2f} ms CPU")


if __name__ == "__main__":
    main()
