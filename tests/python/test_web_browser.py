"""The web app in a real browser: headless Chromium driven by Selenium
against a server started on a free port of the loopback address. A user
fills the analysis form, runs it and gets kestral-analyse's table; a bad
value is shown beside its field; the saved problem file is one that
kestral-analyse reads; an opened file fills the form. The design check and
the backcalculation likewise, against kestral-design and kestral-backcalc;
a drop's bowl shows on a click. Each page is photographed into
$KESTRAL_WEB_SCREENSHOTS (a scratch folder by default)."""

import csv
import io
import json
import os
import subprocess
import time

from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import Select, WebDriverWait

from browser_session import (browser, downloads, field, photograph, run_and_wait,  # noqa: F401
                             screenshots, server, type_into)
from conftest import SOURCE, program

# The problem the user types in: two layers changed, a tandem of duals,
# three points, one of them on an interface.
TYPED = {
    "units": {"length": "mm", "stress": "MPa", "force": "N"},
    "layers": [{"name": "asphalt", "E": 4000, "nu": 0.35, "thickness": 120},
               {"name": "base", "E": 300, "nu": 0.35, "thickness": 250,
                "interface_below": "frictionless"},
               {"name": "subgrade", "E": 60, "nu": 0.4}],
    "loads": [{"x": 0, "y": 0, "load": 25000, "pressure": 0.7},
              {"x": 340, "y": 0, "load": 25000, "pressure": 0.7},
              {"x": 0, "y": 1300, "load": 25000, "pressure": 0.7},
              {"x": 340, "y": 1300, "load": 25000, "pressure": 0.7}],
    "points": [{"x": 0, "y": 0, "z": 120}, {"x": 170, "y": 0, "z": 370},
               {"x": 0, "y": 650, "z": 30}],
}


def page_table(driver):
    """The results table as the page holds it: headings, rows of values
    (full precision from data-value, text as shown)."""
    table = driver.find_element(By.ID, "results-table")
    headings = [th.get_attribute("data-column") for th in table.find_elements(By.CSS_SELECTOR, "thead th")]
    rows = driver.execute_script(
        "return [...arguments[0].tBodies[0].rows].map(r => [...r.cells].map("
        "c => c.dataset.value === undefined ? c.textContent : c.dataset.value));", table)
    return headings, rows


def program_table(path):
    text = subprocess.run([program("KESTRAL_ANALYSE_EXE"), str(path), "--digits", "all"], capture_output=True,
                          check=True, text=True).stdout
    rows = list(csv.reader(io.StringIO(text)))
    return rows[0], rows[1:]


def assert_same_table(page, expected):
    (headings, rows), (expected_headings, expected_rows) = page, expected
    assert headings == expected_headings
    assert len(rows) == len(expected_rows)
    for row, expected_row in zip(rows, expected_rows):
        for value, expected_value in zip(row, expected_row):
            try:
                assert float(value) == float(expected_value)
            except ValueError:
                assert value == expected_value


def fill_typed_problem(driver):
    for i, layer in enumerate(TYPED["layers"]):
        for key in ("E", "nu", "thickness"):
            if key in layer:
                type_into(driver, field(f"layers[{i}].{key}"), layer[key])
    Select(driver.find_element(By.CSS_SELECTOR, field("layers[1].interface_below"))).select_by_value("frictionless")
    Select(driver.find_element(By.ID, "preset")).select_by_value("tandem")
    type_into(driver, "#preset-load", 25000)
    type_into(driver, "#preset-pressure", 0.7)
    type_into(driver, "#preset-dual", 340)
    type_into(driver, "#preset-axle", 1300)
    driver.find_element(By.CSS_SELECTOR, 'input[name="points-mode"][value="table"]').click()
    driver.find_element(By.ID, "add-point").click()
    for i, point in enumerate(TYPED["points"]):
        for key in ("x", "y", "z"):
            type_into(driver, field(f"points[{i}].{key}"), point[key])


