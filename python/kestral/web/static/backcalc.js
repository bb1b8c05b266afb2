// The backcalculation's form (after rows.js): layers with a searched (seed,
// bounds) or fixed modulus, the plate and sensors, and the drops typed in
// or an FWD CSV file, read as a survey file of kestral-backcalc.
"use strict";

const SURVEY_EXAMPLE = {
  layers: [
    {name: "asphalt", nu: 0.35, thickness: 150, E: {seed: 3000, min: 500, max: 20000}},
    {name: "base", nu: 0.35, thickness: 300, E: {seed: 300, min: 30, max: 3000}},
    {name: "subgrade", nu: 0.45, E: {seed: 80, min: 10, max: 1000}}],
  plate: {radius: 150},
  sensors: [0, 200, 300, 450, 600, 900, 1200, 1500],
  drops: [{id: "0+000", load: 40000, deflections: [412.1, 318.0, 262.4, 205.7, 160.2, 101.3, 70.8, 53.9]}],
};
let dropsCsv = null;  // {name, text} of the FWD CSV file chosen

// ---- layers ----------------------------------------------------------------

function addSurveyLayer(layer) {
  const tbody = $("layers").tBodies[0];
  const row = tbody.insertRow();
  const searched = layer.E === undefined || typeof layer.E === "object";
  const E = searched ? (layer.E || {}) : {seed: layer.E};
  const mode = document.createElement("select");
  mode.dataset.key = "E.mode";
  mode.add(new Option("searched", "searched")); mode.add(new Option("fixed", "fixed"));
  mode.value = searched ? "searched" : "fixed";
  row.append(cell(""), cell(input("name", layer.name, "name")), cell(input("num", layer.nu, "nu")),
    cell(input("num", layer.thickness, "thickness")), cell(mode), cell(input("num", E.seed, "E.seed")),
    cell(input("num", E.min, "E.min")), cell(input("num", E.max, "E.max")), interfaceCell(layer.interface_below, refreshSurveyLayers),
    cell(removeButton(() => { row.remove(); refreshSurveyLayers(); })));
  mode.addEventListener("change", refreshSurveyLayers);
  refreshSurveyLayers();
}

// A fixed modulus has no bounds; the half-space no thickness nor interface.
function refreshSurveyLayers() {
  const tbody = $("layers").tBodies[0];
  renumber(tbody, "layers");
  [...tbody.rows].forEach((row, i) => {
    const last = i === tbody.rows.length - 1;
    const fixed = row.querySelector('[data-key="E.mode"]').value === "fixed";
    row.querySelector('[data-key="thickness"]').hidden = last;
    const kind = row.querySelector('[data-key="interface_below"]');
    kind.hidden = last;
    row.querySelector('[data-key="interface_below.spring"]').hidden = last || kind.value !== "spring";
    row.querySelector('[data-key="E.min"]').hidden = fixed;
    row.querySelector('[data-key="E.max"]').hidden = fixed;
    // A fixed modulus is the field "E" itself, for the reader's messages.
    row.querySelector('[data-key="E.seed"]').dataset.field = fixed ? `layers[${i}].E` : `layers[${i}].E.seed`;
  });
}

function surveyLayersValue() {
  const rows = [...$("layers").tBodies[0].rows];
  return rows.map((row, i) => {
    const get = (key) => value(row.querySelector(`[data-key="${key}"]`));
    const layer = {};
    const name = row.querySelector('[data-key="name"]').value.trim();
    if (name) layer.name = name;
    if (get("nu") !== undefined) layer.nu = get("nu");
    if (i < rows.length - 1 && get("thickness") !== undefined) layer.thickness = get("thickness");
    if (row.querySelector('[data-key="E.mode"]').value === "fixed") {
      layer.E = get("E.seed");
    } else {
      layer.E = {};
      for (const key of ["seed", "min", "max"]) if (get(`E.${key}`) !== undefined) layer.E[key] = get(`E.${key}`);
    }
    const face = interfaceValue(row);
    if (i < rows.length - 1 && face !== undefined) layer.interface_below = face;
    return layer;
  });
}

