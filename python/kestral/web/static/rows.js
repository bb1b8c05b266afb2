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

