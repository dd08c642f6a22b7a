# Makes the walkthrough page from its Markdown at build time: the Markdown converted by cmark-gfm
# with its extensions (pipe tables, and the raw <img> tags the Markdown uses, passed through its
# filter of unsafe tags), its figures made into figures for every screen and for screen readers
# by walkthrough_figures.mjs (the print, the compact and the screen layout, the text description, a
# link to the figure alone and one to the clip explorer at the address `clipfigs --explorer-links
# --figures` gives for the figure), put into the page template in place of @BODY@, its first
# heading as @TITLE@ and, as it stands, in place of @HEADING@.
#   cmake -DCMARK_GFM=... -DMARKDOWN=... -DTEMPLATE=... -DOUTPUT=... -DNODE=... -DCLIPFIGS=...
#         -DFIGURES=... -DSCREEN_FIGURES=... -DCOMPACT_FIGURES=... -P make_walkthrough.cmake
execute_process(
  COMMAND ${CMARK_GFM} --unsafe --validate-utf8 --extension table --extension autolink
          --extension strikethrough --extension tagfilter ${MARKDOWN}
  OUTPUT_VARIABLE body
  ERROR_VARIABLE errors
  RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "cmark-gfm could not convert ${MARKDOWN}: ${errors}")
endif()

execute_process(
  COMMAND ${NODE} ${CLIPFIGS} --explorer-links --figures
  OUTPUT_VARIABLE links
  ERROR_VARIABLE errors
  RESULT_VARIABLE failed)
if(failed OR NOT links)
  message(FATAL_ERROR "clipfigs --explorer-links --figures failed: ${errors}")
endif()
file(WRITE ${OUTPUT}.body "${body}")
file(WRITE ${OUTPUT}.links "${links}")
get_filename_component(here ${CMAKE_CURRENT_LIST_FILE} DIRECTORY)
execute_process(
  COMMAND ${NODE} ${here}/walkthrough_figures.mjs ${OUTPUT}.body ${OUTPUT}.links ${FIGURES}
          ${COMPACT_FIGURES} ${SCREEN_FIGURES}
  OUTPUT_VARIABLE body
  ERROR_VARIABLE errors
  RESULT_VARIABLE failed)
file(REMOVE ${OUTPUT}.body ${OUTPUT}.links)
if(failed)
  message(FATAL_ERROR "walkthrough_figures.mjs failed: ${errors}")
endif()

file(STRINGS ${MARKDOWN} heading REGEX "^# " LIMIT_COUNT 1)
if(NOT heading)
  message(FATAL_ERROR "${MARKDOWN} has no '# ' heading for the page's title")
endif()
string(REGEX REPLACE "^# +" "" title "${heading}")
string(REPLACE "&" "&amp;" title "${title}")
string(REPLACE "<" "&lt;" title "${title}")

# The page's heading before the template's note, the rest after it.
string(FIND "${body}" "</h1>" heading_end)
if(heading_end LESS 0)
  message(FATAL_ERROR "${MARKDOWN} made no <h1>")
endif()
math(EXPR heading_end "${heading_end} + 5")
string(SUBSTRING "${body}" 0 ${heading_end} heading_html)
string(SUBSTRING "${body}" ${heading_end} -1 body)

file(READ ${TEMPLATE} page)
string(REPLACE "@TITLE@" "${title}" page "${page}")
string(REPLACE "@HEADING@" "${heading_html}" page "${page}")
string(REPLACE "@BODY@" "${body}" page "${page}")
file(WRITE ${OUTPUT} "${page}")
