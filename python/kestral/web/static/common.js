// What every page shares: the API's address, messages beside the fields
// they name, downloads of text.
"use strict";

const kestral = {
  root: document.body.dataset.root || "",

  api(path, options) {
    return fetch(kestral.root + path, options);
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

  download(name, text, type) {
    const link = document.createElement("a");
    link.href = URL.createObjectURL(new Blob([text], {type}));
    link.download = name;
    document.body.appendChild(link);
    link.click();
    setTimeout(() => { URL.revokeObjectURL(link.href); link.remove(); }, 1000);
  },
};
