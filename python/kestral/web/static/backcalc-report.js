// The backcalculation's run and results (after backcalc.js): the survey
// (and its CSV file) as a job with progress and cancel, the moduli along the
// stations as a picture and a table, and a drop's bowl on a click.
"use strict";

let surveyJob = null;

const TABLE_COLUMNS = /^(id|load|E_.*|rms_percent|iterations|status)$/;

function heading(name, units) {
  if (name === "load") return [name, units.force];
  if (name.endsWith("_range_percent")) return [`${name.slice(0, -"_range_percent".length)} range`, "±%"];
  if (name.startsWith("E_")) return [name, units.stress];
  if (name === "rms_percent") return ["rms misfit", "%"];
  return [name, ""];
}

function showModuliTable(report) {
  const {columns, problem} = report;
  const names = Object.keys(columns).filter((n) => TABLE_COLUMNS.test(n));
  const table = $("moduli-table");
  const head = document.createElement("tr");
  for (const name of names) {
    const [label, unit] = heading(name, problem.units);
    const th = document.createElement("th");
    th.dataset.column = name;
    const span = document.createElement("span");
    span.className = "unit"; span.textContent = unit;
    th.append(label, span);
    if (name === "id" || name === "status") th.classList.add("text");
    head.appendChild(th);
  }
  table.tHead.replaceChildren(head);
  const body = document.createElement("tbody");
  columns.id.forEach((_, r) => {
    const row = body.insertRow();
    row.className = "clickable";
    row.dataset.row = r;
    if (!String(columns.status[r]).startsWith("converged")) row.classList.add("flagged");
    for (const name of names) {
      const v = columns[name][r];
      const td = document.createElement("td");
      if (typeof v === "string") { td.className = "text"; td.textContent = v; } else if (v === null) {
        td.textContent = "–";
      } else {
        td.dataset.value = String(v); td.title = String(v);
        td.textContent = Number.isInteger(v) ? String(v) : Number(v.toPrecision(4)).toString();
      }
      row.appendChild(td);
    }
    row.addEventListener("click", () => showBowl(r));
  });
  table.replaceChild(body, table.tBodies[0]);
}

async function showBowl(r) {
  document.querySelectorAll("#moduli-table tbody tr").forEach((row) => {
    row.classList.toggle("selected", Number(row.dataset.row) === r);
  });
  const view = $("bowl-view");
  view.dataset.row = "";
  const response = await kestral.api(`/api/jobs/${surveyJob}/bowl/${r}`);
  if (response.ok) kestral.showPicture(view, await response.text());
  else kestral.showPicture(view, null, (await response.json()).error);
  view.dataset.row = r;
}

async function runSurvey() {
  kestral.clearErrors();
  $("results").hidden = true;
  const survey = JSON.stringify(surveyValue());
  let body = survey, headers = {"Content-Type": "application/json"};
  if (dropsCsv) {  // the survey and its CSV file together: the server reads no file
    body = new FormData();
    body.append("survey", new Blob([survey], {type: "application/json"}), "survey.json");
    body.append("drops_csv", new Blob([dropsCsv.text], {type: "text/csv"}), dropsCsv.name);
    headers = {};
  }
  const state = await kestral.runJob("/api/jobs/backcalculate", body, headers);
  if (state.state !== "done") { kestral.showFailure(state, "backcalculation"); return; }
  surveyJob = state.id;
  const report = state.result;
  const statuses = report.columns.status;
  const failed = statuses.filter((s) => s.startsWith("failed")).length;
  const bound = statuses.filter((s) => s.startsWith("at_bound")).length;
  $("results-summary").textContent = `${statuses.length} drops · ${failed} failed · ${bound} at a bound · ` +
    `${state.elapsed.toFixed(1)} s`;
  kestral.showPicture($("moduli-plot"), (state.pictures || {}).moduli, (state.pictures || {}).moduli_error);
  showModuliTable(report);
  kestral.showPicture($("bowl-view"), null, "Click a drop to see its measured and fitted bowl.");
  $("results").hidden = false;
  $("results").scrollIntoView({block: "start"});
}

startSurveyForm();
$("run").addEventListener("click", runSurvey);
