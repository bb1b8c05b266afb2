"""The JSON API: the programs' ``--format json`` output for a problem file's
JSON text, and the jobs the pages run with a progress bar and a cancel
button.

``POST /api/analyse``, ``/api/design``, ``/api/backcalculate``: the body is
the problem file; the answer the program's JSON text, the same bits. A
mistake is status 422 with the program's message and the field it names.
"""

from __future__ import annotations

import asyncio
import json
import time
from typing import Any, Callable, Dict, List, Optional, Tuple

from fastapi import APIRouter, Request
from fastapi.responses import JSONResponse, Response

from .. import _kestral
from . import plots
from .errors import SOURCE, error_body
from .jobs import CANCELLED, DONE, FAILED, FINISHED, QUEUED, Busy, Job, JobPool

router = APIRouter(prefix="/api")

JSON_TYPE = "application/json"

# The programs behind the routes: the name of the function in _kestral and
# the program whose --format json it returns.
PROGRAMS = {
    "analyse": ("analyse_json", "kestral-analyse"),
    "design": ("design_json", "kestral-design"),
    "backcalculate": ("backcalculate_json", "kestral-backcalc"),
}


class Refused(Exception):
    """A request answered with ``status`` and ``body`` instead of work."""

    def __init__(self, status: int, body: Dict[str, Any]) -> None:
        super().__init__(body.get("error"))
        self.status = status
        self.body = body

    def response(self) -> JSONResponse:
        return JSONResponse(self.body, status_code=self.status)


def _refusal(status: int, message: str) -> Refused:
    return Refused(status, {"error": message, "field": None, "message": message})


async def _body_text(request: Request) -> bytes:
    """The request's body, refused past the server's size limit (413). Its
    bytes go to the reader as they came: the reader says what is wrong with
    them, text that is not UTF-8 included."""
    limit = request.app.state.limits.max_body
    declared = request.headers.get("content-length")
    if declared is not None and declared.isdigit() and int(declared) > limit:
        raise _refusal(413, f"the request is {int(declared)} bytes, more than this server's "
                            f"limit of {limit} bytes")
    chunks: List[bytes] = []
    size = 0
    async for chunk in request.stream():
        size += len(chunk)
        if size > limit:
            raise _refusal(413, f"the request is more than this server's limit of {limit} bytes")
        chunks.append(chunk)
    return b"".join(chunks)


def _program(name: str) -> Callable[..., Any]:
    function_name, program = PROGRAMS[name]
    function = getattr(_kestral, function_name, None)
    if function is None:
        raise _refusal(501, f"this build has no {program}: /api/{name} needs the module "
                            f"function _kestral.{function_name}, which it lacks")
    return function


def _submit(pool: JobPool, work: Callable[[Job], Any]) -> Job:
    try:
        return pool.submit(work)
    except Busy as error:
        raise _refusal(503, str(error)) from None


def _failure(job: Job) -> Refused:
    if job.state == CANCELLED:
        return _refusal(409, "the analysis was cancelled")
    message = job.error or "the work failed"
    status = 500 if message.startswith("internal error") else 422
    return Refused(status, error_body(message))


async def _finished(job: Job) -> None:
    await asyncio.wrap_future(job.future)


def _analysis_work(text: bytes, limits: Any, with_csv: bool) -> Callable[[Job], Any]:
    def work(job: Job) -> Any:
        run = _kestral.analyse_json_csv if with_csv else _kestral.analyse_json
        return run(text, SOURCE, 1, job.token, limits.max_work)
    return work


def _program_work(function: Callable[..., Any], text: bytes) -> Callable[[Job], Any]:
    """The work of a program's function, called as ``function(text, source)``
    (``_kestral.design_json`` and ``backcalculate_json``)."""
    def work(job: Job) -> Any:
        return function(text, SOURCE)
    return work


@router.post("/{program}")
async def run_program(program: str, request: Request) -> Response:
    """The program's ``--format json`` text for the problem in the body.

    The work waits for a worker of the pool; the header ``X-Kestral-Waited``
    says how many seconds it waited for one.
    """
    if program not in PROGRAMS:
        return JSONResponse({"error": f"no program {program!r}: the API has "
                                      f"{', '.join('/api/' + p for p in PROGRAMS)}"},
                            status_code=404)
    try:
        function = _program(program)
        text = await _body_text(request)
        pool: JobPool = request.app.state.pool
        if program == "analyse":
            job = _submit(pool, _analysis_work(text, request.app.state.limits, False))
        else:
            job = _submit(pool, _program_work(function, text))
        try:
            await _finished(job)
        except asyncio.CancelledError:  # the client went away
            job.token.cancel()
            raise
        if job.state != DONE:
            raise _failure(job)
    except Refused as refused:
        return refused.response()
    waited = (job.started or job.created) - job.created
    return Response(job.result, media_type=JSON_TYPE,
                    headers={"X-Kestral-Waited": f"{waited:.3f}"})


