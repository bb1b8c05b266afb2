"""The web app's own pictures, from the reports the pages already hold:
damage against thickness (a design check's curve, with its verdict line and
the thickness found) and the moduli along the stations of a survey (with
the range each bowl allows)."""

from __future__ import annotations

from typing import Any, Dict

import numpy as np


def _positive(values: Any) -> np.ndarray:
    """Damages a log axis can show: unlimited life (0) and exceeded
    endurance limits (inf) become gaps."""
    array = np.asarray(values, dtype=float)
    return np.where(np.isfinite(array) & (array > 0), array, np.nan)


def _plain_log_axis(ax: Any) -> None:
    """Labels 1, 2 and 5 of each decade of a log y axis, as plain numbers:
    the values span one or two decades, where 10^0 alone says little."""
    from matplotlib.ticker import FuncFormatter, LogLocator, NullFormatter

    ax.yaxis.set_major_locator(LogLocator(subs=(1.0, 2.0, 5.0)))
    ax.yaxis.set_major_formatter(FuncFormatter(lambda value, _: f"{value:g}"))
    ax.yaxis.set_minor_formatter(NullFormatter())


def damage_curve(ax: Any, curve: Dict[str, Any], report: Dict[str, Any]) -> None:
    """Draws ``kestral.design.damage_curve``'s damages on a log axis, the
    line D = 1 (below it the section passes) and the thickness found."""
    thickness = curve["thickness"]
    for name, damage in curve["damage"].items():
        ax.semilogy(thickness, _positive(damage), marker="o", markersize=4, label=name)
    ax.axhline(1.0, color="#b3261e", linewidth=1.0, linestyle="--", label="D = 1 (limit)")
    found = curve.get("found")
    if found is not None and found.get("status") == "found":
        ax.axvline(found["value"], color="#2e7d32", linewidth=1.2,
                   label=f"needed: {found['value']:g}")
    unit = report["problem"]["units"]["length"]
    ax.set_xlabel(f"thickness of {curve['layer']} ({unit})")
    ax.set_ylabel("damage (Miner's sum)")
    _plain_log_axis(ax)
    ax.grid(True, which="both", color="#e3e7ec", linewidth=0.6)
    ax.legend(fontsize=8)


def _numbers(values: Any) -> np.ndarray:
    return np.array([np.nan if v is None else v for v in values], dtype=float)


def moduli(ax: Any, report: Dict[str, Any]) -> None:
    """Draws each searched layer's modulus along the drops on a log axis,
    shaded over the range the bowl allows (E / f to E f)."""
    problem, columns = report["problem"], report["columns"]
    ids = columns["id"]
    stations = np.arange(len(ids))
    for k, layer in enumerate(problem["layers"]):
        if not isinstance(layer.get("E"), dict):
            continue  # a fixed modulus: not a result
        label = layer.get("name", str(k + 1))
        values = _numbers(columns[f"E_{label}"])
        factor = 1.0 + _numbers(columns[f"E_{label}_range_percent"]) / 100.0
        line, = ax.semilogy(stations, values, marker="o", markersize=3, label=f"E {label}")
        ax.fill_between(stations, values / factor, values * factor, color=line.get_color(),
                        alpha=0.15, linewidth=0)
    _plain_log_axis(ax)
    step = max(1, len(ids) // 12)
    ax.set_xticks(stations[::step], [ids[i] for i in stations[::step]], rotation=45, fontsize=8)
    ax.set_xlim(-0.5, len(ids) - 0.5)
    ax.set_xlabel("drop")
    ax.set_ylabel(f"modulus ({problem['units']['stress']})")
    ax.grid(True, which="both", color="#e3e7ec", linewidth=0.6)
    ax.legend(fontsize=8, loc="best")


def results_of(report: Dict[str, Any]) -> Any:
    """kestral-backcalc's JSON report as the Results of
    ``kestral.backcalculate`` (nulls as NaN), for ``kestral.plot.bowl``."""
    from ..results import Results

    columns = {name: (np.array(values, dtype=object) if name in ("id", "status")
                      else _numbers(values))
               for name, values in report["columns"].items()}
    return Results(columns, {name: "" for name in columns}, problem=report["problem"])
