#!/usr/bin/env node
// The site of a report in a real browser: Debian's chromium, headless, driven
// by playwright-core, pages opened from disk (file://) as a person would.
//
// usage: browser-test.js --xrdtool BIN --report REPORT.xrd --work DIR [--driver NAME] [--screenshots DIR]
//                        [--series GEN_SERIES]
//
// Writes the site with `xrdtool html`, then checks on index.html and the
// driver's page: no console error (a content security policy violation is
// one), the summary numbers equal the report's, failed entries open and passed
// ones closed, "Failed only" hides passed and inconclusive results, the name
// filter, expand/collapse all, sorting of the index table, every link on the
// page resolves; with scripting disabled every counted result of the report is
// in the pages. On the failures page: the filter, and a link to a result shows
// it. The load time of index, failures and driver pages is reported (not
// asserted). --screenshots: saves index.png and driver.png there.
//
// --series: also a site with a history (html --history): nightly reports of
// the report made by bench/qv_gen_series, all but the last added to a store,
// the last one's site written against it. The trend shows one bar group per
// run with its title and colours, the flaky list is sorted by flips and links
// to its results, every failed result carries its streak and note, failed
// and flaky results their strip of statuses; no console error, with
// scripting off too. --screenshots: history.png of that site's index.
'use strict';

const fs = require('fs');
const os = require('os');
const path = require('path');
const { execFileSync } = require('child_process');
const { pathToFileURL, fileURLToPath } = require('url');
const { chromium } = require('playwright-core');
const { checkSite, reportSummary, scanPage } = require('./site-check');
const { loadOnce, median } = require('./page-times');

function option(name, fallback) {
  const i = process.argv.indexOf(name);
  return i >= 0 ? process.argv[i + 1] : fallback;
}
const xrdtool = option('--xrdtool');
const report = option('--report');
const work = option('--work');
const driverName = option('--driver', 'thermostat_tests');
const shots = option('--screenshots');
const generator = option('--series');
if (!xrdtool || !report || !work) {
  console.error('usage: browser-test.js --xrdtool BIN --report REPORT.xrd --work DIR [--driver NAME] [--screenshots DIR] ' +
    '[--series GEN_SERIES]');
  process.exit(2);
}

let passed = 0;
let failed = 0;
/// One named check: counts it and says what went wrong.
function check(name, ok, detail) {
  if (ok) {
    passed++;
  } else {
    failed++;
    console.log(`FAILED: ${name}${detail === undefined ? '' : ': ' + detail}`);
  }
}

const launchArgs = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'];

async function withBrowser(options, body) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'xrdtool-browser-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium', headless: true, args: launchArgs,
    viewport: { width: 1100, height: 800 }, ...options });
  try {
    return await body(context);
  } finally {
    await context.close();
    fs.rmSync(profile, { recursive: true, force: true });
  }
}

/// Opens a page from disk and records console errors, page errors and failed loads.
async function open(context, file) {
  const page = await context.newPage();
  const errors = [];
  page.on('console', (m) => { if (m.type() === 'error') errors.push(m.text()); });
  page.on('pageerror', (e) => errors.push(e.message));
  page.on('requestfailed', (r) => errors.push('failed to load ' + r.url()));
  await page.goto(pathToFileURL(file).href, { waitUntil: 'load' });
  return { page, errors };
}

/// Every link of the open page: the file exists and, with a fragment, holds that id.
async function checkLinks(page, label) {
  const hrefs = await page.$$eval('a[href], link[href], script[src]', (els) => els.map((e) => e.href || e.src));
  const bad = [];
  for (const href of hrefs) {
    const url = new URL(href);
    if (url.protocol !== 'file:') { bad.push(href); continue; }
    const file = fileURLToPath(url);
    if (!fs.existsSync(file)) { bad.push(href); continue; }
    if (url.hash) {
      const ids = scanPage(fs.readFileSync(file, 'utf8')).ids;
      if (!ids.has(decodeURIComponent(url.hash.slice(1)))) bad.push(href);
    }
  }
  check(`${label}: every link resolves (${hrefs.length})`, bad.length === 0 && hrefs.length > 0, bad.join(' '));
}