def test_a_typed_analysis_gives_the_table_of_kestral_analyse(server, browser, screenshots, tmp_path):
    browser.get(server + "/analyse")
    fill_typed_problem(browser)
    run_and_wait(browser)
    assert browser.find_element(By.ID, "results").is_displayed()
    path = tmp_path / "typed.json"
    path.write_text(json.dumps(TYPED))
    assert_same_table(page_table(browser), program_table(path))
    browser.find_element(By.CSS_SELECTOR, '.tab[data-tab="profile-view"]').click()
    WebDriverWait(browser, 5).until(lambda d: d.find_element(By.CSS_SELECTOR, "#profile-view svg"))
    for tab, name in (("table-view", "web-analyse.png"), ("profile-view", "web-analyse-profile.png"),
                      ("map-view", "web-analyse-map.png")):
        browser.find_element(By.CSS_SELECTOR, f'.tab[data-tab="{tab}"]').click()
        photograph(browser, os.path.join(screenshots, name))
    browser.find_element(By.CSS_SELECTOR, '.tab[data-tab="table-view"]').click()
    headings, _ = page_table(browser)
    column = headings.index("szz_MPa")
    for clicks, order in ((1, 1), (2, -1)):  # a click sorts up, the next one down
        browser.find_element(By.CSS_SELECTOR, 'th[data-column="szz_MPa"]').click()
        values = [float(row[column]) for row in page_table(browser)[1]]
        assert values == sorted(values, key=lambda v: order * v), clicks
    errors = browser.find_element(By.CSS_SELECTOR, 'th[data-column="strain_error"]')
    assert errors.is_displayed()
    browser.find_element(By.CSS_SELECTOR, '#column-groups input[value="errors"]').click()
    assert not errors.is_displayed()
    browser.find_element(By.CSS_SELECTOR, '#column-groups input[value="errors"]').click()


def test_a_bad_value_is_shown_beside_its_field_and_gives_no_result(server, browser, screenshots):
    browser.get(server + "/analyse")
    type_into(browser, field("layers[1].nu"), 0.6)
    run_and_wait(browser)
    message = browser.find_element(By.CSS_SELECTOR, '.field-error[data-for="layers[1].nu"]')
    assert message.text == "is 0.6, must be 0 to 0.5"
    beside = browser.execute_script("return arguments[0].previousElementSibling;", message)
    assert beside.get_attribute("data-field") == "layers[1].nu"
    assert "invalid" in beside.get_attribute("class")
    assert not browser.find_element(By.ID, "results").is_displayed()
    photograph(browser, os.path.join(screenshots, "web-analyse-error.png"))


def test_the_saved_problem_file_is_read_by_kestral_analyse(server, browser, downloads):
    browser.get(server + "/analyse")
    fill_typed_problem(browser)
    browser.find_element(By.ID, "download-problem").click()
    saved = downloads / "problem.json"
    deadline = time.monotonic() + 10
    while not saved.exists() and time.monotonic() < deadline:
        time.sleep(0.1)
    assert saved.exists(), "the problem file was not saved"
    assert program_table(saved) == program_table_of(TYPED, downloads / "typed.json")


def program_table_of(problem, path):
    path.write_text(json.dumps(problem))
    return program_table(path)


def test_opening_a_problem_file_fills_the_form(server, browser):
    path = SOURCE / "examples/tridem/tridem.json"
    problem = json.loads(path.read_text())
    browser.get(server + "/analyse")
    browser.find_element(By.ID, "upload").send_keys(str(path))
    WebDriverWait(browser, 5).until(
        lambda d: len(d.find_elements(By.CSS_SELECTOR, "#loads tbody tr")) == len(problem["loads"]))
    for i, layer in enumerate(problem["layers"]):
        assert float(browser.find_element(By.CSS_SELECTOR, field(f"layers[{i}].E"))
                     .get_attribute("value")) == layer["E"]
    assert len(browser.find_elements(By.CSS_SELECTOR, "#points tbody tr")) == len(problem["points"])
    run_and_wait(browser)
    assert_same_table(page_table(browser), program_table(path))


