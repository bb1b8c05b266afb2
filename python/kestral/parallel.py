"""Many independent problems at once, over Dask.

A design study, a Monte Carlo reliability run or a network-level analysis is
thousands to millions of independent problems. ``analyse_many`` maps them over
a Dask client: the same code then runs on one machine (threads, or a
``LocalCluster`` of worker processes), on a Slurm or PBS cluster through
dask-jobqueue, or on Kubernetes. Without a client it runs on threads in this
process; the engine releases the GIL, so the threads compute in parallel.

Problems travel in batches (one Dask task per batch), because one task per
problem would cost more in scheduling than a small problem costs to compute.
"""

from __future__ import annotations

import os
from dataclasses import dataclass
from typing import TYPE_CHECKING, Iterable, List, Mapping, Optional, Sequence, Union

if TYPE_CHECKING:
    from .problem import Problem
    from .results import Results

    ProblemLike = Union[Problem, Mapping[str, object], str, "os.PathLike[str]"]

__all__ = ["Failure", "analyse_many"]


@dataclass(frozen=True)
class Failure:
    """Stands in the place of a problem that could not be analysed."""

    message: str

    def __bool__(self) -> bool:
        return False

    def __str__(self) -> str:
        return self.message


def analyse_one(problem: ProblemLike) -> Union[Results, Failure]:
    """The results of one problem, or a Failure with the message it raised.

    Parameters
    ----------
    problem : Problem, mapping, str or os.PathLike
        A ``kestral.Problem``, a dict laid out as a problem file, or the
        path of a problem file (read where the task runs).

    Returns
    -------
    Results or Failure
        A Failure for any error of the problem, so that one bad problem
        never costs the others their results (Ctrl-C still stops the run).
    """
    from . import analyse_problem  # imported on the worker

    try:
        # One engine thread: the parallelism is over the problems.
        return analyse_problem(problem, threads=1)
    except (ValueError, TypeError, OSError) as error:
        return Failure(str(error))
    except Exception as error:  # noqa: BLE001 - any fault stays in its place
        return Failure(f"{type(error).__name__}: {error}")


def analyse_batch(batch: Sequence[ProblemLike]) -> List[Union[Results, Failure]]:
    """The results of each problem of ``batch``, in order (one Dask task)."""
    return [analyse_one(problem) for problem in batch]


def _batches(problems: Sequence[ProblemLike], batch_size: int) -> List[Sequence[ProblemLike]]:
    return [problems[i:i + batch_size] for i in range(0, len(problems), batch_size)]


def _default_batch_size(count: int, workers: int) -> int:
    # About four batches per worker thread balances the load; at most 500
    # problems a batch keeps the results of a task a modest message.
    return max(1, min(500, -(-count // (4 * max(1, workers)))))


def analyse_many(problems: Iterable[ProblemLike], client: Optional[object] = None, *,
                 batch_size: Optional[int] = None) -> List[Union[Results, Failure]]:
    """Analyses every problem; returns the results in input order.

    Parameters
    ----------
    problems : iterable of Problem, mapping, str or os.PathLike
        The problems, each as ``kestral.analyse_problem`` takes it.
    client : dask.distributed.Client, optional
        Where to run; without one, the problems run on Dask's threaded
        scheduler in this process.
    batch_size : int, optional
        Problems per Dask task (default: about four tasks per worker
        thread, at most 500 problems each).

    Returns
    -------
    list of Results or Failure
        The results of ``kestral.analyse_problem`` on each problem, bit for
        bit, wherever they were computed; a problem that fails gives a
        ``Failure`` (its message in ``.message``) in its place, and the
        others go on.

    Raises
    ------
    ValueError
        ``batch_size`` below 1.
    """
    problems = list(problems)
    if not problems:
        return []
    if client is None:
        workers = os.cpu_count() or 1
    else:
        workers = sum(client.nthreads().values())
    if batch_size is None:
        batch_size = _default_batch_size(len(problems), workers)
    elif batch_size < 1:
        raise ValueError(f"batch_size must be at least 1, not {batch_size}")
    batches = _batches(problems, batch_size)

    if client is None:
        import dask

        done = dask.compute(*[dask.delayed(analyse_batch, pure=False)(b) for b in batches],
                            scheduler="threads", num_workers=workers)
    else:
        done = client.gather(client.map(analyse_batch, batches, pure=False))
    return [result for batch in done for result in batch]
