// The Abacor chart page: every calculation and every tool lives on the server;
// this page lays out panes, sends views and mouse positions, and paints the
// draw records it gets back.
"use strict";

const AXIS_RIGHT = 64, AXIS_BOTTOM = 22, LEFT = 6, TOP = 6, GAP = 8;
const DASHES = [[], [], [6, 4], [2, 3], [8, 3, 2, 3], [8, 3, 2, 3, 2, 3]];
const BACKGROUND = "#101418";

const state = {
  session: null, bars: null, catalogue: [],
  first: 0, last: 0,
  panes: [],          // {formula, paramsText, params, error, editor}
  result: null,       // the last render answer
  layout: [],         // per pane {left, top, width, height}
  placing: null,      // id of the tool being placed
  selected: null,     // id of the selected tool
  drag: null,         // {kind: "tool" | "scroll", ...}
  mouse: null,        // {x, y}
  busy: 0,
  lastSaved: null,
  drawn: [],          // what the last paint drew, per pane (for tests)
};

const canvas = document.getElementById("chart");
const ctx = canvas.getContext("2d");

// ---- Requests ------------------------------------------------------------

async function api(method, path, body) {
  state.busy++;
  try {
    const init = { method, headers: { "Content-Type": "application/json" } };
    if (body !== undefined) init.body = JSON.stringify(body);
    else if (method === "POST" || method === "PUT") init.body = "{}";
    const res = await fetch(path, init);
    const data = await res.json();
    if (res.status === 404 && /^no session/.test(data.error || ""))
      setStatus("The server no longer knows this page (it restarted or dropped the session): reload the page.");
    return { status: res.status, data };
  } finally {
    state.busy--;
  }
}

function sessionPath(rest) { return "/api/sessions/" + state.session + rest; }

function setStatus(text) { document.getElementById("status").textContent = text; }

// Runs fn at most once at a time; calls made meanwhile collapse into one more run.
function serialised(fn) {
  let running = false, again = false;
  const run = async () => {
    if (running) { again = true; return; }
    running = true;
    try {
      do { again = false; await fn(); } while (again);
    } finally { running = false; }
  };
  return run;
}

// ---- Layout and mapping -----------------------------------------------

function layoutPanes() {
  const area = canvas.parentElement;
  canvas.width = area.clientWidth;
  canvas.height = area.clientHeight;
  const n = state.panes.length;
  const usable = canvas.height - TOP - AXIS_BOTTOM - GAP * Math.max(0, n - 1);
  const other = n > 1 ? Math.max(60, Math.floor(usable * 0.4 / (n - 1))) : 0;
  const price = n > 1 ? usable - other * (n - 1) : usable;
  let top = TOP;
  state.layout = state.panes.map((_, i) => {
    const h = i === 0 ? price : other;
    const r = { left: LEFT, top, width: canvas.width - LEFT - AXIS_RIGHT, height: Math.max(20, h) };
    top += r.height + GAP;
    return r;
  });
}

function view() {
  const p = state.layout[0];
  return { first: state.first, last: state.last,
           plot: { left: p.left, top: p.top, width: p.width, height: p.height } };
}

function mapper(plot, min, max) {
  const span = state.last - state.first + 1;
  const bw = plot.width / span;
  const range = max - min || 1;
  return {
    bw, plot,
    x: (bar) => plot.left + (bar - state.first + 0.5) * bw,
    y: (v) => plot.top + (max - v) / range * plot.height,
    bar: (x) => (x - plot.left) / bw - 0.5 + state.first,
    value: (y) => max - (y - plot.top) / plot.height * range,
  };
}

function paneAt(y) {
  return state.layout.findIndex((r) => y >= r.top && y <= r.top + r.height);
}

// ---- Painting the draw records -----------------------------------------

function css(colour, fillAlpha) {
  if (!colour) return null;
  const a = fillAlpha && colour.palette ? 0.35 : colour.alpha;
  if (a <= 0) return null;
  const v = parseInt(colour.css.slice(1), 16);
  return `rgba(${(v >> 16) & 255},${(v >> 8) & 255},${v & 255},${a})`;
}

function stroke(rec) {
  const c = css(rec.line, false);
  if (!c) return false;
  ctx.strokeStyle = c;
  ctx.lineWidth = rec.width > 0 ? rec.width : 1;
  ctx.setLineDash(DASHES[rec.style] || []);
  return true;
}

