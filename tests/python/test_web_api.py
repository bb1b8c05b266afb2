"""The web app's API and pages through FastAPI's test client: the programs'
JSON bit for bit, every refusal with its status, message and field, the
jobs' progress, waiting and cancelling."""

import json
import subprocess
import time

import pytest

from fastapi.testclient import TestClient

from conftest import SOURCE, program
from kestral import _kestral
from kestral.web import Limits, create_app

# kestral-analyse's problems (design/ and backcalculation/ hold other programs').
EXAMPLES = sorted(p for p in (SOURCE / "examples").glob("*/*.json")
                  if p.parent.name not in ("design", "backcalculation"))
SECTION = json.loads((SOURCE / "examples/tandem-dual/tandem-dual.json").read_text())


def problem_text(**changes):
    problem = json.loads(json.dumps(SECTION))
    problem.update(changes)
    return json.dumps(problem)


def big_problem(points=40000):
    """A problem that runs for seconds: a grid of ``points`` points."""
    return problem_text(points=[], grid={"x": [float(x) for x in range(points // 100)],
                                         "y": [0.0], "z": [float(z) for z in range(100)]})


@pytest.fixture
def client():
    with TestClient(create_app()) as test_client:
        yield test_client


def wait_for(client, job_id, states=("done", "failed", "cancelled"), seconds=30.0):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        state = client.get(f"/api/jobs/{job_id}?wait=0.5").json()
        if state["state"] in states:
            return state
    raise AssertionError(f"job {job_id} did not reach {states}: {state}")


@pytest.mark.parametrize("path", EXAMPLES, ids=lambda p: p.parent.name + "/" + p.name)
def test_analyse_gives_the_programs_json_bit_for_bit(client, path):
    expected = subprocess.run([program("KESTRAL_ANALYSE_EXE"), str(path), "--format", "json"],
                              capture_output=True, check=True).stdout
    response = client.post("/api/analyse", content=path.read_bytes())
    assert response.status_code == 200
    assert response.headers["content-type"] == "application/json"
    assert response.content == expected


MISTAKES = [
    # (what, body, status, field, start of the message after the field)
    ("poisson", problem_text(layers=[{"E": 3000, "nu": 0.35, "thickness": 150},
                                     {"E": 60, "nu": 0.6}]), 422, "layers[1].nu",
     "is 0.6, must be 0 to 0.5"),
    ("unknown key", problem_text(thicknes=3), 422, "thicknes", ""),
    ("syntax", "{\"layers\": [", 422, None, "line 1, column 13: not valid JSON"),
    ("not utf-8", b"{\"note\": \"\xff\"}", 422, None, "line 1, column 11: not valid JSON"),
    ("empty", "", 422, None, "line 1, column 1: not valid JSON"),
    ("no points", problem_text(points=[]), 422, "points", "none given"),
    ("engine refusal", problem_text(layers=[{"E": 3000, "nu": 0.35, "thickness": 150},
                                            {"E": 1e-9, "nu": 0.4}]), 422, "layers[1].E",
     "is 1e-09, more than 1e8 times"),
]


@pytest.mark.parametrize("what, body, status, field, message", MISTAKES, ids=[m[0] for m in MISTAKES])
def test_a_mistake_is_refused_with_the_readers_message_and_field(client, what, body, status,
                                                                 field, message):
    response = client.post("/api/analyse", content=body)
    assert response.status_code == status
    answer = response.json()
    assert answer["field"] == field
    assert answer["message"].startswith(message)
    # The message is the program's, word for word, after the problem's name.
    if body:
        with pytest.raises(ValueError) as error:
            _kestral.analyse_json(body)
        assert answer["error"] == str(error.value)


def test_limits_refuse_too_big_a_body_and_too_much_work():
    with TestClient(create_app(Limits(max_body=2000, max_work=50))) as client:
        body = problem_text(note="x" * 3000)
        response = client.post("/api/analyse", content=body)
        assert response.status_code == 413
        assert "more than this server's limit of 2000 bytes" in response.json()["error"]
        chunked = client.post("/api/analyse", content=iter([body.encode()]))  # no Content-Length
        assert chunked.status_code == 413
        response = client.post("/api/analyse", content=problem_text())
        assert response.status_code == 422
        assert response.json()["field"] == "points"
        assert response.json()["message"] == ("8 points x 4 loads x 3 layers is 96, more work "
                                              "than the limit of 50; ask for fewer points")


@pytest.mark.parametrize("route, function", [("design", "design_json"),
                                             ("backcalculate", "backcalculate_json")])
def test_missing_programs_answer_501(client, route, function):
    if hasattr(_kestral, function):
        pytest.skip(f"this build has _kestral.{function}")
    response = client.post(f"/api/{route}", content=problem_text())
    assert response.status_code == 501
    assert f"_kestral.{function}" in response.json()["error"]
    page = client.get(f"/{route}")
    assert page.status_code == 200 and "Not in this build" in page.text


@pytest.mark.parametrize("method, path, status", [
    ("post", "/api/nothing", 404), ("get", "/api/jobs/999", 404), ("delete", "/api/jobs/999", 404),
    ("get", "/api/jobs/999/csv", 404), ("get", "/", 200), ("get", "/static/style.css", 200),
    ("get", "/static/../app.py", 404),
])
def test_routes_answer_as_they_should(client, method, path, status):
    assert getattr(client, method)(path).status_code == status


@pytest.mark.parametrize("page", ["analyse", "design", "backcalculate"])
def test_every_page_has_the_shared_navigation(client, page):
    text = client.get(f"/{page}").text
    for other in ("analyse", "design", "backcalculate"):
        assert f'id="nav-{other}"' in text
    assert "https://" not in text and "http://" not in text  # nothing fetched from elsewhere


def test_a_job_gives_the_programs_json_and_csv_and_its_pictures(client, tmp_path):
    started = client.post("/api/jobs/analyse?profile=0,0;155,0&quantities=exx,ezz&map=szz",
                          content=problem_text())
    assert started.status_code == 202
    state = wait_for(client, started.json()["id"])
    assert state["state"] == "done" and state["progress"] == 1.0
    expected, csv = _kestral.analyse_json_csv(problem_text())
    assert state["result"] == json.loads(expected)
    assert state["pictures"]["profile"].startswith("<svg")
    assert state["pictures"]["map"].startswith("<svg")
    download = client.get(f"/api/jobs/{state['id']}/csv")
    path = tmp_path / "problem.json"
    path.write_text(problem_text())
    assert download.text == csv == subprocess.run([program("KESTRAL_ANALYSE_EXE"), str(path)],
                                                  capture_output=True, check=True, text=True).stdout
    assert "attachment" in download.headers["content-disposition"]


def test_a_job_with_a_mistake_fails_with_its_field(client):
    started = client.post("/api/jobs/analyse", content=problem_text(tolerance=0.5))
    state = wait_for(client, started.json()["id"])
    assert (state["state"], state["field"]) == ("failed", "tolerance")
    assert client.get(f"/api/jobs/{state['id']}/csv").status_code == 409


def test_a_bad_place_for_the_profile_is_refused(client):
    response = client.post("/api/jobs/analyse?profile=0;1", content=problem_text())
    assert response.status_code == 422
    assert response.json()["error"] == "profile: '0' is not a place x,y"


def test_waiting_jobs_say_so_and_cancelling_stops_them():
    with TestClient(create_app(Limits(workers=1, max_waiting=1))) as client:
        first = client.post("/api/jobs/analyse", content=big_problem()).json()
        wait_for(client, first["id"], states=("running",))
        second = client.post("/api/jobs/analyse", content=problem_text()).json()
        assert second["state"] == "queued" and second["ahead"] == 0 and second["workers"] == 1
        third = client.post("/api/jobs/analyse", content=problem_text())
        assert third.status_code == 503
        assert "busy: 1 analyses are waiting" in third.json()["error"]
        began = time.monotonic()
        client.delete(f"/api/jobs/{first['id']}")
        assert wait_for(client, first["id"])["state"] == "cancelled"
        assert time.monotonic() - began < 5
        assert wait_for(client, second["id"])["state"] == "done"


def test_a_request_that_waits_for_a_worker_says_how_long():
    with TestClient(create_app(Limits(workers=1))) as client:
        first = client.post("/api/jobs/analyse", content=big_problem(8000)).json()
        wait_for(client, first["id"], states=("running",))
        response = client.post("/api/analyse", content=problem_text())
        assert response.status_code == 200
        assert float(response.headers["x-kestral-waited"]) > 0.0


def test_behind_a_proxy_the_pages_link_under_the_root_path():
    with TestClient(create_app(), root_path="/kestral") as client:
        page = client.get("/analyse").text
        assert 'href="/kestral/static/style.css"' in page
        assert 'data-root="/kestral"' in page
        home = client.get("/", follow_redirects=False)
        assert home.headers["location"] == "/kestral/analyse"


@pytest.mark.parametrize("route, function", [("design", "design_json"),
                                             ("backcalculate", "backcalculate_json")])
def test_a_program_in_the_module_is_served_by_its_route_and_page(monkeypatch, route, function):
    def program(text, *arguments):
        problem = json.loads(text)
        if "layers" not in problem:
            raise ValueError("problem: layers: missing")
        return '{"verdict": "pass"}\n'

    monkeypatch.setattr(_kestral, function, program, raising=False)
    with TestClient(create_app()) as client:
        response = client.post(f"/api/{route}", content=problem_text())
        assert (response.status_code, response.text) == (200, '{"verdict": "pass"}\n')
        response = client.post(f"/api/{route}", content="{}")
        assert response.status_code == 422
        assert (response.json()["field"], response.json()["message"]) == ("layers", "missing")
        page = client.get(f"/{route}").text
        assert 'id="run"' in page and "Not in this build" not in page


DESIGN = SOURCE / "examples/design/section.json"
SURVEY = SOURCE / "examples/backcalculation/survey.json"
BOWLS = SOURCE / "examples/backcalculation/bowls.csv"


def short_survey(drops=3, **changes):
    """The example survey's text with its first drops, and its CSV text."""
    survey = json.loads(SURVEY.read_text())
    survey.update(changes)
    lines = BOWLS.read_text().splitlines()
    return json.dumps(survey), "\n".join(lines[:drops + 1]) + "\n"


def survey_form(survey, csv=None):
    files = {"survey": ("survey.json", survey, "application/json")}
    if csv is not None:
        files["drops_csv"] = ("bowls.csv", csv, "text/csv")
    return files


def test_design_and_backcalculate_give_the_programs_json_bit_for_bit(client, tmp_path):
    expected = subprocess.run([program("KESTRAL_DESIGN_EXE"), str(DESIGN), "--format", "json"],
                              capture_output=True, check=True).stdout
    assert client.post("/api/design", content=DESIGN.read_bytes()).content == expected
    survey, csv = short_survey()
    (tmp_path / "survey.json").write_text(survey)
    (tmp_path / "bowls.csv").write_text(csv)
    expected = subprocess.run([program("KESTRAL_BACKCALC_EXE"), str(tmp_path / "survey.json"),
                               "--format", "json"], capture_output=True, check=True).stdout
    response = client.post("/api/backcalculate", files=survey_form(survey, csv))
    assert (response.status_code, response.content) == (200, expected)


SURVEY_MISTAKES = [
    # (what, form or body, field, message)
    ("csv not sent", {"content": short_survey()[0]}, "drops_csv",
     "names bowls.csv, which was not sent with the survey: this server reads no files"),
    ("a path is never read", {"files": survey_form(short_survey(drops_csv="/etc/hostname")[0])},
     "drops_csv", "names /etc/hostname, which was not sent"),
    ("no survey part", {"files": {"drops_csv": ("b.csv", "id,load", "text/csv")}}, None,
     "the form has no part \"survey\""),
    ("csv not utf-8", {"files": survey_form(short_survey()[0], b"id,\xff")}, "drops_csv",
     "is not UTF-8 text (byte 4)"),
    # The CSV file's own messages name the file (shown at the top of the page).
    ("csv line", {"files": survey_form(short_survey()[0], "0+000,1,2\n\"open")}, "bowls.csv",
     "line 2: a quoted field is not closed"),
    ("bounds", {"files": survey_form(*short_survey(layers=[
        {"nu": 0.35, "thickness": 150, "E": {"min": 500, "max": 400}}, {"nu": 0.45, "E": 80}]))},
     "layers[0].E.max", "is 400, must be above min (500)"),
]


@pytest.mark.parametrize("what, request_, field, message", SURVEY_MISTAKES,
                         ids=[m[0] for m in SURVEY_MISTAKES])
def test_a_bad_survey_is_refused_with_its_field_and_no_file_is_read(client, what, request_, field,
                                                                    message):
    for route in ("/api/backcalculate", "/api/jobs/backcalculate"):
        response = client.post(route, **request_)
        if route.startswith("/api/jobs") and response.status_code == 202:
            response = wait_for(client, response.json()["id"])
            answer = response
        else:
            assert response.status_code == 422, response.text
            answer = response.json()
        assert answer["field"] == field
        assert message in answer["message"], answer


def test_a_design_job_gives_the_report_and_the_damage_curve(client):
    started = client.post("/api/jobs/design", content=DESIGN.read_bytes())
    state = wait_for(client, started.json()["id"], seconds=120)
    assert state["state"] == "done" and (state["done"], state["total"], state["unit"]) == (9, 9, "checks")
    assert state["result"] == json.loads(_kestral.design_json(DESIGN.read_text(), "problem"))
    assert state["pictures"]["damage"].startswith("<svg")
    assert client.get(f"/api/jobs/{state['id']}/csv").status_code == 404
    assert client.get(f"/api/jobs/{state['id']}/bowl/0").status_code == 404


def test_a_survey_job_gives_the_moduli_its_picture_and_each_bowl(client):
    survey, csv = short_survey(4)
    started = client.post("/api/jobs/backcalculate", files=survey_form(survey, csv))
    state = wait_for(client, started.json()["id"], seconds=60)
    assert (state["state"], state["done"], state["total"], state["unit"]) == ("done", 4, 4, "drops")
    assert state["result"] == json.loads(_kestral.backcalculate_json(survey, None, csv, "problem"))
    assert state["pictures"]["moduli"].startswith("<svg")
    bowl = client.get(f"/api/jobs/{state['id']}/bowl/2")
    assert bowl.headers["content-type"] == "image/svg+xml" and "0+040" in bowl.text
    for row in (-1, 4):
        assert client.get(f"/api/jobs/{state['id']}/bowl/{row}").status_code == 404


def test_a_long_survey_is_cancelled_between_drops():
    survey, csv = short_survey(50)
    with TestClient(create_app(Limits(workers=1))) as client:
        body = csv.split("\n", 1)[1]
        started = client.post("/api/jobs/backcalculate", files=survey_form(survey, csv + body * 19))
        job = started.json()["id"]
        deadline = time.monotonic() + 30
        while client.get(f"/api/jobs/{job}").json()["done"] == 0 and time.monotonic() < deadline:
            time.sleep(0.05)
        client.delete(f"/api/jobs/{job}")
        state = wait_for(client, job)
        assert state["state"] == "cancelled" and state["done"] < state["total"] == 1000


def test_serve_refuses_an_address_it_cannot_listen_on():
    import socket
    import sys

    with socket.socket() as taken:
        taken.bind(("127.0.0.1", 0))
        taken.listen()
        port = taken.getsockname()[1]
        run = subprocess.run([sys.executable, "-m", "kestral", "serve", "--port", str(port)],
                             capture_output=True, text=True, timeout=60)
    assert (run.returncode, run.stdout) == (1, "")
    assert run.stderr == (f"python3 -m kestral serve: cannot listen on 127.0.0.1 port {port}: "
                          "Address already in use\n")
    run = subprocess.run([sys.executable, "-m", "kestral", "serve", "--port", "0"],
                         capture_output=True, text=True, timeout=60)
    assert (run.returncode, run.stderr) == (2, "python3 -m kestral serve: --port is 0, must be 1 to 65535\n")
