// Static checks over a site written by xrdtool html, without a browser: sizes,
// results and elements per page, links and anchors, nesting depth, and the rules that keep
// the site safe under a strict content security policy. Used by the browser
// test and, on its own (check-site.js), on generated campaigns.
'use strict';

const fs = require('fs');
const path = require('path');

const PageByteLimit = 2 * 1024 * 1024;
const PageResultLimit = 5000;
const MaxNesting = 64;
const PageElementLimit = 40000;

/// Every file of the site, relative to its folder.
function listFiles(dir, sub = '') {
  const out = [];
  for (const e of fs.readdirSync(path.join(dir, sub), { withFileTypes: true })) {
    const rel = sub ? sub + '/' + e.name : e.name;
    if (e.isDirectory()) out.push(...listFiles(dir, rel));
    else out.push(rel);
  }
  return out.sort();
}

/// The tags of a page: our pages escape < and " in every text, so each < opens a tag.
function* tags(html) {
  const re = /<(\/?)([a-zA-Z][a-zA-Z0-9]*)([^>]*)>/g;
  let m;
  while ((m = re.exec(html))) yield { closing: m[1] === '/', name: m[2].toLowerCase(), attrs: m[3], index: m.index };
}

function attributes(text) {
  const out = new Map();
  const re = /([a-zA-Z_:][-a-zA-Z0-9_:.]*)(?:\s*=\s*"([^"]*)")?/g;
  let m;
  while ((m = re.exec(text))) out.set(m[1].toLowerCase(), m[2] === undefined ? '' : m[2]);
  return out;
}

