"""Backcalculation: the layer moduli that reproduce each falling-weight
deflectometer bowl of a survey, by the reader, the fits and the table of
``kestral-backcalc``, so that the results are the program's, bit for bit."""

from __future__ import annotations

import os
from typing import Any, Optional

from .results import Results

__all__ = ["backcalculate", "SURVEY_SOURCE"]

# The name messages give a survey that comes as Python values, not a file.
SURVEY_SOURCE = "survey"


def backcalculate(survey: Any, threads: int = 0, folder: "Optional[os.PathLike[str] | str]" = None) -> Results:
    """Fits the layer moduli of every drop of a survey.

    Parameters
    ----------
    survey
        The path of a survey file of kestral-backcalc, or a dict laid out as
        one.
    threads
        Threads over the drops (0, the default: one per core); the results
        do not depend on it.
    folder
        Where a dict's ``drops_csv`` is read from (default: the current
        folder). A file's ``drops_csv`` is read beside the file.

    Returns
    -------
    Results
        The table of kestral-backcalc, one row per drop: ``id``, ``load``,
        ``E_<layer>``, ``E_<layer>_range_percent``, ``rms_percent``,
        ``iterations``, ``status``, ``fit_<offset>``; ``problem`` is the
        survey as understood (its ``drops`` with the measured bowls), and
        ``messages`` holds a line for each drop that failed.

    Raises
    ------
    ValueError
        A survey the program refuses, with the program's message.
    """
    from . import _kestral

    if isinstance(survey, (str, os.PathLike)):
        table = _kestral.backcalculate_file(os.fspath(survey), threads)
    else:
        table = _kestral.backcalculate(dict(survey), SURVEY_SOURCE,
                                       os.fspath(folder) if folder is not None else ".", threads)
    return Results(table["columns"], table["units"], table["headers"], table["problem"],
                   messages="".join(line + "\n" for line in table["failures"]))
