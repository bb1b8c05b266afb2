// The design check's form (after rows.js and layers.js): layers, axle
// groups, criteria from the published models, seasons and the thickness
// search, read as a problem file of kestral-design and filled from one.
"use strict";

const MODELS = {  // published models and the strain each is made for
  "asphalt-institute-fatigue": "horizontal_tensile", "asphalt-institute-rutting": "vertical_compressive",
  "shell-subgrade-50": "vertical_compressive", "shell-subgrade-85": "vertical_compressive",
  "shell-subgrade-95": "vertical_compressive", "austroads-asphalt-fatigue": "horizontal_tensile",
  "perpetual-limits": "", "power": "",
};
const DESIGN_EXAMPLE = {
  layers: [{name: "asphalt", E: 3000, nu: 0.35, thickness: 150}, {name: "base", E: 300, nu: 0.35, thickness: 250},
    {name: "subgrade", E: 60, nu: 0.45}],
  axles: [{name: "standard", group: "single", tyres: "dual", load: 80000, pressure: 0.56, dual_spacing: 310,
    repetitions: 1e7}],
  criteria: [{name: "asphalt fatigue", strain: "horizontal_tensile", layer: "asphalt", model: "asphalt-institute-fatigue"},
    {name: "subgrade rutting", strain: "vertical_compressive", layer: "subgrade", model: "asphalt-institute-rutting"}],
};

function select(key, names, chosen) {
  const element = document.createElement("select");
  element.dataset.key = key;
  for (const [value, label] of names) element.add(new Option(label, value));
  if (chosen !== undefined) element.value = chosen;
  return element;
}

function rowValues(row) {  // the row's inputs by key; empty ones left out
  const values = {};
  row.querySelectorAll("[data-key]").forEach((element) => {
    const v = element.tagName === "SELECT" ? (element.value || undefined) : value(element);
    if (v !== undefined && !element.hidden) values[element.dataset.key] = v;
  });
  return values;
}

// "a=1, b=x" as {a: 1, b: "x"}; a part without "=" kept whole, for the
// reader to name.
function pairs(text) {
  const result = {};
  for (const part of text.split(",").map((p) => p.trim()).filter(Boolean)) {
    const [key, ...rest] = part.split("=");
    const holder = {value: rest.join("=").trim()};
    result[key.trim()] = rest.length ? value(holder) : "";
  }
  return result;
}

function pairsText(object) {
  return Object.entries(object || {}).map(([k, v]) => `${k}=${v}`).join(", ");
}

function addRow(table, prefix, elements) {
  const tbody = $(table).tBodies[0];
  const row = tbody.insertRow();
  row.appendChild(cell(""));
  for (const element of elements) row.appendChild(cell(element));
  row.appendChild(cell(removeButton(() => { row.remove(); renumber(tbody, prefix); })));
  renumber(tbody, prefix);
  return row;
}

// ---- axle groups ----------------------------------------------------------

function addAxle(axle) {
  const row = addRow("axles", "axles", [
    input("name", axle.name, "name"),
    select("group", [["single", "single"], ["tandem", "tandem"], ["tridem", "tridem"]], axle.group || "single"),
    select("tyres", [["dual", "dual"], ["single", "single"]], axle.tyres || "dual"),
    input("num", axle.load, "load"), input("num", axle.pressure, "pressure"),
    input("num", axle.dual_spacing, "dual_spacing"), input("num", axle.axle_spacing, "axle_spacing"),
    input("num", axle.repetitions, "repetitions")]);
  const refresh = () => {  // spacings only where the group has them
    row.querySelector('[data-key="dual_spacing"]').hidden = row.querySelector('[data-key="tyres"]').value !== "dual";
    row.querySelector('[data-key="axle_spacing"]').hidden = row.querySelector('[data-key="group"]').value === "single";
  };
  row.querySelectorAll("select").forEach((s) => s.addEventListener("change", refresh));
  refresh();
  if (axle.track !== undefined) row.dataset.track = axle.track;
}

function axlesValue() {
  return [...$("axles").tBodies[0].rows].map((row) => {
    const axle = rowValues(row);
    if (row.dataset.track !== undefined) axle.track = Number(row.dataset.track);
    return axle;
  });
}

// ---- criteria -------------------------------------------------------------

function layerNames() {
  return [...$("layers").tBodies[0].rows].map((row, i) => row.querySelector('[data-key="name"]').value.trim() || String(i));
}

