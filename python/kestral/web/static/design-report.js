// The design check's run and report (after design.js): the verdict first,
// then the damage table, then the damage against the searched thickness.
"use strict";

// Numbers to 4 significant digits (the full value in the tooltip).
function shown(v, scale) {
  if (v === null || v === undefined) return "∞";
  const number = v * (scale || 1);
  return Math.abs(number) >= 1e6 || (number !== 0 && Math.abs(number) < 1e-3)
    ? number.toExponential(3) : String(Number(number.toPrecision(4)));
}

function td(text, cls, full) {
  const element = document.createElement("td");
  element.textContent = text;
  if (cls) element.className = cls;
  if (full !== undefined && full !== null) element.title = String(full);
  return element;
}

function showVerdict(report) {
  const box = $("verdict");
  const pass = report.verdict === "pass";
  box.className = `verdict ${pass ? "pass" : "fail"}`;
  const governing = report.criteria.find((c) => c.name === report.governing);
  const life = governing && governing.life !== null ? `${shown(governing.life)} times the traffic` : "unlimited";
  const lines = [`${pass ? "PASS" : "FAIL"}: the section ${pass ? "carries" : "does not carry"} the traffic`,
    `governed by ${report.governing}: damage ${shown(governing && governing.damage)}, life ${life}`];
  const search = report.thickness;
  if (search) {
    const layer = typeof search.layer === "number" ? report.problem.layers[search.layer] : null;
    const name = layer ? (layer.name || `layers[${search.layer}]`) : search.layer;
    const unit = report.problem.units.length;
    lines.push({
      found: `least thickness of ${name} that passes: ${shown(search.value)} ${unit}`,
      max_fails: `even ${shown(search.value)} ${unit} of ${name} (the range's maximum) fails`,
      min_passes: `${shown(search.value)} ${unit} of ${name} (the range's minimum) already passes`,
    }[search.status]);
  }
  box.replaceChildren(...lines.map((line, i) => {
    const element = document.createElement(i === 0 ? "strong" : "div");
    element.textContent = line;
    return element;
  }));
}

function showDamageTable(report) {
  const table = $("damage-table");
  const unit = report.problem.units.length;
  const head = document.createElement("tr");
  for (const [name, u] of [["criterion", ""], ["season", ""], ["axle group", ""], ["strain", "µε"],
    ["x", unit], ["y", unit], ["allowed", "repetitions"], ["damage", ""]]) {
    const th = document.createElement("th");
    th.append(name);
    const span = document.createElement("span");
    span.className = "unit"; span.textContent = u;
    th.appendChild(span);
    if (["criterion", "season", "axle group"].includes(name)) th.classList.add("text");
    head.appendChild(th);
  }
  table.tHead.replaceChildren(head);
  const body = document.createElement("tbody");
  for (const criterion of report.criteria) {
    for (const c of criterion.cases) {
      const row = body.insertRow();
      row.append(td(criterion.name, "text"), td(c.season, "text"), td(c.axle, "text"),
        td(shown(c.strain, 1e6), "", c.strain), td(shown(c.x), "", c.x), td(shown(c.y), "", c.y),
        td(shown(c.allowed), "", c.allowed), td(c.damage === null ? "exceeded" : shown(c.damage), "", c.damage));
    }
    const total = body.insertRow();
    total.className = `total ${criterion.damage !== null && criterion.damage <= 1 ? "pass" : "fail"}`;
    const life = criterion.life === null ? "unlimited" : shown(criterion.life);
    total.append(td(`${criterion.name}: all`, "text"), td("all", "text"), td("all", "text"), td(""), td(""), td(""),
      td(`life ${life}`), td(criterion.damage === null ? "exceeded" : shown(criterion.damage), "", criterion.damage));
  }
  table.replaceChild(body, table.tBodies[0]);
}

async function runDesign() {
  kestral.clearErrors();
  $("results").hidden = true;
  const state = await kestral.runJob("/api/jobs/design", JSON.stringify(problemValue()),
    {"Content-Type": "application/json"});
  if (state.state !== "done") { kestral.showFailure(state, "design check"); return; }
  showVerdict(state.result);
  showDamageTable(state.result);
  const pictures = state.pictures || {};
  kestral.showPicture($("damage-plot"), pictures.damage,
    pictures.damage_error || "Ask for a thickness search to see the damage against the thickness.");
  $("results").hidden = false;
  $("results").scrollIntoView({block: "start"});
}

startDesignForm();
$("run").addEventListener("click", runDesign);
