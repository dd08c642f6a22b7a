# Runs same_bits on Linux and under Wine and requires the two outputs to be the same bytes.
#
#   cmake -DWINE=<wine runner> -DWINDOWS_PROGRAM=<same_bits.exe> -DLINUX_PROGRAM=<same_bits>
#         -DTEAPOT=<teapot.tri> -DWORK=<scratch folder> -P same_bits_check.cmake
cmake_minimum_required(VERSION 3.16)
foreach(var WINE WINDOWS_PROGRAM LINUX_PROGRAM TEAPOT WORK)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "same_bits_check: ${var} is not set")
  endif()
endforeach()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
execute_process(COMMAND ${LINUX_PROGRAM} ${WORK}/linux.txt ${TEAPOT}
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${LINUX_PROGRAM} failed: ${status}")
endif()
execute_process(COMMAND ${WINE} ${WINDOWS_PROGRAM} ${WORK}/windows.txt ${TEAPOT}
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${WINDOWS_PROGRAM} under Wine failed: ${status}")
endif()

execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/linux.txt ${WORK}/windows.txt
                RESULT_VARIABLE differs)
if(differs)
  execute_process(COMMAND diff ${WORK}/linux.txt ${WORK}/windows.txt OUTPUT_VARIABLE diff)
  string(SUBSTRING "${diff}" 0 4000 diff)
  message(FATAL_ERROR "same_bits writes different results on Linux (<) and under Wine (>):\n"
                      "${diff}")
endif()
file(STRINGS ${WORK}/linux.txt last REGEX "^results ")
file(SIZE ${WORK}/linux.txt size)
message(STATUS "same_bits: the same ${size} bytes on Linux and under Wine (${last})")
