#pragma once
// The site's style sheet and script (assets/report.css, assets/history.css
// and assets/report.js in the sources), compiled into the program so that the site is written whole
// from the binary alone.

namespace xrdtool {

/// The text of assets/report.css.
const char* htmlReportCss();
/// The text of assets/history.css, appended to report.css for a site with --history.
const char* htmlHistoryCss();
/// The text of assets/report.js.
const char* htmlReportJs();

} // namespace xrdtool
