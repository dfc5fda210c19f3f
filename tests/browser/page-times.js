#!/usr/bin/env node
// How long the pages of a site take in a real browser (Debian's chromium,
// headless, pages opened from file:// as a person would): per page its bytes,
// its elements, the load event with and without scripting (navigation timing,
// median of the runs), and on the page with the most elements how long "Failed
// only", "Expand all" and the name filter take until the next frame is drawn.
//
// usage: page-times.js [--runs N] [--all | --largest K] [--bound MS [--confirm]] [--action-bound MS]
//                      [--json FILE] SITE_DIR|PAGE.html...
//   a folder: its index.html, failures.html and its K largest pages by elements
//   (--largest, 4 by default), or every page (--all); a page: that page.
//   --runs: loads per page and mode, the median is kept (3).
//   --bound / --action-bound: exit 1 when a page's load (ms) or an action
//   (ms) takes longer; without them nothing is asserted. --confirm: a page
//   whose first load is over the bound is loaded three times and the median
//   kept (a busy machine's one slow load is no slow page); the table says so.
//   The actions are timed on each site's section page with the most elements
//   and on its failures page, median of at least 3.
//   --json: also writes every number to FILE.
// The machine's load average is printed with the numbers.
'use strict';

const fs = require('fs');
const os = require('os');
const path = require('path');
const { pathToFileURL } = require('url');
const { chromium } = require('playwright-core');

const launchArgs = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'];

function parseArgs(argv) {
  const o = { runs: 3, largest: 4, all: false, bound: 0, actionBound: 0, json: '', confirm: false, targets: [] };
  for (let i = 0; i < argv.length; i++) {
    const a = argv[i];
    if (a === '--runs') o.runs = Math.max(1, +argv[++i]);
    else if (a === '--largest') o.largest = +argv[++i];
    else if (a === '--all') o.all = true;
    else if (a === '--bound') o.bound = +argv[++i];
    else if (a === '--action-bound') o.actionBound = +argv[++i];
    else if (a === '--json') o.json = argv[++i];
    else if (a === '--confirm') o.confirm = true;
    else if (a.startsWith('--')) throw new Error('unknown option ' + a);
    else o.targets.push(a);
  }
  if (!o.targets.length) throw new Error('no site or page given');
  return o;
}

/// The pages to measure of one target, each { file, label }.
function pagesOf(target, o) {
  if (!fs.statSync(target).isDirectory()) return [{ file: path.resolve(target), label: path.basename(target) }];
  const top = fs.readdirSync(target).filter((f) => f.endsWith('.html'));
  const sub = fs.existsSync(path.join(target, 'p')) ?
    fs.readdirSync(path.join(target, 'p')).filter((f) => f.endsWith('.html')).map((f) => 'p/' + f) : [];
  // Tags counted in the text pick the largest pages without loading them all.
  const all = top.concat(sub).map((f) => ({ rel: f, tags: (fs.readFileSync(path.join(target, f), 'latin1').match(/<[a-zA-Z]/g) || []).length }));
  let chosen;
  if (o.all) {
    chosen = all;
  } else {
    const named = all.filter((p) => p.rel === 'index.html' || p.rel === 'failures.html');
    const rest = all.filter((p) => !named.includes(p)).sort((a, b) => b.tags - a.tags || (a.rel < b.rel ? -1 : 1));
    chosen = named.concat(rest.slice(0, o.largest));
  }
  chosen.sort((a, b) => (a.rel < b.rel ? -1 : a.rel > b.rel ? 1 : 0));
  return chosen.map((p) => ({ file: path.join(path.resolve(target), p.rel), label: p.rel, dir: target }));
}

function median(values) {
  const v = [...values].sort((a, b) => a - b);
  return v.length % 2 ? v[(v.length - 1) / 2] : (v[v.length / 2 - 1] + v[v.length / 2]) / 2;
}

async function withContext(scripting, body) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'xrdtool-times-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium', headless: true, args: launchArgs,
    viewport: { width: 1100, height: 800 }, javaScriptEnabled: scripting });
  try {
    return await body(context);
  } finally {
    await context.close();
    fs.rmSync(profile, { recursive: true, force: true });
  }
}

/// One load of a page in a fresh tab: the load event's time from navigation
/// timing, and the number of elements. Page scripts may be off; the probe
/// runs in the tool's own world all the same.
async function loadOnce(context, file) {
  const page = await context.newPage();
  try {
    await page.goto(pathToFileURL(file).href, { waitUntil: 'load', timeout: 120000 });
    return await page.evaluate(() => {
      const nav = performance.getEntriesByType('navigation')[0];
      return { ready: nav.loadEventEnd, elements: document.getElementsByTagName('*').length };
    });
  } finally {
    await page.close();
  }
}

/// Time (ms) from an action to the frame drawn after it, in the page.
async function timeAction(page, action) {
  return page.evaluate(async (what) => {
    const frame = () => new Promise((r) => requestAnimationFrame(() => setTimeout(r, 0)));
    await frame();
    const t0 = performance.now();
    if (what.button) {
      const b = [...document.querySelectorAll('.tools button')].find((e) => e.textContent === what.button);
      if (!b) return -1;
      b.click();
    } else {
      const input = document.querySelector('.tools input[type="search"]');
      if (!input) return -1;
      input.value = what.filter;
      input.dispatchEvent(new Event('input', { bubbles: true }));
    }
    // The layout the action asks for is forced here, as drawing the frame would.
    document.body.getBoundingClientRect();
    await frame();
    return performance.now() - t0;
  }, action);
}