function unescape(value) {
  return value.replace(/&quot;/g, '"').replace(/&#39;/g, "'").replace(/&lt;/g, '<').replace(/&gt;/g, '>').replace(/&amp;/g, '&');
}

/// What one page holds: ids, links, data-status counts, deepest <details>.
function scanPage(html) {
  const page = { ids: new Set(), duplicateIds: [], links: [], status: { passed: 0, inconclusive: 0, failed: 0 },
    maxNesting: 0, problems: [], summary: null, flat: 0, elements: 0 };
  let depth = 0;
  let openScript = null;
  for (const t of tags(html)) {
    if (t.name === 'details') {
      depth += t.closing ? -1 : 1;
      if (depth > page.maxNesting) page.maxNesting = depth;
    }
    if (t.closing) {
      if (t.name === 'script' && openScript !== null && html.slice(openScript, t.index).trim() !== '')
        page.problems.push('inline script');
      continue;
    }
    page.elements++;
    const a = attributes(t.attrs);
    if (t.name === 'style') page.problems.push('a <style> element');
    if (t.name === 'script') {
      if (!a.has('src')) page.problems.push('a <script> without src');
      if (a.get('type') === 'module') page.problems.push('a module script');
      openScript = t.index + t.name.length + t.attrs.length + 2;
    }
    for (const [name, value] of a) {
      if (name === 'style') page.problems.push('a style attribute');
      if (name.startsWith('on')) page.problems.push('an event handler attribute ' + name);
      if (['href', 'src', 'action', 'xlink:href', 'srcset', 'poster', 'data'].includes(name)) {
        const url = unescape(value);
        if (/^[a-zA-Z][a-zA-Z0-9+.-]*:/.test(url) || url.startsWith('//'))
          page.problems.push('an external or scripted URL ' + url);
        if (name === 'href' || name === 'src') page.links.push(url);
      }
    }
    if (a.has('id')) {
      const id = unescape(a.get('id'));
      if (page.ids.has(id)) page.duplicateIds.push(id);
      page.ids.add(id);
    }
    if (a.has('data-status')) {
      const s = a.get('data-status');
      if (!(s in page.status)) page.problems.push('data-status="' + s + '"');
      else page.status[s]++;
    }
    if (a.get('id') === 'summary')
      page.summary = { passed: +a.get('data-passed'), inconclusive: +a.get('data-inconclusive'),
        failed: +a.get('data-failed'), total: +a.get('data-total') };
    if (t.name === 'section' && /\bflat\b/.test(a.get('class') || '')) page.flat++;
  }
  if (!/<meta charset="utf-8">/.test(html)) page.problems.push('no <meta charset="utf-8">');
  return page;
}

/// Checks the whole site; returns { problems: [...], stats }.
function checkSite(dir) {
  const problems = [];
  const files = listFiles(dir);
  const pages = new Map();
  const stats = { files: files.length, pages: 0, bytes: 0, largest: 0, status: { passed: 0, inconclusive: 0, failed: 0 },
    failuresListed: 0, continued: 0, maxNesting: 0, flat: 0, maxResultsOnPage: 0, maxElementsOnPage: 0, links: 0,
    summary: null };
  for (const f of files) {
    const size = fs.statSync(path.join(dir, f)).size;
    stats.bytes += size;
    stats.largest = Math.max(stats.largest, size);
    if (size > PageByteLimit) problems.push(`${f}: ${size} bytes, over 2 MiB`);
    if (!f.endsWith('.html')) continue;
    const page = scanPage(fs.readFileSync(path.join(dir, f), 'utf8'));
    pages.set(f, page);
    stats.pages++;
    for (const p of page.problems) problems.push(`${f}: ${p}`);
    for (const id of page.duplicateIds) problems.push(`${f}: id "${id}" twice`);
    const results = page.status.passed + page.status.inconclusive + page.status.failed;
    stats.maxResultsOnPage = Math.max(stats.maxResultsOnPage, results);
    if (results > PageResultLimit) problems.push(`${f}: ${results} results, over ${PageResultLimit}`);
    stats.maxElementsOnPage = Math.max(stats.maxElementsOnPage, page.elements);
    if (page.elements > PageElementLimit) problems.push(`${f}: ${page.elements} elements, over ${PageElementLimit}`);
    if (page.maxNesting > MaxNesting) problems.push(`${f}: <details> nested ${page.maxNesting} deep`);
    stats.maxNesting = Math.max(stats.maxNesting, page.maxNesting);
    stats.flat += page.flat;
    if (f.startsWith('p/')) {
      if (/-p\d+\.html$/.test(f)) stats.continued++;
      for (const k of Object.keys(stats.status)) stats.status[k] += page.status[k];
    } else if (/^failures(-\d+)?\.html$/.test(f)) {
      if (page.status.passed || page.status.inconclusive) problems.push(`${f}: a result that did not fail`);
      stats.failuresListed += page.status.failed;
    } else if (results > 0) {
      problems.push(`${f}: carries data-status`);
    }
  }
  for (const [f, page] of pages) {
    for (const link of page.links) {
      stats.links++;
      const [file, fragment] = link.split('#');
      const target = file === '' ? f : path.posix.normalize(path.posix.join(path.posix.dirname(f), file));
      if (target.startsWith('..')) { problems.push(`${f}: link ${link} leaves the site`); continue; }
      if (!files.includes(target)) { problems.push(`${f}: link ${link} to a missing file`); continue; }
      if (fragment !== undefined && !(pages.get(target) && pages.get(target).ids.has(decodeURIComponent(fragment))))
        problems.push(`${f}: link ${link} to a missing anchor`);
    }
  }
  const index = pages.get('index.html');
  if (!index || !index.summary) {
    problems.push('index.html: no element id="summary"');
  } else {
    stats.summary = index.summary;
    const s = index.summary;
    if (s.passed + s.inconclusive + s.failed !== s.total) problems.push('index.html: the summary does not add up');
    for (const k of Object.keys(stats.status))
      if (stats.status[k] !== s[k]) problems.push(`pages show ${stats.status[k]} ${k} results, the summary ${s[k]}`);
    if (stats.failuresListed !== s.failed) problems.push(`failures pages list ${stats.failuresListed}, the summary ${s.failed}`);
  }
  return { problems, stats };
}

/// The four count rows of a report's own summary (Passed, Inconclusive, Failed, Total).
function reportSummary(xrdText) {
  const head = xrdText.slice(0, 20000);
  const re = /<CELL_TEXT STYLE="[^"]*">([^<]*)<\/CELL_TEXT>\s*<CELL_TEXT STYLE="[^"]*">(\d+)<\/CELL_TEXT>/g;
  const values = [];
  let m;
  while ((m = re.exec(head)) && values.length < 4) values.push(+m[2]);
  return { passed: values[0], inconclusive: values[1], failed: values[2], total: values[3] };
}

module.exports = { checkSite, scanPage, listFiles, reportSummary, PageByteLimit, PageResultLimit, PageElementLimit,
  MaxNesting };