async function main() {
  const site = path.join(work, 'site');
  fs.rmSync(work, { recursive: true, force: true });
  fs.mkdirSync(work, { recursive: true });
  execFileSync(xrdtool, ['html', report, '-o', site], { stdio: 'inherit' });
  const expected = reportSummary(fs.readFileSync(report, 'utf8'));
  const driverFile = path.join(site, 'p', driverName + '.html');

  const { problems } = checkSite(site);
  check('static site checks', problems.length === 0, problems.join('; '));

  await withBrowser({}, async (context) => {
    const { page, errors } = await open(context, path.join(site, 'index.html'));
    const summary = await page.$eval('#summary', (e) => ({
      passed: +e.dataset.passed, inconclusive: +e.dataset.inconclusive, failed: +e.dataset.failed, total: +e.dataset.total }));
    check('index: summary equals the report\'s summary rows', JSON.stringify(summary) === JSON.stringify(expected),
      JSON.stringify(summary) + ' vs ' + JSON.stringify(expected));
    check('index: no data-status', (await page.$$('[data-status]')).length === 0);
    if (shots) await page.screenshot({ path: path.join(shots, 'index.png'), fullPage: true });
    check('index: the style sheet applies', await page.$eval('body', (b) => getComputedStyle(b).maxWidth) === '1200px');
    // Sorting: a click on "Name" orders the rows by name, a second click reverses them.
    const names = () => page.$$eval('table.index tbody tr td:nth-child(2)', (tds) => tds.map((t) => t.textContent));
    await page.click('table.index th:nth-child(2)');
    const ascending = await names();
    check('index: sorting by name', JSON.stringify(ascending) === JSON.stringify([...ascending].sort((a, b) => a.localeCompare(b))), ascending.join(','));
    await page.click('table.index th:nth-child(2)');
    check('index: sorting again reverses', JSON.stringify(await names()) === JSON.stringify([...ascending].reverse()));
    await checkLinks(page, 'index');
    check('index: no console error', errors.length === 0, errors.join(' | '));

    const d = await open(context, driverFile);
    const dp = d.page;
    const notOpen = await dp.$$eval('details.entry.s-failed', (els) => els.filter((e) => !e.open).length);
    check('driver: failed entries are open', notOpen === 0 && (await dp.$$('details.entry.s-failed')).length > 0);
    check('driver: passed results are closed', await dp.$$eval('details[data-status="passed"]', (els) => els.every((e) => !e.open)));
    if (shots) await dp.screenshot({ path: path.join(shots, 'driver.png'), fullPage: true });
    // Colour follows each result's own status, also inside a failed entry.
    const badges = await dp.$$eval('details.entry.s-failed .st.s-passed, details.entry.s-failed .st.s-failed',
      (els) => els.map((e) => e.classList.contains('s-passed') + ':' + getComputedStyle(e).backgroundColor));
    const colours = new Map(badges.map((b) => b.split(':')));
    check('driver: passed and failed badges differ in colour inside a failed entry',
      colours.size === 2 && colours.get('true') !== colours.get('false'), badges.join(' '));
    const visible = (selector) => dp.$$eval(selector, (els) => els.filter((e) => e.checkVisibility()).length);
    check('driver: passed results shown at first', (await visible('[data-status="passed"]')) > 0);
    await dp.getByRole('button', { name: 'Failed only' }).click();
    check('driver: "Failed only" hides passed results', (await visible('[data-status="passed"]')) === 0);
    check('driver: "Failed only" hides inconclusive results', (await visible('[data-status="inconclusive"]')) === 0);
    const failedCount = (await dp.$$('[data-status="failed"]')).length;
    check('driver: "Failed only" keeps failed results', failedCount > 0 && (await visible('[data-status="failed"]')) === failedCount);
    await dp.getByRole('button', { name: 'Failed only' }).click();
    check('driver: "Failed only" again shows all', (await visible('[data-status="passed"]')) > 0);
    await dp.getByRole('button', { name: 'Expand all' }).click();
    check('driver: expand all', await dp.$$eval('details.entry', (els) => els.every((e) => e.open)));
    await dp.getByRole('button', { name: 'Collapse all' }).click();
    check('driver: collapse all', await dp.$$eval('details.entry', (els) => els.every((e) => !e.open)));
    await dp.getByRole('button', { name: 'Expand all' }).click();
    const shownNames = () => dp.$$eval('[data-status]', (els) => els.filter((e) => e.checkVisibility()).map((e) => e.querySelector('.name').textContent));
    const all = await shownNames();
    const wanted = all[all.length - 1];
    await dp.fill('input[type="search"]', wanted.toUpperCase());
    const shown = await shownNames();
    check('driver: the name filter keeps only matching results', shown.length > 0 && shown.length < all.length &&
      shown.every((n) => n.toLowerCase().includes(wanted.toLowerCase())), shown.join(','));
    await dp.fill('input[type="search"]', '');
    check('driver: an empty filter shows all again', (await shownNames()).length === all.length);
    await checkLinks(dp, 'driver');
    check('driver: no console error', d.errors.length === 0, d.errors.join(' | '));

    // The failures page: its filter, and a link to a result lands on it,
    // though entries off screen are laid out only when they come near.
    const f = await open(context, path.join(site, 'failures.html'));
    const fp = f.page;
    const items = () => fp.$$eval('ul.failures > li', (els) => els.filter((e) => e.checkVisibility()).map((e) => e.querySelector('.name').textContent));
    const listed = await items();
    const last = listed[listed.length - 1];
    await fp.fill('input[type="search"]', last);
    const kept = await items();
    check('failures: the name filter keeps only matching results', kept.length > 0 && kept.length < listed.length &&
      kept.every((n) => n.includes(last)), kept.join(','));
    await fp.fill('input[type="search"]', '');
    check('failures: an empty filter shows all again', (await items()).length === listed.length);
    const target = await fp.$eval('ul.failures > li:last-child a', (a) => a.getAttribute('href'));
    await fp.click('ul.failures > li:last-child a');
    await fp.waitForURL((u) => u.hash !== '');
    const box = await fp.$eval(':target', (e) => { const r = e.getBoundingClientRect(); return { top: r.top, bottom: r.bottom, h: innerHeight }; });
    check(`failures: the link ${target} shows its result`, box.top >= 0 && box.top < box.h, JSON.stringify(box));
    check('failures: no console error', f.errors.length === 0, f.errors.join(' | '));
  });

  // Dark mode follows the browser's preference; paper is light.
  await withBrowser({ colorScheme: 'dark' }, async (context) => {
    const { page } = await open(context, path.join(site, 'index.html'));
    const background = () => page.$eval('body', (b) => getComputedStyle(b).backgroundColor);
    check('dark mode: a dark background', await background() === 'rgb(13, 17, 23)', await background());
    await page.emulateMedia({ media: 'print', colorScheme: 'dark' });
    check('print: a white background', await background() === 'rgb(255, 255, 255)', await background());
  });

  // Without scripting every page is whole: each counted result is there.
  await withBrowser({ javaScriptEnabled: false }, async (context) => {
    const counts = { passed: 0, inconclusive: 0, failed: 0 };
    const pages = fs.readdirSync(path.join(site, 'p')).filter((f) => f.endsWith('.html'));
    for (const f of pages) {
      const { page, errors } = await open(context, path.join(site, 'p', f));
      for (const k of Object.keys(counts)) counts[k] += (await page.$$(`[data-status="${k}"]`)).length;
      check(`no script, ${f}: no tool bar`, (await page.$$('.tools')).length === 0);
      check(`no script, ${f}: no console error`, errors.length === 0, errors.join(' | '));
      await page.close();
    }
    for (const k of Object.keys(counts))
      check(`no script: every ${k} result is in the pages`, counts[k] === expected[k], `${counts[k]} vs ${expected[k]}`);
  });

  if (generator) await historySite();
  await reportTimes([path.join(site, 'index.html'), path.join(site, 'failures.html'), driverFile]);

  console.log(`${passed} passed, ${failed} failed`);
  process.exit(failed ? 1 : 0);
}

