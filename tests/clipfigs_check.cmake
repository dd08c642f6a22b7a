# The figures of docs/clipping.md must be what clipfigs draws now: runs clipfigs into a fresh
# folder and compares its output with the committed figures, the same set of files and each file
# byte for byte. Also checks that every figure the page shows is among them.
#
#   cmake -DCLIPFIGS=<clipfigs> -DDOCS=<docs folder> -DWORK=<scratch folder> -P clipfigs_check.cmake
cmake_minimum_required(VERSION 3.16)
foreach(var CLIPFIGS DOCS WORK)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "clipfigs_check: ${var} is not set")
  endif()
endforeach()

set(committed ${DOCS}/figures)
set(fresh ${WORK}/figures)
set(remedy "run `build/tools/clipfigs docs` from the repository root and commit docs/figures/")

file(REMOVE_RECURSE ${WORK})
execute_process(COMMAND ${CLIPFIGS} ${WORK} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "clipfigs ${WORK} failed with status ${status}")
endif()

file(GLOB freshFiles LIST_DIRECTORIES true RELATIVE ${fresh} ${fresh}/*)
file(GLOB committedFiles LIST_DIRECTORIES true RELATIVE ${committed} ${committed}/*)
list(SORT freshFiles)
list(SORT committedFiles)
if(NOT freshFiles)
  message(FATAL_ERROR "clipfigs wrote no figures into ${fresh}")
endif()

set(problems "")
foreach(name IN LISTS freshFiles)
  if(NOT name IN_LIST committedFiles)
    string(APPEND problems "\n  missing from docs/figures/: ${name}")
  else()
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${fresh}/${name}
                            ${committed}/${name}
                    RESULT_VARIABLE differs)
    if(NOT differs EQUAL 0)
      string(APPEND problems "\n  differs from what clipfigs draws: ${name}")
    endif()
  endif()
endforeach()
foreach(name IN LISTS committedFiles)
  if(NOT name IN_LIST freshFiles)
    string(APPEND problems "\n  in docs/figures/ but not drawn by clipfigs: ${name}")
  endif()
endforeach()

# Every figure the page shows must exist.
file(STRINGS ${DOCS}/clipping.md pageLines REGEX "figures/")
foreach(pageLine IN LISTS pageLines)
  string(REGEX MATCHALL "figures/[A-Za-z0-9_.-]+" references "${pageLine}")
  foreach(reference IN LISTS references)
    string(REPLACE "figures/" "" name "${reference}")
    if(NOT name IN_LIST freshFiles)
      string(APPEND problems "\n  docs/clipping.md shows a figure clipfigs does not draw: ${name}")
    endif()
  endforeach()
endforeach()

if(problems)
  message(FATAL_ERROR "docs/figures/ is out of date:${problems}\nTo bring it up to date, ${remedy}.")
endif()
list(LENGTH freshFiles count)
message(STATUS "docs/figures/: all ${count} figures match what clipfigs draws")
