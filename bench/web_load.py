"""Load test of the web app (run with the build tree's package on the path):

    PYTHONPATH=build/release/python /usr/bin/python3 bench/web_load.py

Starts ``python3 -m kestral serve`` on a free port of 127.0.0.1, then
1. the first load of the analysis page: the page and its six static files,
   one after the other, on a fresh connection each, the very first time and
   then the median of 20. Target: under 300 ms.
2. a 200-point depth profile through ``POST /api/analyse``: the round trip
   against the same problem run inside this process by the binding (reader,
   engine, JSON writer), each the best of 15, and the median of the
   differences within interleaved pairs. Target: under 100 ms beyond the
   engine's time.
3. 20 analyses at once (a tandem of duals, 400 points each) from 20 threads:
   every answer must be status 200 and the same bits as the binding's.
   Target: no error.
Bounded: every request has a 60 s timeout, the server is stopped at the
end whatever happens, nothing leaves the loopback address.
"""

from __future__ import annotations

import http.client
import json
import os
import socket
import statistics
import subprocess
import sys
import threading
import time
from typing import List, Tuple

from kestral import _kestral

HOST = "127.0.0.1"
TIMEOUT = 60.0
SECTION = {
    "layers": [{"name": "asphalt", "E": 3000, "nu": 0.35, "thickness": 150},
               {"name": "base", "E": 300, "nu": 0.35, "thickness": 250},
               {"name": "subgrade", "E": 60, "nu": 0.40}],
    "loads": [{"x": 0, "y": 0, "load": 20000, "pressure": 0.56},
              {"x": 310, "y": 0, "load": 20000, "pressure": 0.56}],
}


def free_port() -> int:
    with socket.socket() as probe:
        probe.bind((HOST, 0))
        return probe.getsockname()[1]


def request(port: int, method: str, path: str, body: bytes = b"") -> Tuple[int, bytes]:
    connection = http.client.HTTPConnection(HOST, port, timeout=TIMEOUT)
    try:
        connection.request(method, path, body=body or None,
                           headers={"Content-Type": "application/json"} if body else {})
        response = connection.getresponse()
        return response.status, response.read()
    finally:
        connection.close()


def page_load(port: int) -> float:
    start = time.perf_counter()
    for path in ("/analyse", "/static/style.css", "/static/common.js", "/static/rows.js",
                 "/static/layers.js", "/static/analyse-form.js", "/static/analyse.js"):
        status, _ = request(port, "GET", path)
        assert status == 200, (path, status)
    return time.perf_counter() - start


def profile_problem(points: int) -> bytes:
    problem = dict(SECTION, points=[{"x": 0, "y": 0, "z": 600.0 * i / (points - 1)}
                                    for i in range(points)])
    return json.dumps(problem).encode()


def best(call, repeats: int) -> float:
    times = []
    for _ in range(repeats):
        start = time.perf_counter()
        call()
        times.append(time.perf_counter() - start)
    return min(times)


def main() -> int:
    port = free_port()
    server = subprocess.Popen([sys.executable, "-m", "kestral", "serve", "--port", str(port)],
                              stdout=subprocess.DEVNULL, env=dict(os.environ))
    try:
        deadline = time.monotonic() + 30
        while True:
            try:
                socket.create_connection((HOST, port), timeout=1).close()
                break
            except OSError:
                if time.monotonic() > deadline or server.poll() is not None:
                    print("the server did not start", file=sys.stderr)
                    return 1
                time.sleep(0.05)

        first = page_load(port)
        loads = [page_load(port) for _ in range(20)]
        print(f"1. page load (page and 6 static files): first {first * 1e3:.1f} ms, "
              f"median of 20 {statistics.median(loads) * 1e3:.1f} ms (target < 300 ms)")

        text = profile_problem(200)
        expected = _kestral.analyse_json(text).encode()
        differences: List[float] = []
        trips, inside = [], []
        for _ in range(15):
            trip = best(lambda: request(port, "POST", "/api/analyse", text), 1)
            alone = best(lambda: _kestral.analyse_json(text), 1)
            trips.append(trip)
            inside.append(alone)
            differences.append(trip - alone)
        status, body = request(port, "POST", "/api/analyse", text)
        assert status == 200 and body == expected
        print(f"2. 200-point profile: round trip best {min(trips) * 1e3:.1f} ms, in process "
              f"best {min(inside) * 1e3:.1f} ms, beyond it (median of 15 pairs) "
              f"{statistics.median(differences) * 1e3:.1f} ms (target < 100 ms)")

        big = dict(SECTION, loads=SECTION["loads"] + [dict(load, y=1300) for load in SECTION["loads"]],
                   grid={"x": [float(x) for x in range(0, 400, 20)], "y": [0.0],
                         "z": [float(z) for z in range(0, 600, 30)]})
        big_text = json.dumps(big).encode()
        big_expected = _kestral.analyse_json(big_text).encode()
        answers: List[Tuple[int, bool]] = []
        lock = threading.Lock()

        def one() -> None:
            try:
                status, body = request(port, "POST", "/api/analyse", big_text)
                result = (status, body == big_expected)
            except OSError as error:
                result = (-1, False)
                print(f"   request failed: {error}", file=sys.stderr)
            with lock:
                answers.append(result)

        start = time.perf_counter()
        threads = [threading.Thread(target=one) for _ in range(20)]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join(TIMEOUT)
        wall = time.perf_counter() - start
        good = sum(1 for status, same in answers if status == 200 and same)
        print(f"3. 20 concurrent analyses of 400 points under 4 loads: {good} of 20 answered 200 "
              f"with the binding's bits, {wall:.2f} s wall (target: 20 of 20)")
        return 0 if good == 20 else 1
    finally:
        server.terminate()
        try:
            server.wait(timeout=10)
        except subprocess.TimeoutExpired:
            server.kill()
            server.wait()


if __name__ == "__main__":
    sys.exit(main())
