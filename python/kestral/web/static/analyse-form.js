// The analysis page's form: layers, loads (with their arrangements),
// points (a table or a depth profile) and units, read as a problem file of
// kestral-analyse, and filled from one (after rows.js and layers.js).
"use strict";

const DEFAULT_LAYERS = [
  {name: "asphalt", E: 3000, nu: 0.35, thickness: 150},
  {name: "base", E: 300, nu: 0.35, thickness: 250},
  {name: "subgrade", E: 60, nu: 0.4},
];
const UNIT_SUFFIX = /_(mm|m|in|MPa|kPa|psi)$/;

// ---- loads ---------------------------------------------------------------

function addLoad(load) {
  const tbody = $("loads").tBodies[0];
  const row = tbody.insertRow();
  row.appendChild(cell(""));
  for (const key of ["x", "y", "load", "pressure"]) {
    const element = input("num", load[key], key);
    element.addEventListener("input", () => { $("preset").value = "free"; refreshPreset(); });
    row.appendChild(cell(element));
  }
  if (load.radius !== undefined && load.load === undefined) {
    // A load given by its radius: the column holds the radius, marked.
    const element = row.querySelector('[data-key="load"]');
    element.dataset.key = "radius"; element.value = load.radius; element.title = "radius of the circle";
    element.placeholder = "radius";
  }
  row.appendChild(cell(removeButton(() => { row.remove(); renumber(tbody, "loads"); })));
  renumber(tbody, "loads");
}

// The loads of the preset: duals along x, axles along y.
function presetLoads() {
  const kind = $("preset").value;
  const load = value($("preset-load")), pressure = value($("preset-pressure"));
  const dual = value($("preset-dual")), axle = value($("preset-axle"));
  const axles = {single: 1, dual: 1, tandem: 2, tridem: 3}[kind];
  const loads = [];
  for (let a = 0; a < axles; a++) {
    const y = a === 0 ? 0 : (typeof axle === "number" ? a * axle : axle);
    loads.push({x: 0, y, load, pressure});
    if (kind !== "single") loads.push({x: dual, y, load, pressure});
  }
  return loads;
}

function refreshPreset() {
  const kind = $("preset").value;
  document.querySelectorAll(".preset-field").forEach((e) => { e.hidden = kind === "free"; });
  document.querySelectorAll(".dual-field").forEach((e) => { e.hidden = kind === "free" || kind === "single"; });
  document.querySelectorAll(".axle-field").forEach((e) => {
    e.hidden = !(kind === "tandem" || kind === "tridem");
  });
}

function applyPreset() {
  refreshPreset();
  if ($("preset").value === "free") return;
  $("loads").tBodies[0].innerHTML = "";
  presetLoads().forEach(addLoad);
}

function loadsValue() {
  return [...$("loads").tBodies[0].rows].map((row) => {
    const load = {};
    row.querySelectorAll("[data-key]").forEach((element) => {
      const v = value(element);
      if (v !== undefined) load[element.dataset.key] = v;
    });
    return load;
  });
}

// ---- points --------------------------------------------------------------

function addPoint(point) {
  const tbody = $("points").tBodies[0];
  const row = tbody.insertRow();
  row.appendChild(cell(""));
  for (const key of ["x", "y", "z"]) row.appendChild(cell(input("num", point[key], key)));
  const side = document.createElement("select");
  side.dataset.key = "side";
  for (const name of ["both", "above", "below"]) side.add(new Option(name, name));
  side.value = point.side || "both";
  row.appendChild(cell(side));
  row.appendChild(cell(removeButton(() => { row.remove(); renumber(tbody, "points"); })));
  renumber(tbody, "points");
}

function pointsMode() {
  return document.querySelector('input[name="points-mode"]:checked').value;
}

function refreshPointsMode() {
  const profile = pointsMode() === "profile";
  $("profile-fields").hidden = !profile;
  $("table-fields").hidden = profile;
  refreshProfileCount();
}

function profilePlaces() {
  return $("profile-places").value.split(";").map((part) => part.trim()).filter(Boolean)
    .map((part) => part.split(",").map((v) => Number(v.trim())));
}

function profileDepths() {
  const from = Number($("profile-from").value), to = Number($("profile-to").value);
  const step = Number($("profile-step").value);
  if (![from, to, step].every(Number.isFinite) || step <= 0 || to < from) return null;
  const count = Math.floor((to - from) / step + 1e-9) + 1;
  if (count > 5000) return null;
  return Array.from({length: count}, (_, i) => Number((from + i * step).toPrecision(12)));
}

function refreshProfileCount() {
  const depths = profileDepths();
  const places = profilePlaces();
  $("profile-count").textContent = depths
    ? `${depths.length} depths under ${places.length} place(s): ${depths.length * places.length} points`
    : "give depths from, to (not less) and a step above 0 (at most 5000 depths)";
}

function pointsValue() {
  if (pointsMode() === "table") {
    return [...$("points").tBodies[0].rows].map((row) => {
      const point = {};
      row.querySelectorAll("[data-key]").forEach((element) => {
        const v = element.tagName === "SELECT" ? element.value : value(element);
        if (v !== undefined && !(element.dataset.key === "side" && v === "both")) point[element.dataset.key] = v;
      });
      return point;
    });
  }
  const depths = profileDepths() || [];
  const points = [];
  for (const [x, y] of profilePlaces()) for (const z of depths) points.push({x, y, z});
  return points;
}

// ---- the problem file ----------------------------------------------------

function problemValue() {
  const problem = {
    units: kestral.unitsValue(),
    layers: layersValue(),
    loads: loadsValue(),
    points: pointsValue(),
  };
  const tolerance = value($("tolerance"));
  if (tolerance !== undefined) problem.tolerance = tolerance;
  return problem;
}

// Fills the form from a problem file (its grid becomes points of the table).
function fillForm(problem) {
  kestral.fillUnits(problem.units);
  $("tolerance").value = problem.tolerance === undefined ? "" : problem.tolerance;
  $("layers").tBodies[0].innerHTML = "";
  (problem.layers || []).forEach(addLayer);
  $("preset").value = "free";
  refreshPreset();
  $("loads").tBodies[0].innerHTML = "";
  (problem.loads || []).forEach(addLoad);
  $("points").tBodies[0].innerHTML = "";
  (problem.points || []).forEach(addPoint);
  const grid = problem.grid;
  if (grid && Array.isArray(grid.x) && Array.isArray(grid.y) && Array.isArray(grid.z)) {
    for (const x of grid.x) for (const y of grid.y) for (const z of grid.z) addPoint({x, y, z, side: grid.side});
  }
  document.querySelector('input[name="points-mode"][value="table"]').checked = true;
  refreshPointsMode();
  kestral.refreshUnits();
}