def test_a_large_table_shows_its_first_rows_and_sorts_them_all(server, browser):
    browser.get(server + "/analyse")
    type_into(browser, "#profile-step", 0.25)  # 2401 depths under 2 places
    Select(browser.find_element(By.ID, "plot-map")).select_by_value("")
    run_and_wait(browser)
    rows = page_table(browser)[1]
    assert len(rows) == 2000
    assert browser.find_element(By.ID, "rows-note").text.startswith("The first 2000 rows of 4806")
    browser.find_element(By.CSS_SELECTOR, 'th[data-column="szz_MPa"]').click()
    headings, rows = page_table(browser)
    least = browser.execute_script("return Math.min(...shown.columns.szz_MPa);")
    assert float(rows[0][headings.index("szz_MPa")]) == least


def test_a_long_analysis_shows_its_progress_and_stops_on_cancel(server, browser, screenshots):
    browser.get(server + "/analyse")
    type_into(browser, "#profile-places", "; ".join(f"{x},0" for x in range(0, 400, 50)))
    type_into(browser, "#profile-step", 0.15)  # 4001 depths under 8 places: 32008 points
    browser.find_element(By.ID, "run").click()
    WebDriverWait(browser, 20).until(
        lambda d: " of 32008 points" in d.find_element(By.ID, "progress-text").text)
    photograph(browser, os.path.join(screenshots, "web-analyse-progress.png"))
    browser.find_element(By.ID, "cancel").click()
    WebDriverWait(browser, 20).until(lambda d: d.find_element(By.ID, "run").is_enabled())
    assert browser.find_element(By.ID, "form-error").text == "The analysis was cancelled."
    assert not browser.find_element(By.ID, "results").is_displayed()


# The design check the user types in: the page's example section with a
# summer season, a tandem and the asphalt's thickness searched.
DESIGN = {
    "units": {"length": "mm", "stress": "MPa", "force": "N"},
    "layers": [{"name": "asphalt", "E": 3000, "nu": 0.35, "thickness": 150},
               {"name": "base", "E": 300, "nu": 0.35, "thickness": 250},
               {"name": "subgrade", "E": 60, "nu": 0.45}],
    "axles": [{"name": "standard", "group": "single", "tyres": "dual", "load": 80000,
               "pressure": 0.56, "dual_spacing": 310, "repetitions": 1e7},
              {"name": "tandem", "group": "tandem", "tyres": "dual", "load": 160000,
               "pressure": 0.7, "dual_spacing": 330, "axle_spacing": 1300, "repetitions": 200000}],
    "criteria": [{"name": "asphalt fatigue", "strain": "horizontal_tensile", "layer": "asphalt",
                  "model": {"name": "asphalt-institute-fatigue", "Vb": 11, "Vv": 5}},
                 {"name": "subgrade rutting", "strain": "vertical_compressive",
                  "layer": "subgrade", "model": "shell-subgrade-85"}],
    "seasons": [{"name": "summer", "share": 0.4, "E": {"asphalt": 1800}},
                {"name": "winter", "share": 0.6, "E": {}}],
    "thickness": {"layer": "asphalt", "min": 180, "max": 300, "resolution": 10},
}


def program_started(variable, path):
    """The program's JSON report, started now (beside the page's run) and
    read when the test calls for it."""
    running = subprocess.Popen([program(variable), str(path), "--format", "json"],
                               stdout=subprocess.PIPE, text=True)
    return lambda: json.loads(running.communicate(timeout=120)[0])