function px(m, p) {
  if (!p || p[0] === null || p[1] === null) return null;
  const x = m.x(p[0]), y = m.y(p[1]);
  return Number.isFinite(x) && Number.isFinite(y) ? [x, y] : null;
}

function beyond(a, b, plot) {
  const dx = b[0] - a[0], dy = b[1] - a[1], len = Math.hypot(dx, dy);
  if (len <= 0) return b;
  const reach = 2 * (plot.width + plot.height);
  return [b[0] + dx / len * reach, b[1] + dy / len * reach];
}

function drawCurve(m, rec, line, log) {
  const pts = line.points.map((p) => px(m, p)).filter((p) => p);
  if (!pts.length) return;
  if (pts.length === 1) pts.push([pts[0][0] + 0.5, pts[0][1]]);
  if (line.extendStart) pts[0] = beyond(pts[1], pts[0], m.plot);
  if (line.extendEnd) pts[pts.length - 1] = beyond(pts[pts.length - 2], pts[pts.length - 1], m.plot);
  ctx.beginPath();
  pts.forEach((p, i) => (i ? ctx.lineTo(p[0], p[1]) : ctx.moveTo(p[0], p[1])));
  if (rec.fill) {
    ctx.closePath();
    const f = css(rec.fillColor, true);
    if (f) { ctx.fillStyle = f; ctx.fill(); }
  }
  if (stroke(rec)) ctx.stroke();
  log.curves.push({ color: rec.line ? rec.line.css : null, points: pts });
}

function drawBezier(m, rec, points) {
  const p = points.map((q) => px(m, q));
  if (p.length < 3 || p.some((q) => !q)) return;
  ctx.beginPath();
  ctx.moveTo(p[0][0], p[0][1]);
  if (p.length === 4) ctx.bezierCurveTo(p[1][0], p[1][1], p[2][0], p[2][1], p[3][0], p[3][1]);
  else for (let i = 1; i + 1 < p.length; i += 2) ctx.quadraticCurveTo(p[i][0], p[i][1], p[i + 1][0], p[i + 1][1]);
  const f = rec.fill ? css(rec.fillColor, true) : null;
  if (f) { ctx.fillStyle = f; ctx.fill(); }
  if (stroke(rec)) ctx.stroke();
}

function drawRectangle(m, rec, corners) {
  const a = px(m, corners[0]), b = px(m, corners[1]);
  if (!a || !b) return;
  const x = Math.min(a[0], b[0]), y = Math.min(a[1], b[1]);
  const w = Math.abs(b[0] - a[0]), h = Math.max(Math.abs(b[1] - a[1]), 0.8);
  const f = rec.fill ? css(rec.fillColor, true) : null;
  if (f) { ctx.fillStyle = f; ctx.fillRect(x, y, w, h); }
  if ((rec.width > 0 || !rec.fill) && stroke(rec)) ctx.strokeRect(x, y, w, h);
}

function drawEllipse(m, rec, points) {
  if (points.length !== 2 && points.length !== 3) return;
  const a = px(m, points[0]), b = px(m, points[1]);
  if (!a || !b) return;
  const cx = (a[0] + b[0]) / 2, cy = (a[1] + b[1]) / 2;
  const rx = Math.hypot(b[0] - a[0], b[1] - a[1]) / 2;
  let ry = rx;
  if (points.length === 3) {
    const c = px(m, points[2]);
    if (!c) return;
    ry = Math.abs(c[1] - cy);
  }
  ctx.beginPath();
  ctx.ellipse(cx, cy, Math.max(rx, 0.1), Math.max(ry, 0.1), 0, 0, 2 * Math.PI);
  const f = rec.fill ? css(rec.fillColor, true) : null;
  if (f) { ctx.fillStyle = f; ctx.fill(); }
  if ((rec.width > 0 || !rec.fill) && stroke(rec)) ctx.stroke();
}

// A cross's size is in bars, like the marks of formula drawings.
function drawCross(m, rec, item) {
  const c = px(m, item.at);
  if (!c || !(item.size > 0) || !stroke(rec)) return;
  const h = Math.max(2, item.size * m.bw / 2);
  ctx.beginPath();
  ctx.moveTo(c[0] - h, c[1] - h); ctx.lineTo(c[0] + h, c[1] + h);
  ctx.moveTo(c[0] - h, c[1] + h); ctx.lineTo(c[0] + h, c[1] - h);
  ctx.stroke();
}

