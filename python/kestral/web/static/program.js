// A page for a program that has no form of its own yet: its problem file as
// text, run through the API, its JSON report shown as it comes.
"use strict";

(() => {
  const panel = document.getElementById("program-panel");
  if (!panel) return;
  const text = document.getElementById("program-text");
  const status = document.getElementById("program-status");
  const run = document.getElementById("program-run");

  run.addEventListener("click", async () => {
    kestral.clearErrors();
    document.getElementById("program-results").hidden = true;
    run.disabled = true;
    status.textContent = "running…";
    const began = performance.now();
    try {
      const response = await kestral.api(`/api/${panel.dataset.route}`, {
        method: "POST", headers: {"Content-Type": "application/json"}, body: text.value});
      const body = await response.text();
      if (!response.ok) {
        const answer = JSON.parse(body);
        kestral.showError(null, answer.error, answer.error);
        status.textContent = "";
      } else {
        document.getElementById("program-output").textContent = JSON.stringify(JSON.parse(body), null, 2);
        document.getElementById("program-results").hidden = false;
        status.textContent = `done in ${((performance.now() - began) / 1000).toFixed(2)} s`;
      }
    } catch (error) {
      kestral.showError(null, `the server did not answer: ${error}`);
      status.textContent = "";
    }
    run.disabled = false;
  });

  document.getElementById("program-upload").addEventListener("change", (event) => {
    const file = event.target.files[0];
    if (!file) return;
    const reader = new FileReader();
    reader.onload = () => { text.value = reader.result; event.target.value = ""; };
    reader.readAsText(file);
  });
})();
