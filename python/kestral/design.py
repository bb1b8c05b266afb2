"""Design checks of pavement sections: critical strains, damage, thickness.

``check`` runs the design check of kestral-design on a problem (a dict laid
out as its problem file, or the path of one) and returns its JSON report as
Python values. ``damage_curve`` gives every criterion's damage against the
thickness of the searched layer; ``reliability`` samples moduli and
thicknesses and runs a full check on each sample, in batches over Dask.
"""

from __future__ import annotations

import copy
import json
import math
import os
from typing import Any, Callable, Dict, List, Optional, Sequence

import numpy as np

__all__ = ["check", "damage_curve", "reliability"]

# The name messages give a problem that comes from Python values.
SOURCE = "problem"


def _document(problem: Any) -> Dict[str, Any]:
    """The problem as a dict laid out as a problem file."""
    from . import _kestral

    if isinstance(problem, (str, os.PathLike)):
        return _kestral.problem_document(os.fspath(problem))
    return copy.deepcopy(dict(problem))


def check(problem: Any) -> Dict[str, Any]:
    """Runs the design check (and the thickness search, when the problem asks
    for one).

    Parameters
    ----------
    problem : dict or path
        A design problem laid out as kestral-design's problem file, or the
        path of such a file.

    Returns
    -------
    dict
        The JSON report of ``kestral-design --format json``: "problem",
        "criteria" (each with "damage", "life" and its "cases"), "verdict",
        "governing" and, when asked, "thickness". An unlimited life is None.

    Raises
    ------
    ValueError
        With the program's message, for a problem it refuses.
    """
    from . import _kestral

    if isinstance(problem, (str, os.PathLike)):
        return json.loads(_kestral.design_check(os.fspath(problem), os.fspath(problem)))
    return json.loads(_kestral.design_check(dict(problem), SOURCE))


def _layer_index(document: Dict[str, Any], layer: Any) -> int:
    if isinstance(layer, int):
        return layer
    for k, entry in enumerate(document["layers"]):
        if entry.get("name") == layer:
            return k
    raise ValueError(f"{SOURCE}: no layer is named {layer!r}")


def _damages(report: Dict[str, Any]) -> Dict[str, float]:
    return {c["name"]: (math.inf if c["damage"] is None else c["damage"]) for c in report["criteria"]}


def damage_curve(problem: Any, thicknesses: Optional[Sequence[float]] = None,
                 count: int = 12, *, found: Optional[Dict[str, Any]] = None,
                 progress: Optional[Callable[[int, int], None]] = None) -> Dict[str, Any]:
    """Every criterion's damage against the thickness of the searched layer.

    Parameters
    ----------
    problem : dict or path
        A design problem with a "thickness" entry (the layer and its range).
    thicknesses : sequence of float, optional
        Where to check; by default ``count`` thicknesses evenly over min..max.
    count : int
        How many thicknesses by default.
    found : dict, optional
        The report's "thickness" when the search has run already (it is not
        run again).
    progress : callable, optional
        Called with (checks done, checks in all) after each check; what it
        raises stops the curve.

    Returns
    -------
    dict
        {"layer": name, "thickness": array, "damage": {criterion: array},
        "found": the thickness the search found (or None when not asked)}.
    """
    document = _document(problem)
    if "thickness" not in document:
        raise ValueError(f"{SOURCE}: thickness: missing (the layer and range to draw)")
    search = document.pop("thickness")
    layer = _layer_index(document, search["layer"])
    if thicknesses is None:
        thicknesses = np.linspace(search["min"], search["max"], count)
    curves: Dict[str, List[float]] = {}
    checks = len(thicknesses) + (found is None)
    for done, value in enumerate(thicknesses, 1):
        sample = copy.deepcopy(document)
        sample["layers"][layer]["thickness"] = float(value)
        for name, damage in _damages(check(sample)).items():
            curves.setdefault(name, []).append(damage)
        if progress is not None:
            progress(done, checks)
    if found is None:
        found = check(dict(document, thickness=search))["thickness"]
    return {"layer": document["layers"][layer].get("name", f"layers[{layer}]"),
            "thickness": np.asarray(thicknesses, dtype=float),
            "damage": {name: np.asarray(values) for name, values in curves.items()},
            "found": found}


