"""Timing of a reliability run through Python (run with the build tree's
package on the path):

    PYTHONPATH=build/release/python /usr/bin/python3 bench/design_reliability.py [SAMPLES]

The example section of examples/design without its thickness search, the
moduli of the asphalt and the subgrade log-normal (coefficients of variation
0.2 and 0.3), the asphalt thickness normal (10 mm), 1000 samples by default,
seed 0, on Dask's threads (one per core). Target: under 60 s on two cores.
Prints the wall time, the process's CPU time over all its threads (which
hardly depends on the machine's other load) and the load average.
"""

import json
import os
import pathlib
import sys
import time

import kestral.design

EXAMPLE = pathlib.Path(__file__).resolve().parents[1] / "examples" / "design" / "section.json"


def main():
    samples = int(sys.argv[1]) if len(sys.argv) > 1 else 1000
    problem = json.loads(EXAMPLE.read_text())
    problem.pop("thickness")
    variability = {"E": {"asphalt": 0.2, "subgrade": 0.3}, "thickness": {"asphalt": 10}}
    wall, cpu = time.perf_counter(), time.process_time()
    result = kestral.design.reliability(problem, variability, samples=samples, seed=0)
    wall, cpu = time.perf_counter() - wall, time.process_time() - cpu
    print(f"{result['samples']} samples on {os.cpu_count()} threads: {wall:.1f} s wall, {cpu:.1f} s CPU "
          f"(load average {os.getloadavg()[0]:.1f}); passes with probability {result['probability']:.3f}")


if __name__ == "__main__":
    main()
