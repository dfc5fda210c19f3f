// Helpers of the site written by xrdtool html: a classic script (pages open
// from disk, where modules do not load). Every page is whole without it; it
// only adds the tool bar: failed results only, expand and collapse all, a name
// filter, and sorting of the index table.
(function () {
  'use strict';

  function button(label, onClick) {
    var b = document.createElement('button');
    b.type = 'button';
    b.textContent = label;
    b.addEventListener('click', function () { onClick(b); });
    return b;
  }

  function setAllOpen(open) {
    var all = document.querySelectorAll('details.entry');
    for (var i = 0; i < all.length; i++) all[i].open = open;
  }

  // Hides the results whose name does not hold the text (any case); the
  // entries around a shown result stay visible.
  function filterByName(text) {
    var needle = text.trim().toLowerCase();
    var results = document.querySelectorAll('[data-status]');
    for (var i = 0; i < results.length; i++) {
      var el = results[i];
      var name = el.querySelector('.name');
      var hit = !needle || (name && name.textContent.toLowerCase().indexOf(needle) >= 0);
      el.classList.toggle('hidden-by-filter', !hit);
    }
  }

  function addTools() {
    var anchor = document.getElementById('tools');
    if (!anchor) return;
    var bar = document.createElement('div');
    bar.className = 'tools';
    bar.setAttribute('role', 'toolbar');
    if (document.querySelector('[data-status]')) {
      bar.appendChild(button('Failed only', function (b) {
        var on = document.body.classList.toggle('failed-only');
        b.setAttribute('aria-pressed', on ? 'true' : 'false');
      })).setAttribute('aria-pressed', 'false');
      var input = document.createElement('input');
      input.type = 'search';
      input.placeholder = 'Filter by name';
      input.setAttribute('aria-label', 'Filter results by name');
      input.addEventListener('input', function () { filterByName(input.value); });
      bar.appendChild(input);
    }
    if (document.querySelector('details.entry')) {
      bar.appendChild(button('Expand all', function () { setAllOpen(true); }));
      bar.appendChild(button('Collapse all', function () { setAllOpen(false); }));
    }
    if (bar.firstChild) anchor.appendChild(bar);
  }

  // Index table: a click on a column head sorts by it; numbers by value.
  function makeSortable(table) {
    var heads = table.querySelectorAll('thead th');
    for (var c = 0; c < heads.length; c++) {
      (function (column, th) {
        th.classList.add('sortable');
        th.setAttribute('tabindex', '0');
        var ascending = th.classList.contains('num') ? false : true;
        function sort() {
          var body = table.tBodies[0];
          var rows = Array.prototype.slice.call(body.rows);
          var numeric = th.classList.contains('num');
          rows.sort(function (a, b) {
            var x = a.cells[column].getAttribute('data-sort') || a.cells[column].textContent;
            var y = b.cells[column].getAttribute('data-sort') || b.cells[column].textContent;
            var d = numeric ? Number(x) - Number(y) : x.localeCompare(y);
            return ascending ? d : -d;
          });
          for (var i = 0; i < rows.length; i++) body.appendChild(rows[i]);
          for (var k = 0; k < heads.length; k++) heads[k].removeAttribute('aria-sort');
          th.setAttribute('aria-sort', ascending ? 'ascending' : 'descending');
          ascending = !ascending;
        }
        th.addEventListener('click', sort);
        th.addEventListener('keydown', function (e) { if (e.key === 'Enter') sort(); });
      })(c, heads[c]);
    }
  }

  function start() {
    addTools();
    var tables = document.querySelectorAll('table.index');
    for (var i = 0; i < tables.length; i++) makeSortable(tables[i]);
  }

  if (document.readyState === 'loading') document.addEventListener('DOMContentLoaded', start);
  else start();
})();