// Alignment bits: 0x01 starts beside the point, 0x02 centres on it; 0x20 above, 0x08 below.
function drawText(m, rec, item, log) {
  const p = px(m, item.at);
  if (!p || !item.text) return;
  const colour = css(rec.color, false) || "#c8c8c8";
  const size = rec.fontSize > 0 ? rec.fontSize : 11;
  const a = rec.align;
  if (item.target) {
    const t = px(m, item.target);
    if (t) {
      ctx.setLineDash([]); ctx.lineWidth = 0.6; ctx.strokeStyle = colour;
      ctx.beginPath(); ctx.moveTo(p[0], p[1]); ctx.lineTo(t[0], t[1]); ctx.stroke();
    }
  }
  ctx.font = `${size}px ${rec.fontName ? JSON.stringify(rec.fontName) + "," : ""} "DejaVu Sans", sans-serif`;
  ctx.textAlign = (a & 0x02) ? "center" : "left";
  ctx.textBaseline = "alphabetic";
  const x = p[0] + ((a & 0x01) ? 3 : 0);
  const y = p[1] + ((a & 0x20) ? -3 : (a & 0x08) ? size + 2 : size * 0.35);
  const back = css(rec.back, false), frame = css(rec.frame, false);
  if (back || frame) {
    const w = rec.boxWidth > 0 ? rec.boxWidth : ctx.measureText(item.text).width + 6;
    const bx = ctx.textAlign === "center" ? x - w / 2 : x - 3;
    if (back) { ctx.fillStyle = back; ctx.fillRect(bx, y - size, w, size + 4); }
    if (frame) { ctx.setLineDash([]); ctx.lineWidth = 1; ctx.strokeStyle = frame; ctx.strokeRect(bx, y - size, w, size + 4); }
  }
  ctx.fillStyle = colour;
  ctx.fillText(item.text, x, y);
  log.texts.push(item.text);
}

// Icon 1 is an up arrow (buy), 2 a down arrow (sell); others a numbered disc.
function drawIcon(m, item) {
  const p = px(m, item.at);
  if (!p) return;
  ctx.setLineDash([]);
  if (item.value === 1 || item.value === 2) {
    const s = item.value === 1 ? 1 : -1;
    ctx.fillStyle = item.value === 1 ? "#ff3b3b" : "#19c37d";
    ctx.beginPath();
    ctx.moveTo(p[0], p[1] - 7 * s); ctx.lineTo(p[0] - 5, p[1] + 3 * s); ctx.lineTo(p[0] + 5, p[1] + 3 * s);
    ctx.closePath(); ctx.fill();
    return;
  }
  ctx.fillStyle = "#5fb4ff";
  ctx.beginPath(); ctx.arc(p[0], p[1], 6, 0, 2 * Math.PI); ctx.fill();
  ctx.fillStyle = "#101418"; ctx.font = "8px sans-serif"; ctx.textAlign = "center";
  ctx.fillText(String(item.value), p[0], p[1] + 3);
}

// Paints one drawing item by item in its draw order.
function drawDrawing(m, d, log) {
  for (const [kind, r, i] of d.order) {
    switch (kind) {
      case 1: if (d.curves[r] && d.curves[r].items[i]) drawCurve(m, d.curves[r], d.curves[r].items[i], log); break;
      case 2: if (d.beziers[r] && d.beziers[r].items[i]) drawBezier(m, d.beziers[r], d.beziers[r].items[i]); break;
      case 3: if (d.rectangles[r] && d.rectangles[r].items[i]) drawRectangle(m, d.rectangles[r], d.rectangles[r].items[i]); break;
      case 4: if (d.ellipses[r] && d.ellipses[r].items[i]) drawEllipse(m, d.ellipses[r], d.ellipses[r].items[i]); break;
      case 5: if (d.crosses[r] && d.crosses[r].items[i]) drawCross(m, d.crosses[r], d.crosses[r].items[i]); break;
      case 6: if (d.texts[r] && d.texts[r].items[i]) drawText(m, d.texts[r], d.texts[r].items[i], log); break;
      case 7: if (d.icons[r] && d.icons[r].items[i]) drawIcon(m, d.icons[r].items[i]); break;
      default: break;
    }
    log.items++;
    log.kinds[kind] = (log.kinds[kind] || 0) + 1;
  }
}

// ---- Axes, legend, crosshair ---------------------------------------------

