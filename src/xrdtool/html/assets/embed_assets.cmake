# cmake -DOUT=FILE.cpp -DCSS=report.css -DHISTORY_CSS=history.css -DJS=report.js -P embed_assets.cmake
# Writes the assets as the bodies of htmlReportCss(), htmlHistoryCss() and htmlReportJs().
file(READ ${CSS} css)
file(READ ${HISTORY_CSS} history_css)
file(READ ${JS} js)
foreach(text css history_css js)
  string(FIND "${${text}}" ")asset\"" clash)
  if(NOT clash EQUAL -1)
    message(FATAL_ERROR "${text} holds the raw string delimiter )asset\"")
  endif()
endforeach()
file(WRITE ${OUT}.new
"// Generated from src/xrdtool/html/assets at build time; edit the assets instead.
#include \"xrdtool/html/assets.h\"

namespace xrdtool {

const char* htmlReportCss()
{
    return R\"asset(${css})asset\";
}

const char* htmlHistoryCss()
{
    return R\"asset(${history_css})asset\";
}

const char* htmlReportJs()
{
    return R\"asset(${js})asset\";
}

} // namespace xrdtool
")
file(RENAME ${OUT}.new ${OUT})
