"""The pictures of :mod:`kestral.plot` as SVG text, for a page to show.

Each picture is drawn on a figure of its own (no pyplot state); matplotlib
is not made for many threads at once, so drawing is one at a time.
"""

from __future__ import annotations

import io
import threading
from typing import Any, Dict, Sequence, Tuple

_drawing = threading.Lock()


def _svg(figure: Any) -> str:
    from matplotlib.backends.backend_svg import FigureCanvasSVG

    FigureCanvasSVG(figure)
    out = io.StringIO()
    figure.tight_layout()
    figure.savefig(out, format="svg")
    text = out.getvalue()
    return text[text.index("<svg"):]  # the element alone, to go inside a page


def profile_svg(problem: Dict[str, Any], at: Sequence[Tuple[float, float]],
                quantities: Sequence[str]) -> str:
    """Depth profiles of ``quantities`` under each place of ``at``.

    Parameters
    ----------
    problem : dict
        A problem laid out as a problem file (its points are not used).
    at : sequence of (x, y)
        The places, in the problem's unit of length.
    quantities : sequence of str
        Results of one kind (``exx``, ``ezz``, ...).

    Returns
    -------
    str
        The picture as an ``<svg>`` element.

    Raises
    ------
    ValueError
        A quantity that is not a result, or results of different kinds.
    """
    from matplotlib.figure import Figure

    from .. import plot

    with _drawing:
        figure = Figure(figsize=(6.0, 6.0))
        plot.profile(problem, at, quantities, ax=figure.add_subplot(), samples=120)
        return _svg(figure)


def map_svg(problem: Dict[str, Any], quantity: str) -> str:
    """One result over the vertical plane through the first load.

    Parameters
    ----------
    problem : dict
        A problem laid out as a problem file (its points are not used).
    quantity : str
        A result (``szz``, ``exx``, ...).

    Returns
    -------
    str
        The picture as an ``<svg>`` element.

    Raises
    ------
    ValueError
        A quantity that is not a result.
    """
    from matplotlib.figure import Figure

    from .. import plot

    with _drawing:
        figure = Figure(figsize=(7.5, 4.8))
        plot.section_map(problem, quantity, nx=49, nz=33, ax=figure.add_subplot())
        return _svg(figure)