// ---- drops -----------------------------------------------------------------

function numbers(text) {  // "1, 2.5, x" as [1, 2.5, "x"]: the reader names what is wrong
  return text.split(/[,\s]+/).filter(Boolean).map((part) => value({value: part}));
}

function addDrop(drop) {
  const tbody = $("drops").tBodies[0];
  const row = tbody.insertRow();
  const bowl = input("bowl", (drop.deflections || []).join(", "), "deflections");
  row.append(cell(""), cell(input("name", drop.id, "id")), cell(input("num", drop.load, "load")), cell(bowl),
    cell(removeButton(() => { row.remove(); renumber(tbody, "drops"); })));
  renumber(tbody, "drops");
}

function dropsValue() {
  return [...$("drops").tBodies[0].rows].map((row) => {
    const drop = {id: row.querySelector('[data-key="id"]').value.trim()};
    const load = value(row.querySelector('[data-key="load"]'));
    if (load !== undefined) drop.load = load;
    drop.deflections = numbers(row.querySelector('[data-key="deflections"]').value);
    return drop;
  });
}

function showCsv() {
  $("forget-csv").hidden = !dropsCsv;
  if (!dropsCsv) {
    $("drops-file").textContent = "No CSV drop file: the drops below.";
    return;
  }
  const lines = dropsCsv.text.split(/\r?\n/).filter((l) => l.trim() && !/^"?id"?\s*,/.test(l)).length;
  $("drops-file").textContent = `${dropsCsv.name}: ${lines} drop(s); drops added below come first.`;
}

// ---- the survey file ---------------------------------------------------------

function surveyValue() {
  const survey = {
    units: kestral.unitsValue(),
    layers: surveyLayersValue(),
    plate: {radius: value($("plate-radius"))},
    sensors: numbers($("sensors").value),
  };
  const drops = dropsValue();
  if (drops.length || !dropsCsv) survey.drops = drops;
  if (dropsCsv) survey.drops_csv = dropsCsv.name;
  for (const key of ["noise", "tolerance"]) if (value($(key)) !== undefined) survey[key] = value($(key));
  return survey;
}

function fillSurvey(survey) {
  kestral.fillUnits(survey.units);
  $("layers").tBodies[0].innerHTML = "";
  (survey.layers || []).forEach(addSurveyLayer);
  $("plate-radius").value = (survey.plate || {}).radius ?? "";
  $("sensors").value = (survey.sensors || []).join(", ");
  $("noise").value = survey.noise ?? "";
  $("tolerance").value = survey.tolerance ?? "";
  $("drops").tBodies[0].innerHTML = "";
  (survey.drops || []).forEach(addDrop);
  dropsCsv = null;
  showCsv();
  if (survey.drops_csv) {
    kestral.showError("drops_csv", `the survey reads ${survey.drops_csv}: open that CSV file too (Open FWD CSV…)`);
  }
  kestral.refreshUnits();
}

function startSurveyForm() {
  fillSurvey(SURVEY_EXAMPLE);
  $("add-layer").addEventListener("click", () => addSurveyLayer({nu: 0.35, E: {min: 10, max: 10000}}));
  $("add-drop").addEventListener("click", () => addDrop({}));
  kestral.watchUnits();
  $("forget-csv").addEventListener("click", () => { dropsCsv = null; showCsv(); });
  kestral.readUpload($("drops-upload"), (text, name) => {
    dropsCsv = {name, text};
    $("drops").tBodies[0].innerHTML = "";  // the file's drops replace those typed in
    showCsv();
  });
  $("download-problem").addEventListener("click", () => {
    kestral.download("survey.json", JSON.stringify(surveyValue(), null, 2) + "\n", "application/json");
  });
  kestral.readUpload($("upload"), (text) => fillSurvey(JSON.parse(text)));
}
