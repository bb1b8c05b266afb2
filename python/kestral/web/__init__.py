"""kestral in the browser: a local web app and a JSON API on the problem
files of the programs.

``create_app`` builds the FastAPI application; ``serve`` runs it on uvicorn
(``python3 -m kestral serve``). The pages (analysis, design check,
backcalculation) are modules of :mod:`kestral.web.pages` that plug into one
layout; the work runs in the bounded pool of :mod:`kestral.web.jobs`.
FastAPI is imported only when the app is made, so that the rest of the
package works without it.
"""

from typing import Any

__all__ = ["Limits", "create_app", "run_server"]


def __getattr__(name: str) -> Any:
    if name in ("Limits", "create_app"):
        from . import app

        return getattr(app, name)
    if name == "run_server":
        from .serve import serve as run_server

        return run_server
    raise AttributeError(name)