/// Reports (asserts nothing: bench/run pages holds the bounds) the load event
/// of pages, with and without scripting, median of three, and the machine's load.
async function reportTimes(files) {
  const times = new Map(files.map((f) => [f, {}]));
  for (const scripting of [true, false]) {
    await withBrowser({ javaScriptEnabled: scripting }, async (context) => {
      for (const f of files) {
        const runs = [];
        for (let i = 0; i < 3; i++) runs.push(await loadOnce(context, f));
        times.get(f)[scripting ? 'ready' : 'noScript'] = Math.round(median(runs.map((r) => r.ready)));
        times.get(f).elements = runs[0].elements;
      }
    });
  }
  const load = fs.readFileSync('/proc/loadavg', 'utf8').split(' ')[0];
  for (const [f, t] of times)
    console.log(`page time: ${path.relative(work, f)}: ${t.elements} elements, ready ${t.ready} ms, ` +
      `no script ${t.noScript} ms (load average ${load})`);
}

/// The site of the newest of twelve nights, written against a store of the
/// eleven before it.
async function historySite() {
  const nights = path.join(work, 'nights');
  const store = path.join(work, 'history.db');
  const site = path.join(work, 'history-site');
  fs.mkdirSync(nights, { recursive: true });
  execFileSync(generator, [report, nights, '12', '--flaky', '3', '--failing', '3', '--share', '0.3'], { stdio: 'ignore' });
  const files = fs.readdirSync(nights).filter((f) => f.endsWith('.xrd')).sort().map((f) => path.join(nights, f));
  execFileSync(xrdtool, ['history', 'import', '--db', store, ...files.slice(0, 11)], { stdio: 'inherit' });
  execFileSync(xrdtool, ['html', files[11], '-o', site, '--history', store], { stdio: 'inherit' });
  const { problems } = checkSite(site);
  check('history: static site checks', problems.length === 0, problems.join('; '));
  const pages = fs.readdirSync(path.join(site, 'p')).filter((f) => f.endsWith('.html'));

  for (const scripting of [true, false]) {
    const label = scripting ? 'history' : 'history, no script';
    await withBrowser({ javaScriptEnabled: scripting }, async (context) => {
      const { page, errors } = await open(context, path.join(site, 'index.html'));
      const runs = await page.$$eval('#trend [data-run]', (els) => els.map((e) => ({
        title: (e.querySelector('title') || {}).textContent || '',
        fills: [...e.querySelectorAll('rect')].map((r) => getComputedStyle(r).fill) })));
      check(`${label}: the trend has one element per run`, runs.length === 12, String(runs.length));
      check(`${label}: each run of the trend has its title`, runs.every((r) => /\d+ passed, \d+ inconclusive, \d+ failed$/.test(r.title)));
      const fills = new Set(runs.flatMap((r) => r.fills));
      check(`${label}: the trend's bars take the style sheet's three colours`, fills.size === 3 && !fills.has('rgb(0, 0, 0)'),
        [...fills].join(' '));
      const box = await page.$eval('#trend', (e) => e.getBoundingClientRect().height);
      check(`${label}: the trend is drawn`, box > 50, String(box));
      const flips = await page.$$eval('#flaky > li', (els) => els.map((e) => +e.dataset.flips));
      check(`${label}: the flaky list, most flips first`, flips.length > 0 && flips.every((f, i) => f >= 3 && (i === 0 || flips[i - 1] >= f)),
        flips.join(','));
      check(`${label}: every flaky item has its badge and strip`,
        await page.$$eval('#flaky > li', (els) => els.every((e) => e.querySelector('.flaky-badge') && e.querySelector('.strip'))));
      if (scripting && shots) await page.screenshot({ path: path.join(shots, 'history.png'), fullPage: true });
      await checkLinks(page, `${label}: index`);
      check(`${label}: index: no console error`, errors.length === 0, errors.join(' | '));

      let failedResults = 0;
      let strips = 0;
      for (const f of pages) {
        const d = await open(context, path.join(site, 'p', f));
        const failedEntries = await d.page.$$eval('[data-status="failed"]', (els) => els.map((e) => ({
          streak: e.dataset.streak,
          note: (e.querySelector(':scope > summary > .note, :scope > .head > .note') || {}).textContent || '' })));
        failedResults += failedEntries.length;
        check(`${label}, ${f}: every failed result carries its streak and note`,
          failedEntries.every((e) => /^\d+$/.test(e.streak) &&
            /^\((new|failing for \d+ runs since [0-9a-f]{12}|flaky: \d+ flips in the last \d+ runs)\)$/.test(e.note)),
          JSON.stringify(failedEntries));
        // A strip holds one glyph per run its title counts, and shows them on one line.
        const found = await d.page.$$eval('.strip', (els) => els.map((e) => ({
          glyphs: [...e.textContent].length, runs: +(/the last (\d+) runs/.exec(e.title) || [0, -1])[1],
          lines: Math.round(e.getBoundingClientRect().height / parseFloat(getComputedStyle(e).lineHeight || '20')) })));
        strips += found.length;
        check(`${label}, ${f}: each strip holds a glyph per run`, found.every((s) => s.glyphs === s.runs && s.runs > 1),
          JSON.stringify(found));
        check(`${label}, ${f}: no console error`, d.errors.length === 0, d.errors.join(' | '));
        await d.page.close();
      }
      check(`${label}: failed results carry notes`, failedResults > 0);
      check(`${label}: strips on failed and flaky results`, strips >= failedResults && strips > 0, `${strips} for ${failedResults}`);
    });
  }
}

main().catch((e) => {
  console.error(e);
  process.exit(1);
});