def _places(text: Optional[str]) -> List[Tuple[float, float]]:
    places = []
    for part in (text or "").split(";"):
        if not part.strip():
            continue
        try:
            x, y = (float(value) for value in part.split(","))
        except ValueError:
            raise _refusal(422, f"profile: {part!r} is not a place x,y") from None
        places.append((x, y))
    return places[:8]


def _page_work(text: bytes, limits: Any, at: List[Tuple[float, float]], quantities: List[str],
               map_quantity: Optional[str]) -> Callable[[Job], Any]:
    """A page's analysis: the table (JSON and CSV), then the pictures."""

    def work(job: Job) -> Any:
        results, csv = _kestral.analyse_json_csv(text, SOURCE, 1, job.token, limits.max_work)
        pictures: Dict[str, str] = {}
        problem = json.loads(text)
        for name, draw in (("profile", lambda: plots.profile_svg(problem, at, quantities)),
                           ("map", lambda: plots.map_svg(problem, map_quantity))):
            if job.cancelled:
                return None
            if (name == "profile" and at and quantities) or (name == "map" and map_quantity):
                job.stage = f"drawing the {'depth profile' if name == 'profile' else 'section map'}"
                try:
                    pictures[name] = draw()
                except ValueError as error:
                    pictures[name + "_error"] = str(error)
        return {"json": results, "csv": csv, "pictures": pictures}

    return work


@router.post("/jobs/analyse")
async def start_analysis(request: Request, profile: Optional[str] = None,
                         quantities: Optional[str] = None,
                         map: Optional[str] = None) -> Response:  # noqa: A002 (the query's name)
    """Starts a page's analysis: the body is the problem file; ``profile``
    places ``x,y;x,y``, ``quantities`` ``exx,ezz`` and ``map`` a result ask
    for the pictures. Answers the job's state (202)."""
    try:
        text = await _body_text(request)
        names = [name for name in (quantities or "").split(",") if name]
        work = _page_work(text, request.app.state.limits, _places(profile), names, map or None)
        job = _submit(request.app.state.pool, work)
    except Refused as refused:
        return refused.response()
    return JSONResponse(_state(request.app.state.pool, job), status_code=202)


def _state(pool: JobPool, job: Job) -> Dict[str, Any]:
    now = time.monotonic()
    state: Dict[str, Any] = {"id": job.id, "state": job.state, "stage": job.stage,
                             "done": job.token.done, "total": job.token.total,
                             "progress": job.progress(),
                             "elapsed": (job.finished or now) - (job.started or now)}
    if job.state == QUEUED:
        state["ahead"] = pool.position(job)
        state["workers"] = pool.workers
    if job.state == FAILED:
        state.update(error_body(job.error or ""))
    return state


def _job(request: Request, job_id: str) -> Job:
    job = request.app.state.pool.get(job_id)
    if job is None:
        raise _refusal(404, f"no job {job_id}: it never was, or its results were dropped")
    return job


@router.get("/jobs/{job_id}")
async def job_state(request: Request, job_id: str, wait: float = 0.0) -> Response:
    """The job's state; with ``wait`` (seconds, at most 2) the answer comes
    as soon as the job ends, or after that time. A finished job carries its
    results: ``result`` the analysis' JSON (the program's), ``pictures``."""
    try:
        job = _job(request, job_id)
    except Refused as refused:
        return refused.response()
    deadline = time.monotonic() + min(max(wait, 0.0), 2.0)
    while job.state not in FINISHED and time.monotonic() < deadline:
        await asyncio.sleep(0.02)
    state = _state(request.app.state.pool, job)
    if job.state != DONE:
        return JSONResponse(state)
    head = json.dumps({**state, "pictures": job.result["pictures"]})
    return Response(head[:-1] + ', "result": ' + job.result["json"] + "}", media_type=JSON_TYPE)


@router.get("/jobs/{job_id}/csv")
async def job_csv(request: Request, job_id: str) -> Response:
    """The finished job's table as kestral-analyse writes it, as a download."""
    try:
        job = _job(request, job_id)
        if job.state != DONE:
            raise _refusal(409, f"job {job_id} is {job.state}: it has no table")
    except Refused as refused:
        return refused.response()
    return Response(job.result["csv"], media_type="text/csv",
                    headers={"Content-Disposition": 'attachment; filename="results.csv"'})


@router.delete("/jobs/{job_id}")
async def cancel_job(request: Request, job_id: str) -> Response:
    """Cancels the job: a waiting one never starts, a running one stops
    within a block of rows."""
    try:
        job = _job(request, job_id)
    except Refused as refused:
        return refused.response()
    request.app.state.pool.cancel(job)
    return JSONResponse(_state(request.app.state.pool, job))
