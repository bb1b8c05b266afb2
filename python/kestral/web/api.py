"""The JSON API: the programs' ``--format json`` output for a problem
file's JSON text.

``POST /api/analyse``, ``/api/design``, ``/api/backcalculate``: the body is
the problem file (for a survey with a CSV drop file, a multipart form with
the parts ``survey`` and ``drops_csv``); the answer the program's JSON
text, the same bits. A mistake is status 422 with the program's message
and the field it names. The pages' jobs are in :mod:`kestral.web.job_routes`.
"""

from __future__ import annotations

import asyncio
from typing import Any, Callable

from fastapi import APIRouter, Request
from fastapi.responses import JSONResponse, Response

from .. import _kestral
from . import page_work
from .errors import error_body
from .jobs import CANCELLED, DONE, Busy, Job, JobPool
from .request_body import Refused, body_bytes, refusal, survey_and_drops

router = APIRouter(prefix="/api")

JSON_TYPE = "application/json"

# The programs behind the routes: the name of the function in _kestral and
# the program whose --format json it returns.
PROGRAMS = {
    "analyse": ("analyse_json", "kestral-analyse"),
    "design": ("design_json", "kestral-design"),
    "backcalculate": ("backcalculate_json", "kestral-backcalc"),
}


def require_program(name: str) -> None:
    """Refuses (501) a program this build's module lacks."""
    function_name, program = PROGRAMS[name]
    if getattr(_kestral, function_name, None) is None:
        raise refusal(501, f"this build has no {program}: /api/{name} needs the module "
                           f"function _kestral.{function_name}, which it lacks")


def submit(pool: JobPool, work: Callable[[Job], Any]) -> Job:
    """Queues the work, refused (503) when the waiting line is full."""
    try:
        return pool.submit(work)
    except Busy as error:
        raise refusal(503, str(error)) from None


def failure(job: Job) -> Refused:
    """The answer of a job that did not finish its work."""
    if job.state == CANCELLED:
        return refusal(409, "the work was cancelled")
    message = job.error or "the work failed"
    status = 500 if message.startswith("internal error") else 422
    return Refused(status, error_body(message))


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
        require_program(program)
        drops_csv = ""
        if program == "backcalculate":
            text, drops_csv = await survey_and_drops(request)
        else:
            text = await body_bytes(request)
        work = page_work.program(program, text, request.app.state.limits.max_work, drops_csv)
        job = submit(request.app.state.pool, work)
        try:
            await asyncio.wrap_future(job.future)
        except asyncio.CancelledError:  # the client went away
            job.token.cancel()
            raise
        if job.state != DONE:
            raise failure(job)
    except Refused as refused:
        return refused.response()
    waited = (job.started or job.created) - job.created
    return Response(job.result, media_type=JSON_TYPE,
                    headers={"X-Kestral-Waited": f"{waited:.3f}"})

