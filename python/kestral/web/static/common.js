// What every page shares: the API's address, messages beside the fields
// they name, jobs run with a progress bar and a cancel button, uploads,
// pictures and downloads.
"use strict";

const kestral = {
  root: document.body.dataset.root || "",

  api(path, options) {
    return fetch(kestral.root + path, options);
  },

  // The units card (units_card.html): the units it holds, filled from a
  // problem file, and every unit label of the page kept in step with it.
  unitDefaults: {length: "mm", stress: "MPa", force: "N", deflection: "um"},

  unitSelect(key) {
    return document.getElementById(`unit-${key}`);
  },

  unitsValue() {
    const units = {};
    for (const key of Object.keys(kestral.unitDefaults)) {
      if (kestral.unitSelect(key)) units[key] = kestral.unitSelect(key).value;
    }
    return units;
  },

  fillUnits(units) {
    for (const [key, fallback] of Object.entries(kestral.unitDefaults)) {
      if (kestral.unitSelect(key)) kestral.unitSelect(key).value = (units || {})[key] || fallback;
    }
  },

  refreshUnits() {
    document.querySelectorAll(".unit[data-unit]").forEach((span) => {
      span.textContent = kestral.unitSelect(span.dataset.unit).value;
    });
  },

  watchUnits() {
    for (const key of Object.keys(kestral.unitDefaults)) {
      if (kestral.unitSelect(key)) kestral.unitSelect(key).addEventListener("change", kestral.refreshUnits);
    }
  },

  // Removes every message a page shows beside its fields.
  clearErrors() {
    document.querySelectorAll(".field-error").forEach((e) => e.remove());
    document.querySelectorAll(".invalid").forEach((e) => e.classList.remove("invalid"));
    const box = document.getElementById("form-error");
    if (box) { box.hidden = true; box.textContent = ""; }
  },

  // Shows `message` beside the element of `field` (data-field), or of the
  // nearest enclosing field (loads[0].x, loads[0], loads), or at the top.
  showError(field, message, whole) {
    let name = field || "";
    while (name) {
      const target = document.querySelector(`[data-field="${CSS.escape(name)}"]`);
      if (target) {
        const note = document.createElement("span");
        note.className = "field-error";
        note.textContent = name === field ? message : `${field}: ${message}`;
        if (target.matches("input, select")) {
          target.classList.add("invalid");
          target.insertAdjacentElement("afterend", note);
          note.dataset.for = field;
        } else if (target.id === "form-error") {
          target.hidden = false;
          target.textContent = whole || message;
          return;
        } else {
          note.dataset.for = field;
          const heading = target.querySelector("h2");
          (heading || target).insertAdjacentElement("afterend", note);
        }
        note.scrollIntoView({block: "center"});
        return;
      }
      name = name.replace(/(\.[A-Za-z_]+|\[\d+\])$/, "");
      if (name === field) break;
    }
    const box = document.getElementById("form-error");
    box.hidden = false;
    box.textContent = whole || message;
    box.scrollIntoView({block: "center"});
  },

  // Runs a page's job (POST `path` with `body`): shows its progress in the
  // run bar, lets #cancel stop it, and returns its last state (done, failed
  // or cancelled; a refusal as {state: "failed", ...its body}).
  async runJob(path, body, headers) {
    const bar = document.getElementById("progress");
    const run = document.getElementById("run");
    run.disabled = true;
    let id = null;
    const cancel = () => { if (id) kestral.api(`/api/jobs/${id}`, {method: "DELETE"}); };
    document.getElementById("cancel").onclick = cancel;
    try {
      let response = await kestral.api(path, {method: "POST", headers: headers || {}, body});
      let state = await response.json();
      while (response.ok && !["done", "failed", "cancelled"].includes(state.state)) {
        id = state.id;
        kestral.showProgress(state);
        response = await kestral.api(`/api/jobs/${state.id}?wait=0.5`);
        state = await response.json();
      }
      return response.ok ? state : {...state, state: "failed"};
    } catch (error) {
      return {state: "failed", error: `the server did not answer: ${error}`};
    } finally {
      bar.hidden = true;
      run.disabled = false;
    }
  },

  showProgress(state) {
    document.getElementById("progress").hidden = false;
    const fill = document.getElementById("progress-fill");
    let text;
    if (state.state === "queued") {
      fill.className = "fill"; fill.style.width = "0";
      text = `waiting: all ${state.workers} workers are busy` +
        (state.ahead ? `, ${state.ahead} job(s) ahead of this one` : "");
    } else if (state.total > 0 && state.done < state.total) {
      fill.className = "fill"; fill.style.width = `${(100 * state.progress).toFixed(1)}%`;
      text = `${state.stage}: ${state.done} of ${state.total} ${state.unit}, ${state.elapsed.toFixed(1)} s`;
    } else {
      fill.className = "fill indeterminate"; fill.style.width = "";
      text = `${state.stage}… ${state.elapsed.toFixed(1)} s`;
    }
    document.getElementById("progress-text").textContent = text;
  },

  // The message of a failed or cancelled job, beside its field.
  showFailure(state, what) {
    if (state.state === "cancelled") kestral.showError(null, `The ${what} was cancelled.`);
    else kestral.showError(state.field, state.message || state.error, state.error);
  },

  // Reads a chosen file as text; `use(text, name)` fills the form from it.
  readUpload(input, use) {
    input.addEventListener("change", () => {
      const file = input.files[0];
      if (!file) return;
      const reader = new FileReader();
      reader.onload = () => {
        kestral.clearErrors();
        try {
          use(reader.result, file.name);
        } catch (error) {
          kestral.showError(null, `${file.name}: not a problem file: ${error.message}`);
        }
        input.value = "";
      };
      reader.readAsText(file);
    });
  },

  // The server's SVG (matplotlib's, every text escaped), or a note.
  showPicture(view, svg, note) {
    if (svg) { view.innerHTML = svg; return; }
    const hint = document.createElement("p");
    hint.className = "hint";
    hint.textContent = note;
    view.replaceChildren(hint);
  },

  download(name, text, type) {
    const link = document.createElement("a");
    link.href = URL.createObjectURL(new Blob([text], {type}));
    link.download = name;
    document.body.appendChild(link);
    link.click();
    setTimeout(() => { URL.revokeObjectURL(link.href); link.remove(); }, 1000);
  },
};
