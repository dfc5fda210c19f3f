# Compiles assets/report.css, assets/history.css and assets/report.js into
# xrdtool_html: a script run at build time writes them as raw string literals
# into one source file.
set(XRDTOOL_ASSETS_CPP ${CMAKE_CURRENT_BINARY_DIR}/html_assets_data.cpp)
add_custom_command(OUTPUT ${XRDTOOL_ASSETS_CPP}
  COMMAND ${CMAKE_COMMAND} -DOUT=${XRDTOOL_ASSETS_CPP}
          -DCSS=${CMAKE_CURRENT_SOURCE_DIR}/assets/report.css
          -DHISTORY_CSS=${CMAKE_CURRENT_SOURCE_DIR}/assets/history.css
          -DJS=${CMAKE_CURRENT_SOURCE_DIR}/assets/report.js
          -P ${CMAKE_CURRENT_SOURCE_DIR}/assets/embed_assets.cmake
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/assets/report.css ${CMAKE_CURRENT_SOURCE_DIR}/assets/history.css
          ${CMAKE_CURRENT_SOURCE_DIR}/assets/report.js
          ${CMAKE_CURRENT_SOURCE_DIR}/assets/embed_assets.cmake
  VERBATIM)
target_sources(xrdtool_html PRIVATE ${XRDTOOL_ASSETS_CPP})
