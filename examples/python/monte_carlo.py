"""Monte Carlo reliability of the design strains of a three-layer pavement
under a dual wheel: moduli log-normal, thicknesses normal, a few thousand
samples, run over Dask with 1 and then 2 worker processes.

    python3 examples/python/monte_carlo.py                    # 4000 samples, 1 and 2 workers
    python3 examples/python/monte_carlo.py --samples 500 --workers 2
    python3 examples/python/monte_carlo.py --scheduler tcp://head:8786   # a running cluster

The same script runs on a Slurm or PBS cluster (dask-jobqueue's SLURMCluster
or PBSCluster give the client) or on Kubernetes (dask-kubernetes): only the
client changes; kestral must be importable on every worker.
"""

import argparse
import time

import numpy as np

import kestral
from kestral.parallel import Failure, analyse_many

# Mean and scatter of each layer: modulus (MPa) with its coefficient of
# variation, thickness (mm) with its standard deviation.
LAYERS = [("asphalt", 3000.0, 0.25, 0.35, 150.0, 10.0),
          ("base", 300.0, 0.30, 0.35, 250.0, 20.0),
          ("subgrade", 60.0, 0.35, 0.40, None, None)]
WHEELS = [kestral.Load(x=0, y=0, load=20000, pressure=0.56),
          kestral.Load(x=310, y=0, load=20000, pressure=0.56)]


def lognormal(rng, mean, cov, size):
    sigma = np.sqrt(np.log1p(cov * cov))
    return rng.lognormal(np.log(mean) - 0.5 * sigma * sigma, sigma, size)


def sample_problems(count, seed):
    """One problem per sample: the strains at the bottom of the asphalt and on
    top of the subgrade, under a wheel and midway between the wheels."""
    rng = np.random.default_rng(seed)
    moduli = [lognormal(rng, mean, cov, count) for _, mean, cov, _, _, _ in LAYERS]
    thick = [rng.normal(mean, sd, count) for _, _, _, _, mean, sd in LAYERS[:-1]]
    problems = []
    for i in range(count):
        layers = [kestral.Layer(name=LAYERS[0][0], E=moduli[0][i], nu=LAYERS[0][3],
                                thickness=thick[0][i]),
                  kestral.Layer(name=LAYERS[1][0], E=moduli[1][i], nu=LAYERS[1][3],
                                thickness=thick[1][i]),
                  kestral.Layer(name=LAYERS[2][0], E=moduli[2][i], nu=LAYERS[2][3])]
        h1 = thick[0][i]
        h12 = h1 + thick[1][i]
        points = [(0, 0, h1, "above"), (155, 0, h1, "above"),
                  (0, 0, h12, "below"), (155, 0, h12, "below")]
        problems.append(kestral.Problem(kestral.Section(layers), WHEELS, points=points))
    return problems


def design_strains(results):
    """Largest tensile strain at the bottom of the asphalt, largest
    compressive strain on top of the subgrade (microstrain), per sample."""
    tensile = np.array([max(r["e_h_max"][:2]) for r in results]) * 1e6
    compressive = np.array([-min(r["ezz"][2:]) for r in results]) * 1e6
    return tensile, compressive


def run(problems, workers, address):
    from dask.distributed import Client, LocalCluster

    if address:
        client, cluster = Client(address), None
    else:
        cluster = LocalCluster(n_workers=workers, threads_per_worker=1, processes=True,
                               dashboard_address=None)
        client = Client(cluster)
    try:
        client.run(lambda: __import__("kestral"))  # import before the clock starts
        start = time.perf_counter()
        results = analyse_many(problems, client)
        return results, time.perf_counter() - start
    finally:
        client.close()
        if cluster is not None:
            cluster.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--samples", type=int, default=4000)
    parser.add_argument("--seed", type=int, default=16)
    parser.add_argument("--workers", type=int, nargs="+", default=[1, 2])
    parser.add_argument("--scheduler", help="address of a running Dask scheduler")
    arguments = parser.parse_args()

    problems = sample_problems(arguments.samples, arguments.seed)
    first = None
    for workers in ([0] if arguments.scheduler else arguments.workers):
        results, seconds = run(problems, workers, arguments.scheduler)
        failed = [r for r in results if isinstance(r, Failure)]
        label = "the cluster" if arguments.scheduler else f"{workers} worker(s)"
        print(f"{len(problems)} problems on {label}: {seconds:.2f} s wall, "
              f"{len(failed)} failed")
        good = [r for r in results if not isinstance(r, Failure)]
        if first is None:
            first = good
        else:
            same = all(np.array_equal(a["e_h_max"], b["e_h_max"]) and
                       np.array_equal(a["ezz"], b["ezz"]) for a, b in zip(first, good))
            print(f"  results identical to the first run: {same}")

    tensile, compressive = design_strains(first)
    print("design strains (microstrain)      mean     sd    5%    50%    95%   99%")
    for name, values in (("tensile, bottom of asphalt", tensile),
                         ("compressive, top of subgrade", compressive)):
        p = np.percentile(values, [5, 50, 95, 99])
        print(f"  {name:30s} {values.mean():6.1f} {values.std():6.1f} "
              f"{p[0]:5.1f} {p[1]:6.1f} {p[2]:6.1f} {p[3]:5.1f}")


if __name__ == "__main__":
    main()
