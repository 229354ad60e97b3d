#include "AtlasPage.h"

namespace avctl {
namespace {

// The page's head, style and filter bar; the atlas follows as JSON, then the
// script that draws it.
const char* kHead = R"HTML(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>tvav picture atlas</title>
<style>
body { font-family: sans-serif; margin: 16px; color: #202020; }
h1 { margin: 0 0 4px 0; }
h2 { margin: 24px 0 4px 0; border-bottom: 2px solid #202020; }
h3 { margin: 14px 0 2px 0; font-size: 15px; }
.menu { font-size: 12px; color: #444; margin-bottom: 6px; }
#filters { position: sticky; top: 0; background: #fff; padding: 6px 0; border-bottom: 1px solid #aaa; z-index: 1; }
#filters label { margin-right: 12px; font-size: 13px; }
.grid { display: flex; flex-wrap: wrap; gap: 6px; }
figure.case { margin: 0; width: 230px; border: 1px solid #ccc; padding: 3px; font-size: 10.5px; }
figure.case[hidden] { display: none; }
figure.case figcaption { line-height: 1.3; }
.refused { color: #b00020; }
.frame, .panel { fill: #d9d9d9; stroke: #202020; stroke-width: 1; }
.crop { fill: #e8590c; fill-opacity: 0.55; stroke: #b33c00; stroke-width: 1; }
.dst { fill: #1c64d8; fill-opacity: 0.6; stroke: #0b3d91; stroke-width: 1; }
details { font-size: 13px; margin: 6px 0; }
</style>
</head>
<body>
<h1>tvav picture atlas</h1>
<p id="summary"></p>
<details><summary>What the matrix spans and what it leaves out</summary><div id="about"></div></details>
<p style="font-size:13px">Each picture: left, the input frame at its displayed shape with the crop (source) rectangle in
orange; right, the panel with the destination rectangle in blue (drawn 21:9 while the 21:9 output is on). The numbers
are beside each picture; hover for the lookup requests, events and the letterbox detector.</p>
<div id="filters">
<label>Region <select id="f-region"></select></label>
<label>Input <select id="f-input"></select></label>
<label>Picture size (menu) <select id="f-size"></select></label>
<label>Applied <select id="f-applied"></select></label>
<label>Code <select id="f-code"></select></label>
<label>Setting <select id="f-setting"></select></label>
<span id="shown"></span>
</div>
<div id="atlas"></div>
<script type="application/json" id="atlas-data">
)HTML";

const char* kScript = R"HTML(
</script>
<script>
"use strict";
const atlas = JSON.parse(document.getElementById("atlas-data").textContent);
const esc = s => String(s).replace(/[&<>"]/g, c => ({"&": "&amp;", "<": "&lt;", ">": "&gt;", '"': "&quot;"}[c]));
const fmt = r => r ? r.join(",") : "-";

function setting(c) {
  if (c.window !== "full") return c.window;
  if (c.auto_wide) return "auto wide on" + (c.screen_mode === "any" ? "" : ", 4:3 screen mode " + c.screen_mode);
  if (c.screen_fit !== "off") return "screen fit " + c.screen_fit;
  if (c.panorama) return "panorama on";
  return "auto wide off";
}
function settingKey(c) {
  if (c.window !== "full") return c.window;
  if (c.auto_wide) return "auto wide on";
  if (c.screen_fit !== "off") return "screen fit " + c.screen_fit;
  if (c.panorama) return "panorama on";
  return "auto wide off";
}

// Box of at most W x H with the given width/height ratio, at (x0, y0).
function box(ratio, x0, y0, W, H) {
  let w = W, h = W / ratio;
  if (h > H) { h = H; w = H * ratio; }
  return {x: x0, y: y0 + (H - h) / 2, w: w, h: h};
}
function rect(cls, b, sx, sy, r, extra) {
  return `<rect class="${cls}" x="${(b.x + r[0] * sx).toFixed(2)}" y="${(b.y + r[1] * sy).toFixed(2)}" ` +
    `width="${(r[2] * sx).toFixed(2)}" height="${(r[3] * sy).toFixed(2)}"${extra || ""}/>`;
}
function picture(input, rec) {
  const k = input.key, o = rec.outcome;
  const shown = k.ar === 2 ? 4 / 3 : k.ar === 3 ? 16 / 9 : k.h / k.v;
  const fb = box(shown, 2, 2, 104, 62);
  const pb = box(o.output_21_9 ? 21 / 9 : 16 / 9, 120, 2, 104, 62);
  let svg = `<svg width="226" height="66" viewBox="0 0 226 66">`;
  svg += `<rect class="frame" x="${fb.x}" y="${fb.y.toFixed(2)}" width="${fb.w.toFixed(2)}" height="${fb.h.toFixed(2)}"/>`;
  svg += `<rect class="panel" x="${pb.x}" y="${pb.y.toFixed(2)}" width="${pb.w.toFixed(2)}" height="${pb.h.toFixed(2)}"/>`;
  if (o.src) svg += rect("crop", fb, fb.w / k.h, fb.h / k.v, o.src);
  if (o.dst) {
    const sx = pb.w / 1920, sy = pb.h / 1080;
    svg += rect("dst", pb, sx, sy, o.dst,
      ` data-origin="${pb.x},${pb.y.toFixed(4)}" data-scale="${sx.toFixed(6)},${sy.toFixed(6)}"`);
  }
  return svg + "</svg>";
}

function render() {
  const inputs = {};
  atlas.inputs.forEach(i => { inputs[i.region + "/" + i.input] = i; });
  const byInput = {};
  atlas.records.forEach(r => {
    const key = r.case.region + "/" + r.case.input;
    (byInput[key] = byInput[key] || []).push(r);
  });
  const groups = [];
  atlas.inputs.forEach(i => { if (!groups.includes(i.group)) groups.push(i.group); });
  let html = "";
  for (const g of groups) {
    html += `<section class="group"><h2>${esc(g)}</h2>`;
    for (const i of atlas.inputs.filter(x => x.group === g)) {
      const k = i.key, m = i.menu;
      const subs = Object.keys(m.sub_menus).map(s => `${s}: ${m.sub_menus[s].join(", ") || "none"}` +
        (m.screen_fit[s].length ? ` (screen fit ${m.screen_fit[s].join("/")})` : "")).join("; ");
      html += `<div class="input" data-region="${esc(i.region)}"><h3>${esc(i.region.toUpperCase())} · ${esc(i.input)}: ` +
        `${esc(i.label)}</h3><div class="menu">key source ${k.source}, dtv ${k.dtv}, res ${k.res}, ${k.h}x${k.v}, ` +
        `ar ${k.ar}. Menu offers: ${esc(m.sizes.join(", ") || "nothing")}. Sub-menus: ${esc(subs)}. ` +
        `Auto wide supported: ${m.auto_wide_supported}.</div><div class="grid">`;
      for (const r of byInput[i.region + "/" + i.input] || []) {
        const c = r.case, o = r.outcome;
        const numbers = o.dst ? `applied ${esc(o.applied)}<br>src ${fmt(o.src)}<br>dst ${fmt(o.dst)}`
                              : `<span class="refused">${esc(o.not_written)}</span>`;
        const title = `${r.id}\nresult ${o.result}; 21:9 output ${o.output_21_9}; letterbox detector ` +
          `${o.letterbox_detector}; events ${o.events.join(" ") || "none"}\n` + o.lookups.join("\n");
        html += `<figure class="case" data-id="${esc(r.id)}" data-region="${esc(c.region)}" data-input="${esc(c.input)}" data-size="${esc(c.size)}" ` +
          `data-applied="${esc(o.applied || "none")}" data-code="${esc(c.signal)}" data-setting="${esc(settingKey(c))}" ` +
          `title="${esc(title)}">${picture(i, r)}<figcaption><b>${esc(c.size)}</b> · ${esc(c.signal)} · ` +
          `${esc(setting(c))}<br>${numbers}</figcaption></figure>`;
      }
      html += "</div></div>";
    }
    html += "</section>";
  }
  document.getElementById("atlas").innerHTML = html;
}

function fillFilters() {
  const sets = {region: new Set(), input: new Set(), size: new Set(), applied: new Set(), code: new Set(), setting: new Set()};
  atlas.records.forEach(r => {
    sets.region.add(r.case.region); sets.input.add(r.case.input); sets.size.add(r.case.size); sets.applied.add(r.outcome.applied || "none");
    sets.code.add(r.case.signal); sets.setting.add(settingKey(r.case));
  });
  const params = new URLSearchParams(location.search);
  for (const name of Object.keys(sets)) {
    const sel = document.getElementById("f-" + name);
    const values = name === "input" ? [...sets[name]]
      : [...sets[name]].sort((a, b) => a.localeCompare(b, "en", {numeric: true}));
    sel.innerHTML = `<option value="">all</option>` + values.map(v => `<option>${esc(v)}</option>`).join("");
    if (params.has(name)) sel.value = params.get(name);
    sel.addEventListener("change", applyFilters);
  }
}

function applyFilters() {
  const want = {};
  for (const name of ["region", "input", "size", "applied", "code", "setting"]) {
    want[name] = document.getElementById("f-" + name).value;
  }
  let shown = 0;
  document.querySelectorAll("figure.case").forEach(f => {
    const ok = Object.keys(want).every(n => !want[n] || f.dataset[n] === want[n]);
    f.hidden = !ok;
    if (ok) shown++;
  });
  document.querySelectorAll("div.input").forEach(d => {
    d.hidden = d.querySelector("figure.case:not([hidden])") === null;
  });
  document.querySelectorAll("section.group").forEach(s => {
    s.hidden = s.querySelector("div.input:not([hidden])") === null;
  });
  document.getElementById("shown").textContent = `${shown} of ${atlas.records.length} cases shown`;
  document.body.dataset.shown = shown;
}

document.getElementById("summary").textContent =
  `${atlas.cases} cases over ${new Set(atlas.inputs.map(i => i.input)).size} inputs in ` +
  `${new Set(atlas.inputs.map(i => i.region)).size} region families, each run on a fresh ` +
  "stand-in by avctl atlas. The same data is in atlas.json.";
document.getElementById("about").innerHTML = "<ul>" + atlas.left_out.map(t => `<li>${esc(t)}</li>`).join("") + "</ul>";
render();
fillFilters();
applyFilters();
</script>
</body>
</html>
)HTML";

}  // namespace

std::string AtlasPage(const std::string& atlasJson) {
    // Inside a script element only "</" could end it early; "<\/" is the same
    // JSON string.
    std::string data;
    data.reserve(atlasJson.size());
    for (size_t i = 0; i < atlasJson.size(); ++i) {
        data += atlasJson[i];
        if (atlasJson[i] == '<' && i + 1 < atlasJson.size() && atlasJson[i + 1] == '/') {
            data += '\\';
        }
    }
    return std::string(kHead) + data + kScript;
}

}  // namespace avctl
