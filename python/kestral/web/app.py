"""The FastAPI application: the pages, the API, the static files, and the
limits that keep a server safe to leave running."""

from __future__ import annotations

import os
import threading
from dataclasses import dataclass
from pathlib import Path
from typing import Optional

from fastapi import FastAPI
from fastapi.staticfiles import StaticFiles
from fastapi.templating import Jinja2Templates

from .jobs import JobPool

HERE = Path(__file__).resolve().parent


@dataclass(frozen=True)
class Limits:
    """What one server accepts.

    Attributes
    ----------
    max_body : int
        Bytes of a request body (a problem file); more is refused with 413.
    max_work : float
        Points x loads x layers of one analysis; more is refused with 422.
    workers : int
        Analyses run at once (0: one per core).
    max_waiting : int
        Analyses that may wait for a worker; more are refused with 503.
    """

    max_body: int = 4 * 1024 * 1024
    max_work: float = 2_000_000
    workers: int = 0
    max_waiting: int = 64

    def worker_count(self) -> int:
        """The workers, with 0 made one per core."""
        return self.workers if self.workers > 0 else max(1, os.cpu_count() or 1)


def _import_matplotlib() -> None:
    from matplotlib.backends import backend_svg  # noqa: F401
    from matplotlib import figure  # noqa: F401


def create_app(limits: Optional[Limits] = None) -> FastAPI:
    """The web app.

    Parameters
    ----------
    limits : Limits, optional
        The server's limits; the defaults when not given.

    Returns
    -------
    FastAPI
        The application, with ``app.state.pool`` its job pool (shut down
        when the application stops).
    """
    from . import api, job_routes, pages

    limits = limits or Limits()
    app = FastAPI(title="kestral", docs_url=None, redoc_url=None, openapi_url=None)
    app.state.limits = limits
    app.state.pool = JobPool(limits.worker_count(), limits.max_waiting)
    app.state.templates = Jinja2Templates(directory=str(HERE / "templates"))
    app.mount("/static", StaticFiles(directory=str(HERE / "static")), name="static")
    app.include_router(api.router)
    app.include_router(job_routes.router)
    app.include_router(pages.router)

    @app.on_event("startup")
    def warm_up() -> None:
        # matplotlib takes a second to import: not in the first analysis.
        threading.Thread(target=_import_matplotlib, daemon=True).start()

    @app.on_event("shutdown")
    def stop_pool() -> None:
        app.state.pool.shutdown()

    return app