/// The actions of the tool bar on one page, each the median of `runs`, undone between runs.
async function measureActions(context, file, runs) {
  const page = await context.newPage();
  try {
    await page.goto(pathToFileURL(file).href, { waitUntil: 'load', timeout: 120000 });
    // A page without results or entries (no failures) has no tool bar.
    if (!(await page.$('[data-status], details.entry'))) return { failedOnly: -1, expandAll: -1, filter: -1 };
    try {
      await page.waitForSelector('.tools', { timeout: 10000 });
    } catch (e) {
      throw new Error(`${file}: no tool bar after 10 s`);
    }
    const needle = await page.evaluate(() => {
      const names = document.querySelectorAll('[data-status] .name');
      const last = names[names.length - 1];
      return last ? last.textContent.slice(0, 12) : 'x';
    });
    const out = {};
    const steps = [['failedOnly', { button: 'Failed only' }, { button: 'Failed only' }],
      ['expandAll', { button: 'Expand all' }, { button: 'Collapse all' }],
      ['filter', { filter: needle }, { filter: '' }]];
    for (const [name, action, undo] of steps) {
      const times = [];
      for (let r = 0; r < runs; r++) {
        times.push(await timeAction(page, action));
        await timeAction(page, undo);
      }
      out[name] = median(times);
    }
    return out;
  } finally {
    await page.close();
  }
}

async function main() {
  const o = parseArgs(process.argv.slice(2));
  const pages = o.targets.flatMap((t) => pagesOf(t, o));
  const load = () => fs.readFileSync('/proc/loadavg', 'utf8').split(' ').slice(0, 3).join(' ');
  const loadBefore = load();
  const rows = pages.map((p) => ({ page: p.label, site: p.dir || '', file: p.file, bytes: fs.statSync(p.file).size }));
  for (const scripting of [true, false]) {
    await withContext(scripting, async (context) => {
      for (const row of rows) {
        const times = [];
        for (let r = 0; r < o.runs || (o.confirm && r < 3 && times[0] > o.bound); r++) {
          const m = await loadOnce(context, row.file);
          times.push(m.ready);
          row.elements = m.elements;
        }
        row[scripting ? 'ready' : 'noScript'] = Math.round(median(times));
        if (times.length > o.runs) row.confirmed = true;
      }
    });
  }
  // The actions on the section page with the most elements of each site and
  // on its first failures page.
  const actions = [];
  const bySite = new Map();
  for (const row of rows) {
    if (row.site && !/^p\//.test(row.page)) continue;
    const best = bySite.get(row.site);
    if (!best || row.elements > best.elements) bySite.set(row.site, row);
  }
  const acted = [...bySite.values()].concat(rows.filter((r) => r.site && r.page === 'failures.html'));
  await withContext(true, async (context) => {
    for (const row of acted) {
      const a = await measureActions(context, row.file, Math.max(o.runs, 3));
      actions.push({ site: row.site, page: row.page, elements: row.elements, ...a });
    }
  });
  const loadAfter = load();

  console.log(`page times: chromium ${chromium.name()}, median of ${o.runs}, load average before ${loadBefore}, after ${loadAfter}`);
  console.log('| site | page | bytes | elements | ready ms | no-script ms |');
  console.log('|---|---|---|---|---|---|');
  for (const r of rows)
    console.log(`| ${r.site} | ${r.page} | ${r.bytes} | ${r.elements} | ${r.ready} | ${r.noScript} |` +
      (r.confirmed ? ' (over the bound once: median of 3)' : ''));
  const ms = (v) => (v < 0 ? 'n/a' : v.toFixed(0) + ' ms');
  for (const a of actions) {
    console.log(`actions on ${a.site} ${a.page} (${a.elements} elements): Failed only ${ms(a.failedOnly)}, ` +
      `Expand all ${ms(a.expandAll)}, filter ${ms(a.filter)}`);
  }
  const slowest = rows.reduce((m, r) => Math.max(m, r.ready, r.noScript), 0);
  const slowestAction = actions.reduce((m, a) => Math.max(m, a.failedOnly, a.expandAll, a.filter), 0);
  console.log(`slowest page ${slowest} ms (target <= 1000 ms), slowest action ${slowestAction.toFixed(0)} ms ` +
    '(target <= 200 ms)');
  if (o.json) fs.writeFileSync(o.json, JSON.stringify({ loadBefore, loadAfter, runs: o.runs, rows, actions }, null, 1));
  let bad = false;
  if (o.bound && slowest > o.bound) { console.log(`OVER: a page takes ${slowest} ms, over ${o.bound} ms`); bad = true; }
  if (o.actionBound && slowestAction > o.actionBound) {
    console.log(`OVER: an action takes ${slowestAction.toFixed(0)} ms, over ${o.actionBound} ms`);
    bad = true;
  }
  process.exit(bad ? 1 : 0);
}

module.exports = { loadOnce, measureActions, median, withContext };

if (require.main === module) {
  main().catch((e) => {
    console.error(e.message || e);
    process.exit(2);
  });
}