def fill_design(driver):
    driver.find_element(By.ID, "add-axle").click()
    row = DESIGN["axles"][1]
    Select(driver.find_element(By.CSS_SELECTOR, field("axles[1].group"))).select_by_value("tandem")
    for key in ("name", "load", "pressure", "dual_spacing", "axle_spacing", "repetitions"):
        type_into(driver, field(f"axles[1].{key}"), row[key])
    Select(driver.find_element(By.CSS_SELECTOR, field("criteria[1].model"))).select_by_value(
        "shell-subgrade-85")
    type_into(driver, field("criteria[0].model.parameters"), "Vb=11, Vv=5")
    for season in DESIGN["seasons"]:
        driver.find_element(By.ID, "add-season").click()
    type_into(driver, field("seasons[0].name"), "summer")
    type_into(driver, field("seasons[0].share"), 0.4)
    type_into(driver, field("seasons[0].E"), "asphalt=1800")
    type_into(driver, field("seasons[1].name"), "winter")
    type_into(driver, field("seasons[1].share"), 0.6)
    for key in ("min", "max", "resolution"):
        type_into(driver, field(f"thickness.{key}"), DESIGN["thickness"][key])


def test_a_typed_design_check_gives_the_report_of_kestral_design(server, browser, screenshots,
                                                                 tmp_path):
    path = tmp_path / "design.json"
    path.write_text(json.dumps(DESIGN))
    report = program_started("KESTRAL_DESIGN_EXE", path)
    browser.get(server + "/design")
    fill_design(browser)
    run_and_wait(browser, 120)
    assert browser.find_element(By.ID, "results").is_displayed()
    expected = report()
    verdict = browser.find_element(By.ID, "verdict").text
    assert verdict.startswith(expected["verdict"].upper())  # the verdict first
    assert f"{expected['thickness']['value']:g} mm" in verdict
    damages = browser.execute_script(
        "return [...document.querySelectorAll('#damage-table tr.total td:last-child')]"
        ".map(c => Number(c.title));")
    assert damages == [c["damage"] for c in expected["criteria"]]
    assert len(browser.find_elements(By.CSS_SELECTOR, "#damage-table tbody tr")) == 2 * (4 + 1)
    assert browser.find_element(By.CSS_SELECTOR, "#damage-plot svg").is_displayed()
    photograph(browser, os.path.join(screenshots, "web-design.png"))


def test_a_bad_design_value_is_shown_beside_its_field(server, browser):
    browser.get(server + "/design")
    type_into(browser, field("axles[0].pressure"), -1)
    run_and_wait(browser)
    message = browser.find_element(By.CSS_SELECTOR, '.field-error[data-for="axles[0].pressure"]')
    assert message.text.startswith("is -1, must be")
    assert not browser.find_element(By.ID, "results").is_displayed()


def test_opening_a_design_file_fills_the_form(server, browser):
    path = SOURCE / "examples/design/section.json"
    browser.get(server + "/design")
    browser.find_element(By.ID, "upload").send_keys(str(path))
    WebDriverWait(browser, 5).until(
        lambda d: len(d.find_elements(By.CSS_SELECTOR, "#seasons tbody tr")) == 2)
    saved = browser.execute_script("return problemValue();")
    problem = json.loads(path.read_text())
    assert saved["axles"] == problem["axles"]
    assert saved["seasons"] == problem["seasons"]
    assert [c["model"] for c in saved["criteria"]] == [c["model"] for c in problem["criteria"]]
    assert saved["thickness"] == problem["thickness"]


SURVEY = SOURCE / "examples/backcalculation"


def first_drops(tmp_path, count):
    """The example survey cut to its first drops, with its CSV file."""
    lines = (SURVEY / "bowls.csv").read_text().splitlines()
    csv_path = tmp_path / "bowls.csv"
    csv_path.write_text("\n".join(lines[:count + 1]) + "\n")
    survey = json.loads((SURVEY / "survey.json").read_text())
    survey_path = tmp_path / "survey.json"
    survey_path.write_text(json.dumps(survey))
    return survey_path, csv_path