function niceStep(span, count) {
  const raw = span / count, p = Math.pow(10, Math.floor(Math.log10(raw)));
  for (const k of [1, 2, 5, 10]) if (k * p >= raw) return k * p;
  return 10 * p;
}

function formatValue(v, step) {
  if (v === null || v === undefined || !Number.isFinite(v)) return "-";
  const d = step >= 1 ? 0 : Math.min(6, Math.ceil(-Math.log10(step)));
  return v.toFixed(d);
}

function drawPriceAxis(plot, min, max) {
  ctx.setLineDash([]);
  ctx.strokeStyle = "#3a4048"; ctx.lineWidth = 1;
  ctx.strokeRect(plot.left + 0.5, plot.top + 0.5, plot.width, plot.height);
  const step = niceStep(max - min || 1, Math.max(2, Math.floor(plot.height / 50)));
  ctx.font = "10px \"DejaVu Sans\", sans-serif"; ctx.textAlign = "left"; ctx.fillStyle = "#8a939c";
  for (let v = Math.ceil(min / step) * step; v <= max; v += step) {
    const y = plot.top + (max - v) / (max - min) * plot.height;
    ctx.strokeStyle = "#1d2228";
    ctx.beginPath(); ctx.moveTo(plot.left, Math.round(y) + 0.5); ctx.lineTo(plot.left + plot.width, Math.round(y) + 0.5); ctx.stroke();
    ctx.fillText(formatValue(v, step), plot.left + plot.width + 4, y + 4);
  }
}

function drawDateAxis(plot) {
  const m = mapper(plot, 0, 1);
  const span = state.last - state.first + 1;
  const every = Math.max(1, Math.round(niceStep(span, Math.max(2, Math.floor(plot.width / 110)))));
  ctx.font = "10px \"DejaVu Sans\", sans-serif"; ctx.textAlign = "center"; ctx.fillStyle = "#8a939c";
  ctx.strokeStyle = "#3a4048"; ctx.setLineDash([]);
  const bottom = plot.top + plot.height;
  for (let b = Math.ceil(state.first / every) * every; b <= state.last; b += every) {
    const x = m.x(b);
    if (x < plot.left + 30 || x > plot.left + plot.width - 30) continue;
    ctx.beginPath(); ctx.moveTo(x, bottom); ctx.lineTo(x, bottom + 4); ctx.stroke();
    ctx.fillText(state.bars.date[b], x, bottom + 15);
  }
}

function hoveredBar() {
  if (!state.mouse || !state.layout.length) return state.last;
  const m = mapper(state.layout[0], 0, 1);
  return Math.max(state.first, Math.min(state.last, Math.round(m.bar(state.mouse.x))));
}

function drawLegend(plot, pane, index) {
  const bar = hoveredBar(), k = bar - state.first;
  let x = plot.left + 6;
  ctx.font = "11px \"DejaVu Sans\", sans-serif"; ctx.textAlign = "left";
  if (index === 0) {
    const b = state.bars;
    const text = `${b.date[bar]}  O ${b.open[bar]}  H ${b.high[bar]}  L ${b.low[bar]}  C ${b.close[bar]}  V ${b.volume[bar]}`;
    ctx.fillStyle = "#c8c8c8"; ctx.fillText(text, x, plot.top + 14);
    x += ctx.measureText(text).width + 14;
  }
  for (const out of pane.outputs) {
    if (out.hidden || out.name.startsWith("#")) continue;
    const v = out.values[k];
    const text = `${out.name}: ${v === null || v === undefined ? "-" : Number(v).toFixed(3)}`;
    ctx.fillStyle = (out.color && out.color.css) || "#e8e8e8";
    ctx.fillText(text, x, plot.top + 14);
    x += ctx.measureText(text).width + 14;
  }
}

