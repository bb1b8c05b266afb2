"""The measured and the fitted bowl of one drop of a backcalculation."""

from __future__ import annotations

from typing import Any, Optional, Union

import numpy as np

__all__ = ["bowl"]


def _row(results, drop: Union[int, str]) -> int:
    if isinstance(drop, (int, np.integer)):
        if not 0 <= drop < results.rows:
            raise ValueError(f"drop {drop} is not one of the {results.rows} drops (0 to {results.rows - 1})")
        return int(drop)
    ids = list(results["id"])
    if drop not in ids:
        raise ValueError(f"no drop with id {drop!r}")
    return ids.index(drop)


def bowl(results, drop: Union[int, str] = 0, ax: Optional[Any] = None):
    """Draws the measured bowl of a drop (marks) and the bowl fitted to it
    (a line) against the sensor offsets, deflection growing downward as the
    road surface does.

    Parameters
    ----------
    results
        The Results of ``kestral.backcalculate``.
    drop
        The drop: its row (0 for the first) or its id.
    ax
        The matplotlib Axes to draw on (default: a new figure's).

    Returns
    -------
    matplotlib.axes.Axes
        The Axes, its title the drop's id, status and misfit.

    Raises
    ------
    ValueError
        A drop that is not in the results.
    """
    import matplotlib.pyplot as plt

    row = _row(results, drop)
    problem = results.problem
    units = problem["units"]
    offsets = np.asarray(problem["sensors"], dtype=float)
    measured = np.array([np.nan if d is None else d for d in problem["drops"][row]["deflections"]], dtype=float)
    if ax is None:
        ax = plt.figure().add_subplot()
    if len(measured) == len(offsets):
        ax.plot(offsets, measured, "o", label="measured")
    fitted = np.array([results[f"fit_{name}"][row] for name in _offset_names(results)], dtype=float)
    if not np.all(np.isnan(fitted)):
        ax.plot(offsets, fitted, "-", label="fitted")
    status = results["status"][row]
    rms = results["rms_percent"][row]
    misfit = "" if np.isnan(rms) else f", rms {rms:.3g} %"
    ax.set_title(f"drop {results['id'][row]}: {status}{misfit}")
    ax.set_xlabel(f"offset from the plate centre ({units['length']})")
    ax.set_ylabel(f"deflection ({units['deflection']})")
    if not ax.yaxis_inverted():
        ax.invert_yaxis()
    ax.legend()
    return ax


def _offset_names(results):
    return [name[len("fit_"):] for name in results if name.startswith("fit_")]
