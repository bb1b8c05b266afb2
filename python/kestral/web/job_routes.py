"""The pages' jobs: the work of a page started off the request thread,
followed (progress, waiting) and cancelled; its results, pictures and
downloads once done.

``POST /api/jobs/analyse|design|backcalculate`` starts one (202 with its
state); ``GET /api/jobs/{id}?wait=s`` follows it, ``DELETE`` cancels it.
"""

from __future__ import annotations

import asyncio
import json
import time
from typing import Any, Dict, List, Optional, Tuple

from fastapi import APIRouter, Request
from fastapi.concurrency import run_in_threadpool
from fastapi.responses import JSONResponse, Response

from . import page_work, plots
from .api import JSON_TYPE, require_program, submit
from .errors import error_body
from .jobs import DONE, FAILED, FINISHED, QUEUED, Job, JobPool
from .request_body import Refused, body_bytes, refusal, survey_and_drops

router = APIRouter(prefix="/api/jobs")


def _places(text: Optional[str]) -> List[Tuple[float, float]]:
    places = []
    for part in (text or "").split(";"):
        if not part.strip():
            continue
        try:
            x, y = (float(value) for value in part.split(","))
        except ValueError:
            raise refusal(422, f"profile: {part!r} is not a place x,y") from None
        places.append((x, y))
    return places[:8]


def _started(request: Request, job: Job) -> Response:
    return JSONResponse(_state(request.app.state.pool, job), status_code=202)


@router.post("/analyse")
async def start_analysis(request: Request, profile: Optional[str] = None,
                         quantities: Optional[str] = None,
                         map: Optional[str] = None) -> Response:  # noqa: A002 (the query's name)
    """Starts a page's analysis: the body is the problem file; ``profile``
    places ``x,y;x,y``, ``quantities`` ``exx,ezz`` and ``map`` a result ask
    for the pictures. Answers the job's state (202)."""
    try:
        text = await body_bytes(request)
        names = [name for name in (quantities or "").split(",") if name]
        work = page_work.analysis(text, request.app.state.limits.max_work, _places(profile),
                                  names, map or None)
        return _started(request, submit(request.app.state.pool, work))
    except Refused as refused:
        return refused.response()


@router.post("/design")
async def start_design(request: Request) -> Response:
    """Starts a design check: the report, and the damage curve when the
    problem searches a thickness."""
    try:
        require_program("design")
        text = await body_bytes(request)
        return _started(request, submit(request.app.state.pool, page_work.design(text)))
    except Refused as refused:
        return refused.response()


@router.post("/backcalculate")
async def start_backcalculation(request: Request) -> Response:
    """Starts a backcalculation: the survey, or a form of the survey and
    its CSV drop file (as ``/api/backcalculate`` takes them)."""
    try:
        require_program("backcalculate")
        survey, drops_csv = await survey_and_drops(request)
        work = page_work.backcalculation(survey, drops_csv)
        return _started(request, submit(request.app.state.pool, work))
    except Refused as refused:
        return refused.response()


def _state(pool: JobPool, job: Job) -> Dict[str, Any]:
    now = time.monotonic()
    state: Dict[str, Any] = {"id": job.id, "state": job.state, "stage": job.stage,
                             "unit": job.unit, "done": job.token.done, "total": job.token.total,
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
        raise refusal(404, f"no job {job_id}: it never was, or its results were dropped")
    return job


def _done(request: Request, job_id: str, what: str) -> Job:
    job = _job(request, job_id)
    if job.state != DONE:
        raise refusal(409, f"job {job_id} is {job.state}: it has no {what}")
    return job


@router.get("/{job_id}")
async def job_state(request: Request, job_id: str, wait: float = 0.0) -> Response:
    """The job's state; with ``wait`` (seconds, at most 2) the answer comes
    as soon as the job ends, or after that time. A finished job carries its
    results: ``result`` the program's JSON report, ``pictures``."""
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


@router.get("/{job_id}/csv")
async def job_csv(request: Request, job_id: str) -> Response:
    """The finished analysis' table as kestral-analyse writes it, as a download."""
    try:
        job = _done(request, job_id, "table")
        if "csv" not in job.result:
            raise refusal(404, f"job {job_id} has no CSV table (only an analysis has one)")
    except Refused as refused:
        return refused.response()
    return Response(job.result["csv"], media_type="text/csv",
                    headers={"Content-Disposition": 'attachment; filename="results.csv"'})


@router.get("/{job_id}/bowl/{row}")
async def job_bowl(request: Request, job_id: str, row: int) -> Response:
    """The measured and fitted bowl of a finished backcalculation's drop
    (its row, 0 the first), as SVG."""
    try:
        job = _done(request, job_id, "bowls")
        report = json.loads(job.result["json"])
        if "drops" not in report.get("problem", {}):
            raise refusal(404, f"job {job_id} is not a backcalculation: it has no bowls")
        drops = len(report["problem"]["drops"])
        if not 0 <= row < drops:
            raise refusal(404, f"drop {row} is not one of the {drops} drops (0 to {drops - 1})")
    except Refused as refused:
        return refused.response()
    svg = await run_in_threadpool(plots.bowl_svg, report, row)
    return Response(svg, media_type="image/svg+xml")


@router.delete("/{job_id}")
async def cancel_job(request: Request, job_id: str) -> Response:
    """Cancels the job: a waiting one never starts, a running one stops
    within a block of rows (a drop, a check)."""
    try:
        job = _job(request, job_id)
    except Refused as refused:
        return refused.response()
    request.app.state.pool.cancel(job)
    return JSONResponse(_state(request.app.state.pool, job))
