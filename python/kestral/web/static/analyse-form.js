// The analysis page's form: layers, loads (with their arrangements),
// points (a table or a depth profile) and units, read as a problem file of
// kestral-analyse, and filled from one.
"use strict";

const $ = (id) => document.getElementById(id);
const DEFAULT_LAYERS = [
  {name: "asphalt", E: 3000, nu: 0.35, thickness: 150},
  {name: "base", E: 300, nu: 0.35, thickness: 250},
  {name: "subgrade", E: 60, nu: 0.4},
];
const UNIT_SUFFIX = /_(mm|m|in|MPa|kPa|psi)$/;

// ---- values of inputs ----------------------------------------------------

// A number when the text is one, else the text itself, so that the reader
// names the field and says what is wrong; undefined when empty.
const DECIMAL = /^[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?$/;

function value(input) {
  const text = input.value.trim();
  if (text === "") return undefined;
  const number = Number(text);
  return DECIMAL.test(text) && Number.isFinite(number) ? number : text;
}

function cell(html) {
  const td = document.createElement("td");
  if (html instanceof Node) td.appendChild(html); else td.innerHTML = html;
  return td;
}

function input(cls, text, field) {
  const element = document.createElement("input");
  element.className = cls;
  element.value = text === undefined ? "" : String(text);
  element.dataset.key = field;
  return element;
}

function removeButton(onClick) {
  const button = document.createElement("button");
  button.type = "button"; button.className = "remove"; button.title = "remove this row";
  button.textContent = "×";
  button.addEventListener("click", onClick);
  return button;
}

// Gives every input of a table its field name, `prefix[i].key`.
function renumber(tbody, prefix) {
  [...tbody.rows].forEach((row, i) => {
    row.cells[0].textContent = i + 1;
    row.cells[0].className = "index";
    row.querySelectorAll("[data-key]").forEach((element) => {
      element.dataset.field = `${prefix}[${i}].${element.dataset.key}`;
    });
  });
}

// ---- layers --------------------------------------------------------------

function addLayer(layer) {
  const tbody = $("layers").tBodies[0];
  const row = tbody.insertRow();
  row.appendChild(cell(""));
  row.appendChild(cell(input("name", layer.name, "name")));
  row.appendChild(cell(input("num", layer.E, "E")));
  row.appendChild(cell(input("num", layer.nu, "nu")));
  row.appendChild(cell(input("num", layer.thickness, "thickness")));
  const kind = document.createElement("select");
  kind.dataset.key = "interface_below";
  for (const name of ["bonded", "frictionless", "spring"]) kind.add(new Option(name, name));
  const stiffness = input("num", "", "interface_below.spring");
  stiffness.placeholder = "k";
  stiffness.title = "spring stiffness: stress per length";
  const interfaceCell = cell(kind);
  interfaceCell.appendChild(stiffness);
  row.appendChild(interfaceCell);
  const face = layer.interface_below;
  if (face && typeof face === "object" && "spring" in face) {
    kind.value = "spring"; stiffness.value = face.spring;
  } else if (face) {
    kind.value = face;
  }
  kind.addEventListener("change", refreshLayers);
  row.appendChild(cell(removeButton(() => { row.remove(); refreshLayers(); })));
  refreshLayers();
}

// The last layer is the half-space: no thickness, no interface below.
function refreshLayers() {
  const tbody = $("layers").tBodies[0];
  renumber(tbody, "layers");
  [...tbody.rows].forEach((row, i) => {
    const last = i === tbody.rows.length - 1;
    const thickness = row.cells[4].querySelector("input");
    const kind = row.cells[5].querySelector("select");
    const stiffness = row.cells[5].querySelector("input");
    thickness.hidden = last; kind.hidden = last;
    stiffness.hidden = last || kind.value !== "spring";
    let note = row.cells[4].querySelector(".half-space");
    if (last && !note) {
      note = document.createElement("span"); note.className = "half-space"; note.textContent = "half-space";
      row.cells[4].appendChild(note);
    } else if (!last && note) {
      note.remove();
    }
  });
}

function layersValue() {
  const rows = [...$("layers").tBodies[0].rows];
  return rows.map((row, i) => {
    const get = (key) => value(row.querySelector(`[data-key="${key}"]`));
    const layer = {};
    const name = row.querySelector('[data-key="name"]').value.trim();
    if (name) layer.name = name;
    for (const key of ["E", "nu"]) if (get(key) !== undefined) layer[key] = get(key);
    if (i < rows.length - 1) {
      if (get("thickness") !== undefined) layer.thickness = get("thickness");
      const kind = row.querySelector('[data-key="interface_below"]').value;
      if (kind === "spring") {
        const k = get("interface_below.spring");
        layer.interface_below = {spring: k === undefined ? "" : k};
      } else if (kind !== "bonded") {
        layer.interface_below = kind;
      }
    }
    return layer;
  });
}

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
    units: {length: $("unit-length").value, stress: $("unit-stress").value, force: $("unit-force").value},
    layers: layersValue(),
    loads: loadsValue(),
    points: pointsValue(),
  };
  const tolerance = value($("tolerance"));
  if (tolerance !== undefined) problem.tolerance = tolerance;
  return problem;
}

function refreshUnits() {
  document.querySelectorAll(".unit[data-unit]").forEach((span) => {
    span.textContent = $(`unit-${span.dataset.unit}`).value;
  });
}

// Fills the form from a problem file (its grid becomes points of the table).
function fillForm(problem) {
  const units = problem.units || {};
  $("unit-length").value = units.length || "mm";
  $("unit-stress").value = units.stress || "MPa";
  $("unit-force").value = units.force || "N";
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
  refreshUnits();
}

