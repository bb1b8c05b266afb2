"""kestral.run_legacy against the legacy program's own records: the report it
writes must be the recorded one byte for byte, and the arrays it returns must
be the rows of that report, value for value, when printed as the report
prints them."""

import shutil
from decimal import ROUND_HALF_UP, Decimal

import pytest

import kestral
from conftest import SOURCE

RECORDED = sorted(p for p in (SOURCE / "tests" / "regression").iterdir() if p.is_dir())
COMPLETED = [p for p in RECORDED if (p / "rc.txt").read_text().strip() == "0"]
REJECTED = [p for p in RECORDED if (p / "rc.txt").read_text().strip() != "0"]


def fixed(value, width, decimals):
    """Fixed w.d from the exact binary value, ties away from zero."""
    text = str(Decimal(value).quantize(Decimal(1).scaleb(-decimals), rounding=ROUND_HALF_UP))
    if text.startswith("-") and Decimal(text) == 0:
        text = text[1:]
    return text.rjust(width)


def scientific(value):
    """E11.4 ("-0.1234E-03") from the exact binary value, ties away from zero."""
    if value == 0:
        return " 0.0000E+00"
    exact = abs(Decimal(value))
    exponent = exact.adjusted() + 1
    digits = (exact.scaleb(-exponent)).quantize(Decimal("0.0001"), rounding=ROUND_HALF_UP)
    if digits >= 1:
        digits, exponent = digits / 10, exponent + 1
        digits = digits.quantize(Decimal("0.0001"), rounding=ROUND_HALF_UP)
    sign = "-" if value < 0 else " "
    return f"{sign}{digits}E{'-' if exponent < 0 else '+'}{abs(exponent):02d}"


def row_text(results, row):
    z, r = results["Z"][row], results["R"][row]
    head = (fixed(z, 8, 2) + "L" + fixed(r, 7, 2)) if results["L"][row] else (
        fixed(z, 8, 2) + fixed(r, 8, 2))
    names = ["SigmaZ", "SigmaT", "SigmaR", "TaoRZ", "DispZ", "epZ", "epT", "epR"]
    return head + "".join(scientific(results[name][row]) for name in names)


def in_scratch(recorded, tmp_path):
    for name in ("KESTRAL.in", "gauss.qua"):
        shutil.copy(recorded / name, tmp_path / name)
    return tmp_path


@pytest.mark.parametrize("recorded", COMPLETED, ids=lambda p: p.name)
def test_rows_are_the_report_rows(recorded, tmp_path):
    folder = in_scratch(recorded, tmp_path)
    results = kestral.run_legacy(folder)
    report = (folder / "KESTRAL.out").read_text()
    assert report == (recorded / "report.txt").read_text()
    assert results.console == (recorded / "console.txt").read_text()
    rows = report.splitlines()[8:]
    assert results.rows == len(rows)
    assert [row_text(results, row) for row in range(results.rows)] == rows
    assert results.units["SigmaZ"] == "MPa" and results.units["epR"] == ""


def test_layers_of_interface_rows(tmp_path):
    # 80 mm is the first interface of this section: its two rows are in
    # layers 1 and 2, the second marked L.
    recorded = SOURCE / "tests" / "regression" / "conformance-four-layer-dual"
    results = kestral.run_legacy(in_scratch(recorded, tmp_path))
    assert list(results["layer"][:3]) == [1, 1, 2]
    assert list(results["L"][:3]) == [False, False, True]


@pytest.mark.parametrize("recorded", REJECTED, ids=lambda p: p.name)
def test_rejected_input_raises_the_programs_message(recorded, tmp_path):
    folder = in_scratch(recorded, tmp_path)
    message = (recorded / "stderr.txt").read_text().splitlines()[0]
    with pytest.raises(ValueError) as raised:
        kestral.run_legacy(folder)
    assert str(raised.value) == message


def test_missing_folder_is_a_value_error(tmp_path):
    with pytest.raises(ValueError, match="nowhere: no such folder"):
        kestral.run_legacy(tmp_path / "nowhere")


def test_a_wheel_flag_that_selects_nothing_warns_and_gives_no_rows(tmp_path):
    folder = in_scratch(SOURCE / "examples" / "dual-wheel", tmp_path)
    text = (folder / "KESTRAL.in").read_text().splitlines()
    text[-1] = "3"
    (folder / "KESTRAL.in").write_text("\n".join(text) + "\n")
    with pytest.warns(UserWarning, match="wheel flag 3 is neither 1"):
        results = kestral.run_legacy(folder)
    assert results.rows == 0
