"""python3 -m kestral plot section.json --profile 0,0 --profile 155,0 -o profile.png

Draws depth profiles under the given (x, y) places, or with --map a result
over the vertical plane through the loads, of a problem file of
kestral-analyse, and saves the picture (PNG, PDF or SVG by the file's
extension). Mistakes get one line on standard error and status 1; usage
errors status 2.
"""

from __future__ import annotations

import argparse
import io
import os
import sys
from typing import List, Optional, Tuple


def _place(text: str) -> Tuple[float, float]:
    try:
        x, y = (float(part) for part in text.split(","))
    except ValueError:
        raise argparse.ArgumentTypeError(f"{text!r} is not a place x,y") from None
    return x, y


def _grid(text: str) -> Tuple[int, int]:
    try:
        nx, nz = (int(part) for part in text.split(","))
    except ValueError:
        raise argparse.ArgumentTypeError(f"{text!r} is not a grid NX,NZ") from None
    if nx < 2 or nz < 2:
        raise argparse.ArgumentTypeError(f"{text!r}: a map needs at least 2 by 2 points")
    return nx, nz


def _check_picture_name(output: str) -> None:
    """Refuses, before any work, a picture file whose extension names no
    format matplotlib writes."""
    from matplotlib.backend_bases import FigureCanvasBase

    formats = FigureCanvasBase.get_supported_filetypes()
    extension = os.path.splitext(output)[1][1:]
    if not extension:
        raise ValueError(f"{output}: no extension to tell the picture format: end the name "
                         f"in .png, .pdf or .svg (or .{', .'.join(sorted(formats))})")
    if extension.lower() not in formats:
        raise ValueError(f"{output}: .{extension} is not a picture format matplotlib writes: "
                         f"use .png, .pdf or .svg (or .{', .'.join(sorted(formats))})")


def _parser() -> argparse.ArgumentParser:
    parser = argparse.ArgumentParser(prog="python3 -m kestral",
                                     description="Pictures of a kestral-analyse problem file.")
    commands = parser.add_subparsers(dest="command", required=True)
    plot = commands.add_parser("plot", help="depth profiles, or a map with --map")
    plot.add_argument("problem", help="problem file (JSON) of kestral-analyse")
    plot.add_argument("--profile", type=_place, action="append", metavar="X,Y",
                      help="a place to draw a depth profile under (repeatable)")
    plot.add_argument("--quantity", "-q", action="append", metavar="NAME",
                      help="a result to draw (repeatable; default exx, eyy, ezz for "
                           "profiles, szz for a map)")
    plot.add_argument("--map", action="store_true",
                      help="a map of one result over the vertical plane through the loads")
    plot.add_argument("--grid", type=_grid, default=(81, 61), metavar="NX,NZ",
                      help="points of a map across and down (default 81,61)")
    plot.add_argument("--depth", type=float, help="deepest depth drawn, in the problem's unit")
    plot.add_argument("-o", "--output", required=True, help="picture file to write")
    from .web.serve import add_arguments as serve_arguments
    serve_arguments(commands.add_parser("serve", help="the web app (see docs/web-app.md)"))
    return parser


def main(argv: Optional[List[str]] = None) -> int:
    """Runs ``python3 -m kestral`` with ``argv`` (default: the command line).

    Parameters
    ----------
    argv : list of str, optional
        The arguments after the program's name.

    Returns
    -------
    int
        The exit status: 0 when the picture was written, 1 after a one-line
        message on standard error (usage errors exit with status 2).
    """
    arguments = _parser().parse_args(argv)
    if arguments.command == "serve":
        from .web.serve import main as serve_main
        try:
            return serve_main(arguments)
        except ValueError as error:
            print(f"python3 -m kestral serve: {error}", file=sys.stderr)
            return 2
    import matplotlib

    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    from . import _kestral, plot

    try:
        folder = os.path.dirname(arguments.output) or "."
        if not os.path.isdir(folder):
            raise ValueError(f"{arguments.output}: cannot be written: no folder {folder}")
        _check_picture_name(arguments.output)
        if arguments.map:
            plot.check_map_grid(*arguments.grid)
        if arguments.map:
            if arguments.profile:
                raise ValueError("--map and --profile draw different pictures: give one")
            quantities = arguments.quantity or ["szz"]
            if len(quantities) != 1:
                raise ValueError("a map shows one result: give one --quantity")
            nx, nz = arguments.grid
            ax = plot.section_map(arguments.problem, quantities[0], depth=arguments.depth,
                                  nx=nx, nz=nz)
        else:
            ax = plot.profile(arguments.problem, arguments.profile or [(0.0, 0.0)],
                              arguments.quantity or ["exx", "eyy", "ezz"],
                              depth=arguments.depth)
        ax.figure.tight_layout()
        output = arguments.output
        # Drawn in memory, then written whole or not at all by the programs'
        # own writer: no partial picture, no temporary file left behind.
        extension = os.path.splitext(output)[1][1:]
        picture = io.BytesIO()
        ax.figure.savefig(picture, dpi=120, format=extension or None)
        try:
            _kestral.write_file(output, picture.getvalue())
        except OSError as error:
            raise ValueError(str(error)) from None
        plt.close(ax.figure)
    except (ValueError, KeyError) as error:
        message = error.args[0] if isinstance(error, KeyError) else str(error)
        print(f"python3 -m kestral: {message}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
