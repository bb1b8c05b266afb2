// The table of layers (top first, the last the half-space) shared by the
// analysis and the design check: name, E, nu, thickness, interface below.
"use strict";

function addLayer(layer) {
  const tbody = $("layers").tBodies[0];
  const row = tbody.insertRow();
  row.appendChild(cell(""));
  row.appendChild(cell(input("name", layer.name, "name")));
  row.appendChild(cell(input("num", layer.E, "E")));
  row.appendChild(cell(input("num", layer.nu, "nu")));
  row.appendChild(cell(input("num", layer.thickness, "thickness")));
  row.appendChild(interfaceCell(layer.interface_below, refreshLayers));
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
      const face = interfaceValue(row);
      if (face !== undefined) layer.interface_below = face;
    }
    return layer;
  });
}