function drawCrosshair() {
  if (!state.mouse || state.drag) return;
  const i = paneAt(state.mouse.y);
  if (i < 0 || !state.result || !state.result.panes[i]) return;
  const plot = state.layout[i], first = state.layout[0];
  const last = state.layout[state.layout.length - 1];
  const m = mapper(first, 0, 1);
  const x = m.x(hoveredBar());
  ctx.setLineDash([3, 3]); ctx.strokeStyle = "#6f7a85"; ctx.lineWidth = 1;
  ctx.beginPath();
  ctx.moveTo(x, first.top); ctx.lineTo(x, last.top + last.height);
  ctx.moveTo(plot.left, state.mouse.y); ctx.lineTo(plot.left + plot.width, state.mouse.y);
  ctx.stroke();
  ctx.setLineDash([]);
  const pane = state.result.panes[i];
  const v = mapper(plot, pane.min, pane.max).value(state.mouse.y);
  const label = formatValue(v, niceStep(pane.max - pane.min || 1, 50));
  ctx.fillStyle = "#3b5b7a"; ctx.fillRect(plot.left + plot.width + 1, state.mouse.y - 8, AXIS_RIGHT - 2, 16);
  ctx.fillStyle = "#ffffff"; ctx.textAlign = "left"; ctx.font = "10px \"DejaVu Sans\", sans-serif";
  ctx.fillText(label, plot.left + plot.width + 4, state.mouse.y + 4);
  const date = state.bars.date[hoveredBar()];
  ctx.fillStyle = "#3b5b7a"; ctx.fillRect(x - 38, last.top + last.height + 3, 76, 16);
  ctx.fillStyle = "#ffffff"; ctx.textAlign = "center";
  ctx.fillText(date, x, last.top + last.height + 15);
}

function drawHotPoints(m, tool) {
  ctx.setLineDash([]);
  for (const p of tool.points) {
    const q = px(m, p);
    if (!q) continue;
    ctx.fillStyle = BACKGROUND; ctx.strokeStyle = "#5fb4ff"; ctx.lineWidth = 1.5;
    ctx.fillRect(q[0] - 4, q[1] - 4, 8, 8); ctx.strokeRect(q[0] - 4, q[1] - 4, 8, 8);
  }
}

function paint() {
  ctx.setTransform(1, 0, 0, 1, 0, 0);
  ctx.fillStyle = BACKGROUND;
  ctx.fillRect(0, 0, canvas.width, canvas.height);
  state.drawn = [];
  if (!state.result) return;
  state.result.panes.forEach((pane, i) => {
    const plot = state.layout[i];
    if (!plot) return;
    const log = { pane: i, items: 0, kinds: {}, curves: [], texts: [], tools: [] };
    drawPriceAxis(plot, pane.min, pane.max);
    ctx.save();
    ctx.beginPath(); ctx.rect(plot.left, plot.top, plot.width, plot.height); ctx.clip();
    const m = mapper(plot, pane.min, pane.max);
    for (const d of pane.drawings) drawDrawing(m, d, log);
    if (i === 0) {
      for (const tool of state.result.tools) {
        const tlog = { items: 0, kinds: {}, curves: [], texts: [] };
        for (const d of tool.drawings) drawDrawing(m, d, tlog);
        if (tool.id === state.selected || tool.id === state.placing) drawHotPoints(m, tool);
        log.tools.push({ id: tool.id, items: tlog.items, kinds: tlog.kinds });
      }
    }
    ctx.restore();
    drawLegend(plot, pane, i);
    state.drawn.push(log);
  });
  drawDateAxis(state.layout[state.layout.length - 1] || state.layout[0]);
  drawCrosshair();
}

// ---- Rendering from the server ---------------------------------------

const render = serialised(async () => {
  if (!state.session || !state.layout.length) return;
  const { status, data } = await api("POST", sessionPath("/render"), { view: view() });
  if (status !== 200) { setStatus(data.error); return; }
  state.result = data;
  state.first = data.first;
  state.last = data.last;
  setStatus(`${state.bars.date[state.first]} to ${state.bars.date[state.last]}  (${state.last - state.first + 1} bars)`);
  paint();
});

function replaceTool(tool) {
  if (!state.result) return;
  const list = state.result.tools;
  const i = list.findIndex((t) => t.id === tool.id);
  if (i >= 0) list[i] = tool; else list.push(tool);
  paint();
}

// ---- Formula panes -----------------------------------------------------

function parseParams(text) {
  const params = [];
  for (const part of text.split(/[,;]/)) {
    const m = part.match(/^\s*([A-Za-z_][A-Za-z0-9_]*)\s*=\s*(-?[0-9.]+)\s*$/);
    if (m) params.push({ name: m[1], value: Number(m[2]) });
  }
  return params;
}

