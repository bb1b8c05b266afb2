// The pieces of the pages' forms: values of inputs as a problem file has
// them, and tables of rows whose inputs are named by their field
// (layers[1].E), so that a message is shown beside its field.
"use strict";

const $ = (id) => document.getElementById(id);

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


// The cell of a layer's interface below (bonded, frictionless or a spring of
// stiffness k), filled from the problem file's `interface_below`; `changed`
// is called when the kind changes.
function interfaceCell(face, changed) {
  const kind = document.createElement("select");
  kind.dataset.key = "interface_below";
  for (const name of ["bonded", "frictionless", "spring"]) kind.add(new Option(name, name));
  const stiffness = input("num", "", "interface_below.spring");
  stiffness.placeholder = "k";
  stiffness.title = "spring stiffness: stress per length";
  if (face && typeof face === "object" && "spring" in face) {
    kind.value = "spring"; stiffness.value = face.spring;
  } else if (face) {
    kind.value = face;
  }
  kind.addEventListener("change", changed);
  const both = cell(kind);
  both.appendChild(stiffness);
  return both;
}

// The problem file's `interface_below` of a row of that cell (none when bonded).
function interfaceValue(row) {
  const kind = row.querySelector('[data-key="interface_below"]').value;
  if (kind === "spring") {
    const k = value(row.querySelector('[data-key="interface_below.spring"]'));
    return {spring: k === undefined ? "" : k};
  }
  return kind === "bonded" ? undefined : kind;
}
