# Makes the walkthrough page from its Markdown at build time: the Markdown converted by cmark-gfm
# with its extensions (pipe tables, and the raw <img> tags the Markdown uses, passed through its
# filter of unsafe tags), put into the page template in place of @BODY@, its first heading as
# @TITLE@.
# Every figure it shows becomes a link to the clip explorer with the figure's triangle, at the
# address `clipfigs --explorer-links` gives for the figure's stem.
#   cmake -DCMARK_GFM=... -DMARKDOWN=... -DTEMPLATE=... -DOUTPUT=... -DNODE=... -DCLIPFIGS=...
#         -P make_walkthrough.cmake
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
  COMMAND ${NODE} ${CLIPFIGS} --explorer-links
  OUTPUT_VARIABLE links
  ERROR_VARIABLE errors
  RESULT_VARIABLE failed)
if(failed OR NOT links)
  message(FATAL_ERROR "clipfigs --explorer-links failed: ${errors}")
endif()
string(REPLACE "\n" ";" links "${links}")
foreach(line IN LISTS links)
  if(line MATCHES "^([A-Za-z0-9_.-]+) (explore\\.html#t=[-0-9.,e+]+)$")
    string(REGEX REPLACE "(<img src=\"figures/${CMAKE_MATCH_1}-[^\"]*\"[^>]*>)"
           "<a href=\"${CMAKE_MATCH_2}\" title=\"this triangle in the clip explorer\">\\1</a>"
           body "${body}")
  endif()
endforeach()

file(STRINGS ${MARKDOWN} heading REGEX "^# " LIMIT_COUNT 1)
if(NOT heading)
  message(FATAL_ERROR "${MARKDOWN} has no '# ' heading for the page's title")
endif()
string(REGEX REPLACE "^# +" "" title "${heading}")
string(REPLACE "&" "&amp;" title "${title}")
string(REPLACE "<" "&lt;" title "${title}")

file(READ ${TEMPLATE} page)
string(REPLACE "@TITLE@" "${title}" page "${page}")
string(REPLACE "@BODY@" "${body}" page "${page}")
file(WRITE ${OUTPUT} "${page}")