function showCompileError(pane, data) {
  const box = pane.editor.querySelector(".compile-error");
  const area = pane.editor.querySelector(".formula");
  if (!data) { box.hidden = true; area.classList.remove("bad"); return; }
  const c = data.compile || {};
  area.classList.add("bad");
  box.hidden = false;
  const placed = c.line > 0 && c.offset >= 0;
  box.querySelector(".message").textContent = (placed ? `line ${c.line}, column ${c.column}: ` : "") + data.error;
  // The failing line with the word at the error's place marked.
  const text = pane.formula;
  const pos = placed ? Math.min(text.length, c.offset) : 0;
  const start = text.lastIndexOf("\n", pos - 1) + 1;
  let end = text.indexOf("\n", pos); if (end < 0) end = text.length;
  let stop = pos + 1;
  while (stop < end && /[A-Za-z0-9_.]/.test(text[stop]) && /[A-Za-z0-9_.]/.test(text[pos])) stop++;
  const pre = box.querySelector(".where");
  pre.textContent = "";
  if (!placed) return;
  pre.append(text.slice(start, pos));
  const mark = document.createElement("mark");
  mark.textContent = pos < end ? text.slice(pos, Math.min(stop, end)) : " ";
  pre.append(mark, text.slice(Math.min(stop, end), end));
}

function buildParamControls(pane) {
  const box = pane.editor.querySelector(".param-controls");
  box.textContent = "";
  pane.params.forEach((p, k) => {
    const label = document.createElement("label");
    const name = document.createElement("span");
    name.textContent = p.name;
    const range = document.createElement("input");
    range.type = "range";
    range.min = Math.min(0, p.value);
    range.max = Math.max(100, Math.ceil(p.value * 4));
    range.step = Number.isInteger(p.value) ? 1 : 0.1;
    range.value = p.value;
    range.dataset.param = p.name;
    const value = document.createElement("span");
    value.className = "value";
    value.textContent = p.value;
    range.addEventListener("input", () => {
      pane.params[k].value = Number(range.value);
      value.textContent = range.value;
      pane.paramsText = pane.params.map((q) => `${q.name}=${q.value}`).join(", ");
      pane.editor.querySelector(".params").value = pane.paramsText;
      compilePane(pane, false);
    });
    label.append(name, range, value);
    box.append(label);
  });
}

async function compilePane(pane, rebuildControls) {
  const index = state.panes.indexOf(pane);
  if (index < 0) return;
  pane.params = parseParams(pane.paramsText);
  const { status, data } = await api("PUT", sessionPath(`/panes/${index}`),
                                     { formula: pane.formula, params: pane.params });
  if (status !== 200) {
    pane.error = data;
    showCompileError(pane, data);
    return;
  }
  pane.error = null;
  showCompileError(pane, null);
  if (rebuildControls) buildParamControls(pane);
  render();
}

function addPaneEditor(formula, paramsText) {
  const editor = document.getElementById("pane-editor").content.firstElementChild.cloneNode(true);
  const pane = { formula, paramsText, params: [], error: null, editor, timer: null };
  const area = editor.querySelector(".formula"), params = editor.querySelector(".params");
  area.value = formula;
  params.value = paramsText;
  const changed = () => {
    pane.formula = area.value;
    pane.paramsText = params.value;
    clearTimeout(pane.timer);
    pane.timer = setTimeout(() => compilePane(pane, true), 250);
  };
  area.addEventListener("input", changed);
  params.addEventListener("input", changed);
  editor.querySelector(".remove-pane").addEventListener("click", async () => {
    const index = state.panes.indexOf(pane);
    if (index <= 0) return;
    await api("DELETE", sessionPath(`/panes/${index}`));
    state.panes.splice(index, 1);
    editor.remove();
    renamePanes();
    layoutPanes();
    render();
  });
  document.getElementById("panes").append(editor);
  state.panes.push(pane);
  renamePanes();
  return pane;
}

function renamePanes() {
  state.panes.forEach((p, i) => {
    p.editor.dataset.pane = i;
    p.editor.querySelector(".pane-name").textContent = i === 0 ? "Price pane" : `Pane ${i + 1}`;
  });
}

async function addPane(formula, paramsText) {
  const pane = addPaneEditor(formula, paramsText);
  layoutPanes();
  await compilePane(pane, true);
  if (pane.error) {
    // The server did not take the pane: drop its editor so that indexes stay in step.
    setStatus("the new pane does not compile: " + pane.error.error);
    state.panes.splice(state.panes.indexOf(pane), 1);
    pane.editor.remove();
    renamePanes();
    layoutPanes();
  }
}

// ---- Drawing tools -------------------------------------------------------