function addCriterion(criterion) {
  const model = criterion.model;
  const name = typeof model === "string" ? model : (model && (model.name || model.form)) || "power";
  const params = typeof model === "object" && model ? {...model} : {};
  delete params.name; delete params.form;
  const layer = input("name", criterion.layer === undefined ? "" : criterion.layer, "layer");
  layer.setAttribute("list", "layer-names");
  const row = addRow("criteria", "criteria", [
    input("name", criterion.name, "name"),
    select("model", Object.keys(MODELS).map((m) => [m, m]), name),
    select("strain", [["horizontal_tensile", "horizontal tensile"], ["vertical_compressive", "vertical compressive"]],
      criterion.strain || MODELS[name] || "horizontal_tensile"),
    layer,
    select("at", [["", "default"], ["bottom", "bottom"], ["top", "top"]], criterion.at || ""),
    input("wide", pairsText(params), "model.parameters")]);
  row.querySelector('[data-key="model"]').addEventListener("change", (event) => {
    const strain = MODELS[event.target.value];
    if (strain) row.querySelector('[data-key="strain"]').value = strain;
  });
}

function criteriaValue() {
  return [...$("criteria").tBodies[0].rows].map((row) => {
    const {name, model, strain, layer, at} = rowValues(row);
    const params = pairs(row.querySelector('[data-key="model.parameters"]').value);
    const criterion = {};
    if (name !== undefined) criterion.name = String(name);
    criterion.strain = strain;
    if (layer !== undefined) criterion.layer = layer;
    if (at) criterion.at = at;
    if (model === "power") criterion.model = {form: "power", ...params};
    else criterion.model = Object.keys(params).length ? {name: model, ...params} : model;
    return criterion;
  });
}

// ---- seasons and the thickness search --------------------------------------

function addSeason(season) {
  addRow("seasons", "seasons", [input("name", season.name, "name"), input("num", season.share, "share"),
    input("wide", pairsText(season.E), "E")]);
}

function seasonsValue() {
  return [...$("seasons").tBodies[0].rows].map((row) => {
    const season = rowValues(row);
    season.E = pairs(row.querySelector('[data-key="E"]').value);
    return season;
  });
}

function refreshLayerChoices() {
  const names = layerNames();
  const chosen = $("search-layer").value;
  $("search-layer").replaceChildren(...names.slice(0, -1).map((n) => new Option(n, n)));
  if (names.includes(chosen)) $("search-layer").value = chosen;
  $("layer-names").replaceChildren(...names.map((n) => new Option(n, n)));
}

// ---- the problem file -------------------------------------------------------

function problemValue() {
  const problem = {
    units: kestral.unitsValue(),
    layers: layersValue(), axles: axlesValue(), criteria: criteriaValue(),
  };
  const seasons = seasonsValue();
  if (seasons.length) problem.seasons = seasons;
  if ($("search").checked) {
    const layer = $("search-layer").value;
    problem.thickness = {layer: /^\d+$/.test(layer) ? Number(layer) : layer};
    for (const key of ["min", "max", "resolution"]) {
      const v = value($(`search-${key}`));
      if (v !== undefined) problem.thickness[key] = v;
    }
  }
  return problem;
}

function fillForm(problem) {
  kestral.fillUnits(problem.units);
  for (const [table, add, key] of [["layers", addLayer, "layers"], ["axles", addAxle, "axles"],
    ["criteria", addCriterion, "criteria"], ["seasons", addSeason, "seasons"]]) {
    $(table).tBodies[0].innerHTML = "";
    (problem[key] || []).forEach(add);
  }
  refreshLayerChoices();
  const names = layerNames();
  for (const row of $("criteria").tBodies[0].rows) {  // a layer given by index, shown by name
    const layer = row.querySelector('[data-key="layer"]');
    if (/^\d+$/.test(layer.value) && names[Number(layer.value)]) layer.value = names[Number(layer.value)];
  }
  const search = problem.thickness;
  $("search").checked = Boolean(search);
  if (search) {
    $("search-layer").value = typeof search.layer === "number" ? names[search.layer] : search.layer;
    for (const key of ["min", "max", "resolution"]) $(`search-${key}`).value = search[key] ?? "";
  }
  kestral.refreshUnits();
}

function startDesignForm() {
  const names = document.createElement("datalist");
  names.id = "layer-names";
  document.body.appendChild(names);
  fillForm(DESIGN_EXAMPLE);
  $("search").checked = true;
  $("search-layer").value = "asphalt";
  $("add-layer").addEventListener("click", () => { addLayer({nu: 0.35}); refreshLayerChoices(); });
  $("layers").addEventListener("input", refreshLayerChoices);
  $("layers").addEventListener("click", () => setTimeout(refreshLayerChoices));
  $("add-axle").addEventListener("click", () => addAxle({group: "single", tyres: "dual"}));
  $("add-criterion").addEventListener("click", () => addCriterion({model: "power"}));
  $("add-season").addEventListener("click", () => addSeason({}));
  kestral.watchUnits();
  $("download-problem").addEventListener("click", () => {
    kestral.download("design.json", JSON.stringify(problemValue(), null, 2) + "\n", "application/json");
  });
  kestral.readUpload($("upload"), (text) => fillForm(JSON.parse(text)));
}
