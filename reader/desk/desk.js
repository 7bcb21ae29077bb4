// The desk's two uses of script: dropping reports onto the inbox, and the
// survey's charts, which draw the tables beside them (the page works without).
"use strict";

function csrfToken() {
  const meta = document.querySelector('meta[name="csrf-token"]');
  return meta ? meta.content : "";
}

function setupDrop() {
  const form = document.getElementById("upload");
  if (!form) return;
  const status = document.getElementById("upload-status");
  const send = (files) => {
    if (!files.length) return;
    const body = new FormData();
    for (const file of files) body.append("reports", file, file.name);
    status.textContent = "Adding " + files.length + " file(s)…";
    fetch("/api/upload", { method: "POST", body, headers: { "X-CSRF-Token": csrfToken() }, credentials: "same-origin" })
      .then((response) => response.json().then((answer) => ({ ok: response.ok, answer })))
      .then(({ ok, answer }) => {
        if (!ok) throw new Error(answer.error || "the desk refused the upload");
        status.textContent = answer.summary;
        // The new reports take their places in the list as the server orders it.
        return fetch(location.href, { credentials: "same-origin" }).then((r) => r.text());
      })
      .then((html) => {
        const fresh = new DOMParser().parseFromString(html, "text/html").querySelector("#inbox tbody");
        const list = document.querySelector("#inbox tbody");
        if (fresh && list) list.replaceWith(fresh);
        document.body.dataset.uploaded = String(Number(document.body.dataset.uploaded || 0) + 1);
      })
      .catch((error) => { status.textContent = "Not added: " + error.message; });
  };
  ["dragenter", "dragover"].forEach((name) => form.addEventListener(name, (event) => {
    event.preventDefault();
    form.classList.add("over");
  }));
  ["dragleave", "drop"].forEach((name) => form.addEventListener(name, () => form.classList.remove("over")));
  form.addEventListener("drop", (event) => {
    event.preventDefault();
    send(Array.from(event.dataTransfer.files));
  });
}

// Colours that tell lines apart, and the desk's own blue for bars.
const PALETTE = ["#2457a6", "#b3261e", "#1c7c6d", "#b3591a", "#6d3fa8", "#3a8dde", "#8a6d1d", "#c2185b", "#2e7d32", "#5d6b7a"];

function setupCharts() {
  if (typeof Chart === "undefined") return;
  for (const canvas of document.querySelectorAll("canvas.chart")) {
    const table = document.getElementById(canvas.dataset.table);
    if (!table) continue;
    const head = Array.from(table.tHead.rows[0].cells).map((cell) => cell.textContent);
    const rows = Array.from(table.tBodies[0].rows).map((row) => Array.from(row.cells).map((cell) => cell.textContent));
    let data;
    if (canvas.dataset.kind === "months") {
      // Each value's count month by month (the columns after Reports and Share).
      const months = head.slice(3);
      data = { labels: months, datasets: rows.map((row, n) => ({ label: row[0], data: row.slice(3).map(Number),
                                                                borderColor: PALETTE[n % PALETTE.length],
                                                                backgroundColor: PALETTE[n % PALETTE.length] })) };
    } else {
      data = { labels: rows.map((row) => row[0]),
               datasets: [{ label: "Reports", data: rows.map((row) => Number(row[1])), backgroundColor: PALETTE[0] }] };
    }
    new Chart(canvas, {
      type: canvas.dataset.kind === "months" ? "line" : "bar",
      data,
      options: { animation: false, maintainAspectRatio: false, indexAxis: canvas.dataset.kind === "months" ? "x" : "y",
                 plugins: { legend: { display: canvas.dataset.kind === "months" } } },
    });
  }
  document.body.dataset.charts = "drawn";
}

document.addEventListener("DOMContentLoaded", () => {
  setupDrop();
  setupCharts();
});