function toolLabel(name) {
  return name.replace(/^TARN_GRAPH_/, "").replace(/_/g, " ").toLowerCase();
}

function buildToolbar() {
  const bar = document.getElementById("toolbar");
  for (const t of state.catalogue) {
    const b = document.createElement("button");
    b.textContent = toolLabel(t.name);
    b.title = `${t.name} (${t.points} point${t.points > 1 ? "s" : ""})`;
    b.dataset.type = t.type;
    b.addEventListener("click", () => startPlacing(t.type));
    bar.append(b);
  }
}

function markToolbar(type) {
  for (const b of document.querySelectorAll("#toolbar button"))
    b.classList.toggle("active", String(type) === b.dataset.type);
}

async function cancelPlacing() {
  if (state.placing === null) return;
  const id = state.placing;
  state.placing = null;
  markToolbar(null);
  await api("DELETE", sessionPath(`/tools/${id}`));
  render();
}

async function startPlacing(type) {
  await cancelPlacing();
  const request = { type, view: view() };
  if (type === 1000) {  // the text marker asks for its text
    const text = window.prompt("Text of the marker", "note");
    if (!text) return;
    request.text = text;
  }
  const { status, data } = await api("POST", sessionPath("/tools"), request);
  if (status !== 200) { setStatus(data.error); return; }
  state.placing = data.id;
  state.selected = null;
  markToolbar(type);
  replaceTool(data);
  canvas.focus();
}

async function toolInput(id, action, body) {
  body.view = view();
  const { status, data } = await api("POST", sessionPath(`/tools/${id}/${action}`), body);
  if (status === 200) replaceTool(data);
  return { status, data };
}

let pendingMove = null;
const sendMove = serialised(async () => {
  const move = pendingMove;
  pendingMove = null;
  if (!move) return;
  if (move.kind === "preview" && state.placing !== null) {
    await toolInput(state.placing, "preview", { x: move.x, y: move.y });
  } else if (move.kind === "drag") {
    const d = move.drag;  // still sent when the button was released meanwhile
    await toolInput(d.id, "drag", { fromX: d.x, fromY: d.y, toX: move.x, toY: move.y });
    d.x = move.x; d.y = move.y;
  }
});

async function deleteSelected() {
  if (state.selected === null) return;
  await api("DELETE", sessionPath(`/tools/${state.selected}`));
  state.selected = null;
  render();
}

async function saveTools() {
  const { status, data } = await api("GET", sessionPath("/tools-file"));
  if (status !== 200) { setStatus(data.error); return; }
  state.lastSaved = JSON.stringify(data, null, 1);
  const link = document.createElement("a");
  link.href = URL.createObjectURL(new Blob([state.lastSaved], { type: "application/json" }));
  link.download = "tools.json";
  link.click();
  setTimeout(() => URL.revokeObjectURL(link.href), 1000);
}

async function loadTools(text) {
  let file;
  try { file = JSON.parse(text); } catch (e) { setStatus("not a tools file: " + e.message); return; }
  if (file && typeof file === "object" && !Array.isArray(file)) file.view = view();
  const { status, data } = await api("PUT", sessionPath("/tools-file"), file);
  if (status !== 200) { setStatus(data.error); return; }
  state.placing = null;
  state.selected = null;
  render();
}

// ---- Mouse and keys ------------------------------------------------------

function mousePos(e) {
  const r = canvas.getBoundingClientRect();
  return { x: e.clientX - r.left, y: e.clientY - r.top };
}

canvas.addEventListener("mousedown", async (e) => {
  if (e.button !== 0 || !state.result) return;
  const p = mousePos(e);
  canvas.focus();
  const pane = paneAt(p.y);
  if (state.placing !== null) {
    if (pane !== 0) return;
    const id = state.placing;
    const { data } = await toolInput(id, "click", { x: p.x, y: p.y });
    if (data && data.complete) {
      state.placing = null;
      state.selected = id;
      markToolbar(null);
      paint();
    }
    return;
  }
  if (pane === 0) {
    // Until the server says what is under the mouse, the press is pending.
    const pending = { kind: "pending" };
    state.drag = pending;
    const { data } = await api("POST", sessionPath("/pick"), { view: view(), x: p.x, y: p.y });
    const hit = data && data.tool !== null && data.tool !== undefined;
    state.selected = hit ? data.tool : null;
    if (state.drag !== pending) { paint(); return; }  // released meanwhile: a click selects
    if (hit) {
      state.drag = { kind: "tool", id: data.tool, x: p.x, y: p.y };
      paint();
      return;
    }
  }
  if (pane >= 0) state.drag = { kind: "scroll", x: p.x, first: state.first, last: state.last };
  paint();
});