def _sample_problems(document: Dict[str, Any], variability: Dict[str, Any], samples: int,
                     seed: int) -> List[Dict[str, Any]]:
    """The sampled problems, drawn here in one stream so that they do not
    depend on where they are computed."""
    rng = np.random.default_rng(seed)
    document = dict(document)
    document.pop("thickness", None)
    moduli = variability.get("E", {})
    thickness = variability.get("thickness", {})
    unknown = set(variability) - {"E", "thickness", "note"}
    if unknown:
        raise ValueError(f"variability: unknown key {sorted(unknown)[0]!r} (give \"E\" and \"thickness\")")
    moduli_at = {_layer_index(document, name): cov for name, cov in moduli.items()}
    thickness_at = {_layer_index(document, name): sd for name, sd in thickness.items()}
    names = [entry.get("name") for entry in document["layers"]]
    problems = []
    for _ in range(samples):
        sample = copy.deepcopy(document)
        for k, cov in sorted(moduli_at.items()):
            # Log-normal with the layer's mean modulus and coefficient of variation.
            sigma = math.sqrt(math.log1p(cov * cov))
            factor = float(np.exp(rng.normal(-0.5 * sigma * sigma, sigma)))
            sample["layers"][k]["E"] *= factor
            for season in sample.get("seasons", []):
                if names[k] is not None and names[k] in season.get("E", {}):
                    season["E"][names[k]] *= factor
        for k, sd in sorted(thickness_at.items()):
            nominal = sample["layers"][k]["thickness"]
            # Normal, kept to at least a tenth of the nominal thickness.
            sample["layers"][k]["thickness"] = max(0.1 * nominal, nominal + sd * float(rng.normal()))
        problems.append(sample)
    return problems


def _check_batch(batch: Sequence[Dict[str, Any]]) -> List[Any]:
    from . import _kestral

    results = []
    for problem in batch:
        try:
            report = json.loads(_kestral.design_check(problem, SOURCE))
            results.append((report["verdict"] == "pass", _damages(report)))
        except ValueError as error:
            results.append(str(error))
    return results


def reliability(problem: Any, variability: Dict[str, Any], samples: int = 1000, seed: int = 0,
                client=None, batch_size: Optional[int] = None) -> Dict[str, Any]:
    """The probability that the section passes, by Monte Carlo.

    Parameters
    ----------
    problem : dict or path
        A design problem (its "thickness" search, if any, is not run).
    variability : dict
        {"E": {layer: coefficient of variation}, "thickness": {layer:
        standard deviation in the problem's length unit}}: moduli are
        log-normal about the given ones (every season's moduli of the layer
        scaled alike), thicknesses normal.
    samples : int
        Number of samples, each a full design check.
    seed : int
        Seed of numpy's default generator; the same seed gives the same bits
        on one thread, many threads or a cluster.
    client : dask.distributed.Client, optional
        Where to run; without one, Dask's threads in this process.

    Returns
    -------
    dict
        {"probability": share of samples that pass, "interval": (low, high)
        the 95 % Wilson score interval, "samples": count, "damage":
        {criterion: array of the damage of every sample}, "failures":
        messages of samples the program refused}.
    """
    from .parallel import _batches, _default_batch_size

    if samples < 1:
        raise ValueError(f"samples must be at least 1, not {samples}")
    problems = _sample_problems(_document(problem), variability, samples, seed)
    workers = (os.cpu_count() or 1) if client is None else sum(client.nthreads().values())
    size = batch_size or _default_batch_size(len(problems), workers)
    batches = _batches(problems, size)
    if client is None:
        import dask

        done = dask.compute(*[dask.delayed(_check_batch, pure=False)(b) for b in batches],
                            scheduler="threads", num_workers=workers)
    else:
        done = client.gather(client.map(_check_batch, batches, pure=False))
    results = [result for batch in done for result in batch]
    checked = [r for r in results if not isinstance(r, str)]
    failures = [r for r in results if isinstance(r, str)]
    n = len(checked)
    passes = sum(1 for ok, _ in checked if ok)
    p = passes / n if n else math.nan
    z = 1.959963984540054
    if n:
        centre = (p + z * z / (2 * n)) / (1 + z * z / n)
        half = z * math.sqrt(p * (1 - p) / n + z * z / (4 * n * n)) / (1 + z * z / n)
        # Kept about p: at p = 0 or 1 rounding could put an end past it.
        interval = (max(0.0, min(p, centre - half)), min(1.0, max(p, centre + half)))
    else:
        interval = (math.nan, math.nan)
    names = list(checked[0][1]) if checked else []
    damage = {name: np.array([d[name] for _, d in checked]) for name in names}
    return {"probability": p, "interval": interval, "samples": n, "damage": damage,
            "failures": failures}
