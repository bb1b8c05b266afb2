"""The bounded pool the work runs in, off the request threads.

A job is a function of a :class:`Job` (which it tells its progress and
which it asks whether it was cancelled). ``workers`` jobs run at once; up to
``max_waiting`` more wait their turn in arrival order, and a job beyond
that is refused. Finished jobs are kept a while for their results.
"""

from __future__ import annotations

import secrets
import threading
import time
from collections import OrderedDict
from concurrent.futures import Future, ThreadPoolExecutor
from typing import Any, Callable, Dict, Optional

from .. import _kestral

QUEUED, RUNNING, DONE, FAILED, CANCELLED = "queued", "running", "done", "failed", "cancelled"
FINISHED = (DONE, FAILED, CANCELLED)
MAX_KEPT = 100  # finished jobs kept for their results


class Busy(Exception):
    """Raised by :meth:`JobPool.submit` when the waiting line is full."""


class Job:
    """One piece of work and what the pages see of it.

    Attributes
    ----------
    id : str
        The job's name: random, so that on a shared server nobody reaches
        another's results by counting.
    state : str
        queued, running, done, failed or cancelled.
    stage : str
        What it is doing, for the progress line.
    unit : str
        What its progress counts (points, drops, checks).
    token : _kestral.CancelToken
        The engine's progress and cancel flag.
    result : Any
        What the work returned, once done.
    error : str or None
        The message of a failed job.
    """

    def __init__(self) -> None:
        self.id = secrets.token_urlsafe(12)
        self.state = QUEUED
        self.stage = "waiting"
        self.unit = "points"
        self.token = _kestral.CancelToken()
        self.result: Any = None
        self.error: Optional[str] = None
        self.created = time.monotonic()
        self.started: Optional[float] = None
        self.finished: Optional[float] = None
        self.future: Optional[Future] = None

    @property
    def cancelled(self) -> bool:
        """Whether cancel was asked for."""
        return self.token.cancelled

    def progress(self) -> float:
        """The fraction of the work done, 0 to 1."""
        total = self.token.total
        return self.token.done / total if total else 0.0


class JobPool:
    """Runs jobs on ``workers`` threads, with at most ``max_waiting`` waiting.

    Parameters
    ----------
    workers : int
        Jobs run at once.
    max_waiting : int
        Jobs that may wait for a worker; more are refused with :class:`Busy`.
    keep_seconds : float
        How long a finished job stays for its result.
    """

    def __init__(self, workers: int, max_waiting: int, keep_seconds: float = 600.0) -> None:
        self.workers = workers
        self.max_waiting = max_waiting
        self.keep_seconds = keep_seconds
        self._executor = ThreadPoolExecutor(max_workers=workers, thread_name_prefix="kestral-job")
        self._jobs: "OrderedDict[str, Job]" = OrderedDict()
        self._lock = threading.Lock()

    def submit(self, work: Callable[[Job], Any]) -> Job:
        """Queues ``work``; it runs with its job as argument.

        Parameters
        ----------
        work : callable
            The work; what it returns becomes the job's result, a ValueError
            its error, ``_kestral.AnalysisCancelled`` a cancelled job.

        Returns
        -------
        Job
            The queued job.

        Raises
        ------
        Busy
            When ``max_waiting`` jobs are already waiting.
        """
        with self._lock:
            self._forget_old()
            waiting = sum(1 for job in self._jobs.values() if job.state == QUEUED)
            if waiting >= self.max_waiting:
                raise Busy(f"the server is busy: {waiting} analyses are waiting for "
                           f"{self.workers} workers; try again shortly")
            job = Job()
            self._jobs[job.id] = job
        job.future = self._executor.submit(self._run, job, work)
        return job

    def _run(self, job: Job, work: Callable[[Job], Any]) -> None:
        job.started = time.monotonic()
        if job.cancelled:
            job.state = CANCELLED
        else:
            job.state = RUNNING
            job.stage = "analysing"
            try:
                job.result = work(job)
                job.state = CANCELLED if job.cancelled and job.result is None else DONE
            except _kestral.AnalysisCancelled:
                job.state = CANCELLED
            except ValueError as error:
                job.error = str(error)
                job.state = FAILED
            except Exception as error:  # a fault of the server, not of the problem
                job.error = f"internal error: {type(error).__name__}: {error}"
                job.state = FAILED
        job.finished = time.monotonic()

    def get(self, job_id: str) -> Optional[Job]:
        """The job of that id, if it is still kept."""
        with self._lock:
            return self._jobs.get(job_id)

    def position(self, job: Job) -> int:
        """How many queued jobs are ahead of ``job`` (0 when it runs)."""
        with self._lock:
            ahead = 0
            for other in self._jobs.values():
                if other is job:
                    return ahead if job.state == QUEUED else 0
                if other.state == QUEUED:
                    ahead += 1
        return 0

    def running(self) -> int:
        """Jobs running now."""
        with self._lock:
            return sum(1 for job in self._jobs.values() if job.state == RUNNING)

    def cancel(self, job: Job) -> None:
        """Asks the job to stop; a queued job never starts."""
        job.token.cancel()

    def _forget_old(self) -> None:
        """Drops finished jobs older than keep_seconds, and the oldest
        finished ones beyond MAX_KEPT, so that results never pile up."""
        now = time.monotonic()
        finished = [key for key, job in self._jobs.items() if job.finished is not None]
        for number, key in enumerate(finished):
            if (now - self._jobs[key].finished > self.keep_seconds
                    or len(finished) - number > MAX_KEPT):
                del self._jobs[key]

    def shutdown(self) -> None:
        """Cancels every job and waits for the workers."""
        with self._lock:
            jobs = list(self._jobs.values())
        for job in jobs:
            job.token.cancel()
        self._executor.shutdown(wait=True, cancel_futures=True)
