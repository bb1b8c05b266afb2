"""The work of the pages' jobs, each a function of its :class:`Job`: the
program's JSON report (the same text as the API's), then the pictures.
A job's result is ``{"json": report text, "pictures": {name: svg or
name_error: message}}`` and, for the analysis, ``"csv"``."""

from __future__ import annotations

import json
from typing import Any, Callable, Dict, List, Optional, Tuple

from .. import _kestral
from . import plots
from .errors import SOURCE
from .jobs import Job

Work = Callable[[Job], Any]

# Thicknesses of a design's damage curve: enough for its shape, few enough
# for a few seconds.
CURVE_POINTS = 8


def _draw(job: Job, pictures: Dict[str, str], name: str, what: str,
          draw: Callable[[], str]) -> None:
    job.stage = f"drawing the {what}"
    try:
        pictures[name] = draw()
    except ValueError as error:
        pictures[name + "_error"] = str(error)


def analysis(text: bytes, max_work: float, at: List[Tuple[float, float]], quantities: List[str],
             map_quantity: Optional[str]) -> Work:
    """The analysis page's: the table (JSON and CSV), the profile and the map."""

    def work(job: Job) -> Any:
        results, csv = _kestral.analyse_json_csv(text, SOURCE, 1, job.token, max_work)
        pictures: Dict[str, str] = {}
        problem = json.loads(text)
        if at and quantities and not job.cancelled:
            _draw(job, pictures, "profile", "depth profile",
                  lambda: plots.profile_svg(problem, at, quantities))
        if map_quantity and not job.cancelled:
            _draw(job, pictures, "map", "section map", lambda: plots.map_svg(problem, map_quantity))
        return None if job.cancelled else {"json": results, "csv": csv, "pictures": pictures}

    return work


def design(text: bytes) -> Work:
    """The design page's: the check (and thickness search), then, when the
    problem searches a thickness, the damage against that thickness."""

    def work(job: Job) -> Any:
        from .. import design as checks

        job.unit = "checks"
        job.stage = "checking the section (and searching the thickness, when asked)"
        report_text = _kestral.design_json(text, SOURCE)
        report = json.loads(report_text)
        pictures: Dict[str, str] = {}
        if "thickness" in report["problem"] and not job.cancelled:
            problem = json.loads(text)  # the reader took it: JSON
            problem["thickness"] = report["problem"]["thickness"]  # its defaults filled in

            def step(done: int, total: int) -> None:
                job.token.set_progress(1 + done, 1 + total)
                if job.cancelled:
                    raise _kestral.AnalysisCancelled("cancelled")

            job.token.set_progress(1, 1 + CURVE_POINTS)
            job.stage = "checking thicknesses for the damage curve"
            curve = checks.damage_curve(problem, count=CURVE_POINTS, found=report["thickness"],
                                        progress=step)
            _draw(job, pictures, "damage", "damage curve", lambda: plots.damage_svg(curve, report))
        return None if job.cancelled else {"json": report_text, "pictures": pictures}

    return work


def backcalculation(survey: bytes, drops_csv: str) -> Work:
    """The backcalculation page's: every drop fitted (its progress counted
    in drops), then the moduli along the stations. The CSV drop file comes
    as text: no file is read."""

    def work(job: Job) -> Any:
        job.unit = "drops"
        job.stage = "fitting the bowls"
        report_text = _kestral.backcalculate_json(survey, None, drops_csv, SOURCE, 1, job.token)
        pictures: Dict[str, str] = {}
        _draw(job, pictures, "moduli", "moduli along the stations",
              lambda: plots.moduli_svg(json.loads(report_text)))
        return {"json": report_text, "pictures": pictures}

    return work


def program(name: str, text: bytes, max_work: float, drops_csv: str = "") -> Work:
    """The report alone of ``/api/<name>``, as the program prints it."""

    def work(job: Job) -> Any:
        if name == "analyse":
            return _kestral.analyse_json(text, SOURCE, 1, job.token, max_work)
        if name == "design":
            return _kestral.design_json(text, SOURCE)
        return _kestral.backcalculate_json(text, None, drops_csv, SOURCE, 1, job.token)

    return work