window.addEventListener("mouseup", () => {
  const was = state.drag;
  state.drag = null;
  if (was && was.kind === "scroll") render();
  if (was && was.kind === "tool") paint();
});

canvas.addEventListener("mousemove", (e) => {
  const p = mousePos(e);
  state.mouse = p;
  const d = state.drag;
  if (d && d.kind === "scroll" && state.layout.length) {
    const bw = state.layout[0].width / (d.last - d.first + 1);
    const n = state.bars.count, span = d.last - d.first;
    const shift = Math.round((d.x - p.x) / bw);
    const first = Math.max(0, Math.min(n - 1 - span, d.first + shift));
    if (first !== state.first) {
      state.first = first;
      state.last = first + span;
      render();
    }
    return;
  }
  if (d && d.kind === "tool") {
    pendingMove = { kind: "drag", drag: d, x: p.x, y: p.y };
    sendMove();
    return;
  }
  if (state.placing !== null) {
    pendingMove = { kind: "preview", x: p.x, y: p.y };
    sendMove();
    return;
  }
  paint();
});

canvas.addEventListener("mouseleave", () => { state.mouse = null; paint(); });

// The wheel zooms around the bar under the mouse.
canvas.addEventListener("wheel", (e) => {
  e.preventDefault();
  if (!state.layout.length) return;
  const n = state.bars.count;
  const span = state.last - state.first + 1;
  const m = mapper(state.layout[0], 0, 1);
  const anchor = m.bar(mousePos(e).x);
  const next = Math.max(10, Math.min(n, Math.round(span * (e.deltaY > 0 ? 1.15 : 1 / 1.15))));
  if (next === span) return;
  const ratio = (anchor - state.first) / span;
  let first = Math.round(anchor - ratio * next);
  first = Math.max(0, Math.min(n - next, first));
  state.first = first;
  state.last = first + next - 1;
  render();
}, { passive: false });

document.addEventListener("keydown", (e) => {
  if (e.target.tagName === "TEXTAREA" || e.target.tagName === "INPUT") return;
  if (e.key === "Escape") cancelPlacing();
  if (e.key === "Delete" || e.key === "Backspace") deleteSelected();
});

window.addEventListener("resize", () => { layoutPanes(); render(); });

// ---- Start ------------------------------------------------------------

async function start() {
  const bars = await api("GET", "/api/bars");
  state.bars = bars.data;
  state.catalogue = (await api("GET", "/api/catalogue")).data.tools;
  state.session = (await api("POST", "/api/sessions", {})).data.session;
  buildToolbar();
  state.last = state.bars.count - 1;
  state.first = Math.max(0, state.last - 149);
  document.getElementById("add-pane").addEventListener("click", () => addPane("DIF:EMA(CLOSE,12)-EMA(CLOSE,26);\nDEA:EMA(DIF,9);", ""));
  document.getElementById("delete-tool").addEventListener("click", deleteSelected);
  document.getElementById("save-tools").addEventListener("click", saveTools);
  document.getElementById("load-tools").addEventListener("change", (e) => {
    const file = e.target.files[0];
    if (!file) return;
    file.text().then(loadTools);
    e.target.value = "";
  });
  await addPane("DRAWKLINE(HIGH,OPEN,LOW,CLOSE);\nMA5:MA(CLOSE,5);\nMA20:MA(CLOSE,N);", "N=20");
  await addPane("VOL,VOLSTICK;\nMAVOL:MA(VOL,10);", "");
  state.started = true;
}

// What the page did, for the browser tests.
window.abacorTest = {
  idle: () => state.started === true && state.busy === 0,
  session: () => state.session,
  view: () => view(),
  drawn: () => state.drawn,
  layout: () => state.layout,
  hover: (x, y) => { state.mouse = { x, y }; paint(); },
  setView: (first, last) => { state.first = first; state.last = last; render(); },
  result: () => state.result,
  placing: () => state.placing,
  selected: () => state.selected,
  lastSaved: () => state.lastSaved,
  loadTools: (text) => loadTools(text),
};

start().catch((e) => setStatus("failed to start: " + e.message));