def test_a_survey_from_an_fwd_csv_gives_the_moduli_of_kestral_backcalc(server, browser, screenshots,
                                                                       tmp_path):
    survey_path, csv_path = first_drops(tmp_path, 12)
    report = program_started("KESTRAL_BACKCALC_EXE", survey_path)
    browser.get(server + "/backcalculate")
    browser.find_element(By.ID, "upload").send_keys(str(survey_path))
    browser.find_element(By.ID, "drops-upload").send_keys(str(csv_path))
    WebDriverWait(browser, 5).until(
        lambda d: d.find_element(By.ID, "drops-file").text.startswith("bowls.csv: 12 drop(s)"))
    run_and_wait(browser, 120)
    expected = report()["columns"]
    table = browser.find_element(By.ID, "moduli-table")
    headings = [th.get_attribute("data-column") for th in table.find_elements(By.CSS_SELECTOR, "th")]
    rows = browser.execute_script(
        "return [...arguments[0].tBodies[0].rows].map(r => [...r.cells].map("
        "c => c.dataset.value === undefined ? c.textContent : Number(c.dataset.value)));", table)
    assert headings[:3] == ["id", "load", "E_asphalt"] and "status" in headings
    for k, name in enumerate(headings):
        assert [row[k] for row in rows] == expected[name], name
    assert browser.find_element(By.CSS_SELECTOR, "#moduli-plot svg").is_displayed()
    rows = browser.find_elements(By.CSS_SELECTOR, "#moduli-table tbody tr")
    rows[3].click()
    WebDriverWait(browser, 10).until(
        lambda d: d.find_element(By.ID, "bowl-view").get_attribute("data-row") == "3")
    bowl = browser.find_element(By.CSS_SELECTOR, "#bowl-view svg").get_attribute("innerHTML")
    assert "drop " + expected["id"][3] in bowl.replace("&#43;", "+") or expected["id"][3] in bowl
    photograph(browser, os.path.join(screenshots, "web-backcalculate.png"))


def test_a_bad_survey_value_is_shown_beside_its_field(server, browser):
    browser.get(server + "/backcalculate")
    type_into(browser, field("layers[1].E.max"), 20)
    run_and_wait(browser)
    message = browser.find_element(By.CSS_SELECTOR, '.field-error[data-for="layers[1].E.max"]')
    assert message.text == "is 20, must be above min (30)"
    assert not browser.find_element(By.ID, "results").is_displayed()


def test_a_long_survey_shows_its_progress_in_drops_and_stops_on_cancel(server, browser, tmp_path):
    lines = (SURVEY / "bowls.csv").read_text().splitlines()
    csv_path = tmp_path / "many.csv"
    csv_path.write_text("\n".join([lines[0]] + [f"d{n}," + line.split(",", 1)[1]
                                                 for n in range(20) for line in lines[1:]]) + "\n")
    browser.get(server + "/backcalculate")
    browser.find_element(By.ID, "drops-upload").send_keys(str(csv_path))
    browser.find_element(By.ID, "run").click()
    WebDriverWait(browser, 20).until(
        lambda d: " of 1000 drops" in d.find_element(By.ID, "progress-text").text)
    browser.find_element(By.ID, "cancel").click()
    WebDriverWait(browser, 20).until(lambda d: d.find_element(By.ID, "run").is_enabled())
    assert browser.find_element(By.ID, "form-error").text == "The backcalculation was cancelled."


def test_opening_a_survey_file_fills_the_form_and_saving_keeps_it(server, browser, tmp_path):
    survey = json.loads((SURVEY / "survey.json").read_text())
    del survey["drops_csv"], survey["note"]
    survey["layers"][0]["interface_below"] = {"spring": 500}
    survey["layers"][1]["E"] = 250  # fixed
    survey["drops"] = [{"id": "a", "load": 40000, "deflections": [400, 300, 250, 200, 150, 100, 70, 50]}]
    path = tmp_path / "spring.json"
    path.write_text(json.dumps(survey))
    browser.get(server + "/backcalculate")
    browser.find_element(By.ID, "upload").send_keys(str(path))
    WebDriverWait(browser, 5).until(
        lambda d: d.find_element(By.CSS_SELECTOR, field("drops[0].id")).get_attribute("value") == "a")
    assert browser.execute_script("return surveyValue();") == survey
