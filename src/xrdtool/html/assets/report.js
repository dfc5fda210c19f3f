// Helpers of the site written by xrdtool html: a classic script (pages open
// from disk, where modules do not load). Every page is whole without it; it
// only adds the tool bar: failed results only, expand and collapse all, a name
// filter, and sorting of the index table.
// Nothing here runs before the page is first drawn: three listeners on the
// document serve every button and column head (a handler per element cost
// more than the page's own layout on large pages), and the tool bar is built
// after the first frame.
(function () {
  'use strict';

  function setAllOpen(open) {
    var all = document.querySelectorAll('details.entry');
    for (var i = 0; i < all.length; i++) {
      if (all[i].open !== open) all[i].open = open;
    }
  }

  // Hides the results whose name does not hold the text (any case); the
  // entries around a shown result stay visible.
  function filterByName(text) {
    var needle = text.trim().toLowerCase();
    var results = document.querySelectorAll('[data-status]');
    for (var i = 0; i < results.length; i++) {
      var el = results[i];
      var hit = true;
      if (needle) {
        var name = el.querySelector('.name');
        hit = !!name && name.textContent.toLowerCase().indexOf(needle) >= 0;
      }
      if (el.classList.contains('hidden-by-filter') === hit) el.classList.toggle('hidden-by-filter', !hit);
    }
  }

  function act(b) {
    switch (b.getAttribute('data-act')) {
      case 'failed':
        b.setAttribute('aria-pressed', document.body.classList.toggle('failed-only') ? 'true' : 'false');
        break;
      case 'expand': setAllOpen(true); break;
      case 'collapse': setAllOpen(false); break;
    }
  }

  function button(act, label) {
    var b = document.createElement('button');
    b.type = 'button';
    b.textContent = label;
    b.setAttribute('data-act', act);
    return b;
  }

  function addTools() {
    var anchor = document.getElementById('tools');
    if (!anchor) return;
    var bar = document.createElement('div');
    bar.className = 'tools';
    bar.setAttribute('role', 'toolbar');
    if (document.querySelector('[data-status]')) {
      bar.appendChild(button('failed', 'Failed only')).setAttribute('aria-pressed', 'false');
      var input = document.createElement('input');
      input.type = 'search';
      input.placeholder = 'Filter by name';
      input.setAttribute('aria-label', 'Filter results by name');
      bar.appendChild(input);
    }
    if (document.querySelector('details.entry')) {
      bar.appendChild(button('expand', 'Expand all'));
      bar.appendChild(button('collapse', 'Collapse all'));
    }
    if (bar.firstChild) anchor.appendChild(bar);
  }

  // Index table: a click on a column head sorts by it; numbers by value,
  // the first click on a number column largest first.
  function sortBy(th) {
    var table = th.closest('table');
    var heads = table.querySelectorAll('thead th');
    var column = Array.prototype.indexOf.call(heads, th);
    var numeric = th.classList.contains('num');
    var ascending = th.getAttribute('aria-sort') ? th.getAttribute('aria-sort') !== 'ascending' : !numeric;
    var body = table.tBodies[0];
    var rows = Array.prototype.slice.call(body.rows);
    rows.sort(function (a, b) {
      var x = a.cells[column].getAttribute('data-sort') || a.cells[column].textContent;
      var y = b.cells[column].getAttribute('data-sort') || b.cells[column].textContent;
      var d = numeric ? Number(x) - Number(y) : x.localeCompare(y);
      return ascending ? d : -d;
    });
    var sorted = document.createDocumentFragment();
    for (var i = 0; i < rows.length; i++) sorted.appendChild(rows[i]);
    body.appendChild(sorted);
    for (var k = 0; k < heads.length; k++) heads[k].removeAttribute('aria-sort');
    th.setAttribute('aria-sort', ascending ? 'ascending' : 'descending');
  }

  function sortHead(target) {
    return target instanceof Element ? target.closest('table.index thead th') : null;
  }

  document.addEventListener('click', function (e) {
    var b = e.target instanceof Element ? e.target.closest('.tools button[data-act]') : null;
    if (b) return act(b);
    var th = sortHead(e.target);
    if (th) sortBy(th);
  });
  document.addEventListener('keydown', function (e) {
    var th = e.key === 'Enter' ? sortHead(e.target) : null;
    if (th) sortBy(th);
  });
  document.addEventListener('input', function (e) {
    if (e.target instanceof Element && e.target.matches('.tools input[type="search"]')) filterByName(e.target.value);
  });

  function start() {
    addTools();
    // A link to a result: the entries above it are laid out only as they come
    // into view, which can move it; it is brought back into view once.
    var target = location.hash ? document.getElementById(decodeURIComponent(location.hash.slice(1))) : null;
    if (target) target.scrollIntoView();
    var heads = document.querySelectorAll('table.index thead th');
    for (var i = 0; i < heads.length; i++) {
      heads[i].classList.add('sortable');
      heads[i].setAttribute('tabindex', '0');
    }
  }

  var started = false;
  function startOnce() {
    if (!started) {
      started = true;
      start();
    }
  }
  // After the first frame; a hidden tab draws no frame, so a timer stands in.
  requestAnimationFrame(function () { setTimeout(startOnce, 0); });
  setTimeout(startOnce, 500);
})();
