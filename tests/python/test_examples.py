"""The Python examples run as the README and the manual show them, on a smaller scale."""

import subprocess
import sys

from conftest import SOURCE

EXAMPLES = SOURCE / "examples" / "python"


def run(script, *arguments):
    done = subprocess.run([sys.executable, str(EXAMPLES / script), *map(str, arguments)],
                          capture_output=True, text=True, timeout=240)
    assert done.returncode == 0, done.stderr
    return done.stdout


def test_first_analysis_prints_a_row_per_face():
    lines = run("first_analysis.py").splitlines()
    assert len(lines) == 4  # both points lie on interfaces: two faces each
    assert lines[0].startswith("point 1 at z = 150 mm (above, layer 1)")
    assert lines[3].startswith("point 2 at z = 400 mm (below, layer 3)")


def test_profile_plot_writes_both_pictures(tmp_path):
    run("profile_plot.py", tmp_path)
    for name in ("profile.png", "map.png"):
        assert (tmp_path / name).read_bytes()[:4] == b"\x89PNG"


def test_monte_carlo_on_one_and_two_workers():
    out = run("monte_carlo.py", "--samples", "40", "--workers", "1", "2")
    assert "40 problems on 1 worker(s)" in out and "40 problems on 2 worker(s)" in out
    assert "results identical to the first run: True" in out
    assert "tensile, bottom of asphalt" in out and "compressive, top of subgrade" in out
