"""The probability that section.json passes when its moduli and asphalt
thickness scatter: moduli log-normal (coefficient of variation 0.2 for the
asphalt, 0.3 for the subgrade), asphalt thickness normal (10 mm), each
sample a full design check, run in batches over Dask.

    python3 examples/design/reliability.py [SAMPLES]      # 200 by default
"""

import json
import pathlib
import sys
import time

import kestral.design

HERE = pathlib.Path(__file__).resolve().parent
samples = int(sys.argv[1]) if len(sys.argv) > 1 else 200

problem = json.loads((HERE / "section.json").read_text())
problem["layers"][0]["thickness"] = 230  # about what the thickness search asks for
variability = {"E": {"asphalt": 0.2, "subgrade": 0.3}, "thickness": {"asphalt": 10}}
start = time.perf_counter()
result = kestral.design.reliability(problem, variability, samples=samples, seed=1)
seconds = time.perf_counter() - start
low, high = result["interval"]
print(f"{result['samples']} samples in {seconds:.1f} s: the section passes with probability "
      f"{result['probability']:.3f} (95 % interval {low:.3f} to {high:.3f})")
for name, damage in result["damage"].items():
    print(f"  {name}: median damage {sorted(damage)[len(damage) // 2]:.3g}, largest {max(damage):.3g}")
