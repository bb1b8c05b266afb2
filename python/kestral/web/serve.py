"""``python3 -m kestral serve``: the web app on uvicorn."""

from __future__ import annotations

import argparse
import socket
import sys
from typing import List, Optional


def add_arguments(parser: argparse.ArgumentParser) -> None:
    """The options of ``serve``.

    Parameters
    ----------
    parser : argparse.ArgumentParser
        The parser (or sub-parser) to add them to.
    """
    parser.add_argument("--host", default="127.0.0.1",
                        help="address to listen on (default 127.0.0.1: this machine only; "
                             "0.0.0.0 for every interface)")
    parser.add_argument("--port", type=int, default=8080, help="port (default 8080)")
    parser.add_argument("--workers", type=int, default=0,
                        help="analyses run at once (default: one per core)")
    parser.add_argument("--max-work", type=float, default=2_000_000,
                        help="largest points x loads x layers of one analysis (default 2e6)")
    parser.add_argument("--max-body", type=int, default=4 * 1024 * 1024,
                        help="largest request body in bytes (default 4 MiB)")
    parser.add_argument("--root-path", default="",
                        help="the path prefix a reverse proxy serves the app under (e.g. /kestral)")


def serve(host: str = "127.0.0.1", port: int = 8080, workers: int = 0,
          max_work: float = 2_000_000, max_body: int = 4 * 1024 * 1024,
          root_path: str = "") -> None:
    """Runs the web app until interrupted.

    Parameters
    ----------
    host : str
        Address to listen on.
    port : int
        Port to listen on.
    workers : int
        Analyses run at once (0: one per core).
    max_work : float
        Largest points x loads x layers of one analysis.
    max_body : int
        Largest request body in bytes.
    root_path : str
        The prefix a reverse proxy serves the app under.
    """
    import uvicorn

    from .app import Limits, create_app

    listener = _listen(host, port)
    app = create_app(Limits(max_body=max_body, max_work=max_work, workers=workers))
    config = uvicorn.Config(app, root_path=root_path, log_level="warning",
                            proxy_headers=bool(root_path))
    shown = f"[{host}]" if ":" in host else host
    print(f"kestral: serving on http://{shown}:{port}{root_path}/ (Ctrl-C stops)", flush=True)
    uvicorn.Server(config).run(sockets=[listener])


def _listen(host: str, port: int) -> socket.socket:
    """The server's socket, bound before anything is said to be served.

    Raises
    ------
    ValueError
        When the address cannot be listened on (in use, not this machine's).
    """
    family = socket.AF_INET6 if ":" in host else socket.AF_INET
    listener = socket.socket(family, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    try:
        listener.bind((host, port))
    except OSError as error:
        listener.close()
        raise ValueError(f"cannot listen on {host} port {port}: "
                         f"{error.strerror or error}") from None
    return listener


def main(arguments: argparse.Namespace) -> int:
    """Runs ``serve`` with parsed arguments; returns the exit status (1 when
    the address cannot be listened on).

    Raises
    ------
    ValueError
        Arguments out of range (a usage error).
    """
    if not 0 < arguments.port < 65536:
        raise ValueError(f"--port is {arguments.port}, must be 1 to 65535")
    if arguments.workers < 0 or arguments.max_work <= 0 or arguments.max_body <= 0:
        raise ValueError("--workers must be 0 or more, --max-work and --max-body above 0")
    try:
        serve(arguments.host, arguments.port, arguments.workers, arguments.max_work,
              arguments.max_body, arguments.root_path.rstrip("/"))
    except ValueError as error:
        print(f"python3 -m kestral serve: {error}", file=sys.stderr)
        return 1
    return 0


def run(argv: Optional[List[str]] = None) -> int:
    """``serve`` as a program of its own (for tests and the benchmark)."""
    parser = argparse.ArgumentParser(prog="python3 -m kestral serve")
    add_arguments(parser)
    return main(parser.parse_args(argv))
