// The analysis page's run and results (after analyse-form.js): the run as a
// job of the server (progress, cancel), the results as a sortable table with
// groups of columns, and the pictures.
"use strict";

// ---- running -------------------------------------------------------------

async function run() {
  kestral.clearErrors();
  $("results").hidden = true;
  const problem = problemValue();
  const mode = pointsMode();
  const places = mode === "profile" ? profilePlaces() : loadsValue().slice(0, 1).map((l) => [l.x || 0, l.y || 0]);
  const query = new URLSearchParams({
    profile: places.map((p) => p.join(",")).join(";"),
    quantities: $("plot-quantities").value,
    map: $("plot-map").value,
  });
  const state = await kestral.runJob(`/api/jobs/analyse?${query}`, JSON.stringify(problem),
    {"Content-Type": "application/json"});
  if (state.state === "done") showResults(state); else kestral.showFailure(state, "analysis");
}

// ---- results -------------------------------------------------------------

// The group of a column, for the buttons that show or hide groups.
function group(name) {
  if (/_error$/.test(name)) return "errors";
  if (/^(s[123]|e[123]|e_h_max)$/.test(name)) return "principal";
  if (/^s(xx|yy|zz|xy|yz|xz)$/.test(name)) return "stresses";
  if (/^u[xyz]$/.test(name)) return "displacements";
  if (/^e(xx|yy|zz|xy|yz|xz)$/.test(name)) return "strains";
  return "where";
}

function refreshGroups() {
  const table = $("results-table");
  document.querySelectorAll("#column-groups input").forEach((box) => {
    table.classList.toggle(`hide-${box.value}`, !box.checked);
  });
}

function heading(key) {
  const match = key.match(UNIT_SUFFIX);
  return match ? [key.slice(0, -match[0].length), match[1]] : [key, ""];
}

// Rows shown at once: a table of many thousand rows would stall the
// browser; the CSV holds them all.
const SHOWN_ROWS = 2000;
let shown = null;  // the results' columns and the order of their rows

function showResults(state) {
  const columns = state.result.columns;
  const keys = Object.keys(columns);
  const rows = columns[keys[0]].length;
  const table = $("results-table");
  const headRow = document.createElement("tr");
  keys.forEach((key, i) => {
    const [name, unit] = heading(key);
    const th = document.createElement("th");
    th.dataset.column = key;
    th.classList.add(`g-${group(name)}`);
    const unitSpan = document.createElement("span");
    unitSpan.className = "unit";
    unitSpan.textContent = unit || (typeof columns[key][0] === "string" || name === "point" || name === "layer" ? "" : "–");
    th.append(name, unitSpan);
    if (typeof columns[key][0] === "string") th.classList.add("text");
    th.addEventListener("click", () => sortBy(i));
    headRow.appendChild(th);
  });
  table.tHead.innerHTML = "";
  table.tHead.appendChild(headRow);
  shown = {columns, keys, order: Array.from({length: rows}, (_, r) => r)};
  renderRows();
  $("results-summary").textContent = `${rows} rows · ${state.elapsed.toFixed(2)} s`;
  $("rows-note").textContent = rows > SHOWN_ROWS
    ? `The first ${SHOWN_ROWS} rows of ${rows} in the order chosen are shown; the CSV holds them all.` : "";
  $("download-csv").href = `${kestral.root}/api/jobs/${state.id}/csv`;
  const pictures = state.pictures || {};
  kestral.showPicture($("profile-view"), pictures.profile, pictures.profile_error || "No profile asked for.");
  kestral.showPicture($("map-view"), pictures.map, pictures.map_error || "No map asked for.");
  $("results").hidden = false;
  $("results").scrollIntoView({block: "start"});
}

function renderRows() {
  const {columns, keys, order} = shown;
  const groups = keys.map((key) => `g-${group(heading(key)[0])}`);
  const body = document.createElement("tbody");
  for (const r of order.slice(0, SHOWN_ROWS)) {
    const tr = document.createElement("tr");
    for (const [k, key] of keys.entries()) {
      const v = columns[key][r];
      const td = document.createElement("td");
      td.classList.add(groups[k]);
      if (typeof v === "string") { td.classList.add("text"); td.textContent = v; } else {
        td.dataset.value = String(v);
        td.title = String(v);
        td.textContent = Number.isInteger(v) && Math.abs(v) < 1e6 ? String(v) : Number(v.toPrecision(5)).toString();
      }
      tr.appendChild(td);
    }
    body.appendChild(tr);
  }
  const table = $("results-table");
  table.replaceChild(body, table.tBodies[0]);
}

// Sorts every row (not only those shown) by a column: up, then down.
function sortBy(index) {
  const table = $("results-table");
  const th = table.tHead.rows[0].cells[index];
  const up = !th.classList.contains("sorted-up");
  [...table.tHead.rows[0].cells].forEach((c) => c.classList.remove("sorted-up", "sorted-down"));
  th.classList.add(up ? "sorted-up" : "sorted-down");
  const values = shown.columns[shown.keys[index]];
  shown.order.sort((a, b) => {
    const order = values[a] < values[b] ? -1 : values[a] > values[b] ? 1 : a - b;
    return up ? order : -order;
  });
  renderRows();
}

function showTab(name) {
  document.querySelectorAll(".tab").forEach((t) => t.classList.toggle("current", t.dataset.tab === name));
  document.querySelectorAll(".tab-view").forEach((v) => { v.hidden = v.id !== name; });
}

// ---- start -----------------------------------------------------------------

function start() {
  DEFAULT_LAYERS.forEach(addLayer);
  applyPreset();
  addPoint({x: 0, y: 0, z: 150});
  addPoint({x: 155, y: 0, z: 400});
  refreshPointsMode();
  $("add-layer").addEventListener("click", () => addLayer({nu: 0.35}));
  $("add-load").addEventListener("click", () => {
    $("preset").value = "free"; refreshPreset(); addLoad({x: 0, y: 0});
  });
  $("add-point").addEventListener("click", () => addPoint({x: 0, y: 0, z: 0}));
  $("preset").addEventListener("change", applyPreset);
  for (const id of ["preset-load", "preset-pressure", "preset-dual", "preset-axle"]) {
    $(id).addEventListener("input", applyPreset);
  }
  document.querySelectorAll('input[name="points-mode"]').forEach((r) => r.addEventListener("change", refreshPointsMode));
  for (const id of ["profile-places", "profile-from", "profile-to", "profile-step"]) {
    $(id).addEventListener("input", refreshProfileCount);
  }
  kestral.watchUnits();
  $("run").addEventListener("click", run);
  document.querySelectorAll("#column-groups input").forEach((box) => box.addEventListener("change", refreshGroups));
  document.querySelectorAll(".tab").forEach((t) => t.addEventListener("click", () => showTab(t.dataset.tab)));
  $("download-problem").addEventListener("click", () => {
    kestral.download("problem.json", JSON.stringify(problemValue(), null, 2) + "\n", "application/json");
  });
  kestral.readUpload($("upload"), (text) => fillForm(JSON.parse(text)));
}

start();
