"""The pages' pictures as SVG text: those of :mod:`kestral.plot` (depth
profile, section map, a drop's bowl) and the web's own of
:mod:`kestral.web.drawings` (damage against thickness, moduli along the
stations).

Each picture is drawn on a figure of its own (no pyplot state); matplotlib
is not made for many threads at once, so drawing is one at a time.
"""

from __future__ import annotations

import io
import threading
from typing import Any, Callable, Dict, Sequence, Tuple

from . import drawings

_drawing = threading.Lock()


def picture(size: Tuple[float, float], draw: Callable[[Any], Any]) -> str:
    """What ``draw`` draws on the Axes of a figure of ``size`` inches, as an
    ``<svg>`` element to go inside a page.

    Raises
    ------
    ValueError
        What ``draw`` raises (a quantity that is not a result, ...).
    """
    from matplotlib.backends.backend_svg import FigureCanvasSVG
    from matplotlib.figure import Figure

    with _drawing:
        figure = Figure(figsize=size)
        FigureCanvasSVG(figure)
        draw(figure.add_subplot())
        out = io.StringIO()
        figure.tight_layout()
        figure.savefig(out, format="svg")
    text = out.getvalue()
    return text[text.index("<svg"):]


def profile_svg(problem: Dict[str, Any], at: Sequence[Tuple[float, float]],
                quantities: Sequence[str]) -> str:
    """Depth profiles of ``quantities`` (results of one kind) under each
    place ``at`` (x, y) of a problem laid out as a problem file."""
    from .. import plot

    return picture((6.0, 6.0), lambda ax: plot.profile(problem, at, quantities, ax=ax, samples=120))


def map_svg(problem: Dict[str, Any], quantity: str) -> str:
    """One result over the vertical plane through the first load."""
    from .. import plot

    return picture((7.5, 4.8), lambda ax: plot.section_map(problem, quantity, nx=49, nz=33, ax=ax))


def damage_svg(curve: Dict[str, Any], report: Dict[str, Any]) -> str:
    """Every criterion's damage against the searched layer's thickness."""
    return picture((7.0, 4.4), lambda ax: drawings.damage_curve(ax, curve, report))


def moduli_svg(report: Dict[str, Any]) -> str:
    """The searched moduli of a backcalculation along its drops."""
    return picture((7.0, 4.2), lambda ax: drawings.moduli(ax, report))


def bowl_svg(report: Dict[str, Any], row: int) -> str:
    """A drop's measured and fitted bowl (``kestral.plot.bowl``)."""
    from .. import plot_bowl

    return picture((6.0, 3.8), lambda ax: plot_bowl.bowl(drawings.results_of(report), row, ax=ax))
