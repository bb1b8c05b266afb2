"""kestral.design and kestral-design: the Python side gives the program's
report bit for bit, the program's statuses and files, reliability's
reproducibility, the damage plot."""

import json
import os
import pathlib
import subprocess

import pytest

import kestral
from kestral import _kestral

SOURCE_DIR = pathlib.Path(os.environ.get("KESTRAL_SOURCE_DIR", pathlib.Path(__file__).parents[2]))
EXAMPLE = SOURCE_DIR / "examples" / "design" / "section.json"
# The program sits beside the module in the build tree.
PROGRAM = pathlib.Path(_kestral.__file__).resolve().parents[2] / "design" / "kestral-design"


def small_problem(**changes):
    """The example with one axle group and one season: quick to check."""
    problem = json.loads(EXAMPLE.read_text())
    problem["axles"] = problem["axles"][:1]
    problem.pop("seasons")
    problem.pop("thickness")
    problem.update(changes)
    return problem


def run(*args, cwd):
    return subprocess.run([str(PROGRAM), *map(str, args)], cwd=cwd, capture_output=True, text=True)


def test_design_json_is_the_programs_report(tmp_path):
    text = EXAMPLE.read_text()
    (tmp_path / "section.json").write_text(text)
    printed = run("section.json", "--format", "json", cwd=tmp_path)
    assert printed.returncode == 0, printed.stderr
    assert _kestral.design_json(text, "section.json") == printed.stdout
    report = json.loads(printed.stdout)
    assert report["thickness"]["status"] == "found"
    assert report["verdict"] in ("pass", "fail")


@pytest.mark.parametrize("content, message", [
    ('{"layers": 3}', "bad.json: layers: must be an array, not a number"),
    ('{"layers": [', "bad.json: line 1, column 13: not valid JSON"),
])
def test_refusals_are_one_line_status_1_and_value_errors(tmp_path, content, message):
    (tmp_path / "bad.json").write_text(content)
    (tmp_path / "out.csv").write_text("old\n")
    result = run("bad.json", "-o", "out.csv", cwd=tmp_path)
    assert result.returncode == 1
    assert result.stderr.startswith(message) and result.stderr.count("\n") == 1
    assert (tmp_path / "out.csv").read_text() == "old\n"  # nothing written
    with pytest.raises(ValueError, match="^" + message.replace("(", r"\(").split(":")[0]):
        _kestral.design_json(content, "bad.json")


def test_usage_errors_are_status_2(tmp_path):
    assert run("--format", "xml", "a.json", cwd=tmp_path).returncode == 2
    assert run(cwd=tmp_path).returncode == 2


def test_csv_carries_the_reports_numbers(tmp_path):
    (tmp_path / "p.json").write_text(json.dumps(small_problem()))
    assert run("p.json", "-o", "table.csv", cwd=tmp_path).returncode == 0
    lines = (tmp_path / "table.csv").read_text().splitlines()
    assert lines[0] == "section,criterion,season,axle,strain,x_mm,y_mm,allowed,damage,life"
    report = kestral.design.check(small_problem())
    for criterion in report["criteria"]:
        row = next(line for line in lines if line.startswith(f"given,{criterion['name']},all,all"))
        assert float(row.split(",")[8]) == criterion["damage"]


def test_check_agrees_with_the_file_and_names_its_source():
    report = kestral.design.check(small_problem())
    assert [c["name"] for c in report["criteria"]] == ["asphalt fatigue", "subgrade rutting"]
    with pytest.raises(ValueError, match=r"^problem: seasons: the shares add up to 0\.9"):
        kestral.design.check(small_problem(seasons=[{"share": 0.9}]))


def test_reliability_same_seed_same_bits_whatever_the_batches():
    variability = {"E": {"asphalt": 0.2, "subgrade": 0.3}, "thickness": {"asphalt": 10}}
    one = kestral.design.reliability(small_problem(), variability, samples=6, seed=7, batch_size=6)
    many = kestral.design.reliability(small_problem(), variability, samples=6, seed=7, batch_size=1)
    assert one["probability"] == many["probability"]
    for name, damage in one["damage"].items():
        assert damage.tobytes() == many["damage"][name].tobytes()
    low, high = one["interval"]
    assert 0.0 <= low <= one["probability"] <= high <= 1.0
    other = kestral.design.reliability(small_problem(), variability, samples=6, seed=8)
    assert other["damage"]["asphalt fatigue"].tobytes() != one["damage"]["asphalt fatigue"].tobytes()


def test_damage_vs_thickness_draws_falling_damage():
    import matplotlib

    matplotlib.use("Agg")
    import kestral.plot

    problem = small_problem(thickness={"layer": "asphalt", "min": 100, "max": 300, "resolution": 5})
    ax = kestral.plot.damage_vs_thickness(problem, count=3)
    lines = [line for line in ax.get_lines() if line.get_label() in ("asphalt fatigue", "subgrade rutting")]
    assert len(lines) == 2
    for line in lines:
        damage = line.get_ydata()
        assert all(later < earlier for earlier, later in zip(damage, damage[1:]))


def test_examples_run(tmp_path):
    import sys

    folder = SOURCE_DIR / "examples" / "design"
    plot = subprocess.run([sys.executable, str(folder / "damage_plot.py"), str(tmp_path), "3"],
                          capture_output=True, text=True, timeout=240)
    assert plot.returncode == 0, plot.stderr
    assert (tmp_path / "damage.png").read_bytes()[:4] == b"\x89PNG"
    mc = subprocess.run([sys.executable, str(folder / "reliability.py"), "4"],
                        capture_output=True, text=True, timeout=240)
    assert mc.returncode == 0, mc.stderr
    assert mc.stdout.startswith("4 samples in")
