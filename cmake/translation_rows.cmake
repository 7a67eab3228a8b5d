# Turns one translation file (src/texts/translations/<lang>/<table>.txt) into
# a C++ source that returns its rows, so that translators edit plain UTF-8
# text and the program still carries its texts as constants.
#
# Run as a script:
#   cmake -DINPUT=<file.txt> -DOUTPUT=<file.cpp> -DFUNCTION=<name>
#         -DHEADER=<texts/xxx_tables.h> -P translation_rows.cmake
# A missing INPUT gives an empty row list: the language then shows English.
#
# The file format: one text a line, the number, one TAB, the text.  In the
# text "\n", "\r", "\t" and "\\" are the only escapes; every other byte stands
# for itself.  Empty lines and lines starting with "#" are comments.  Numbers
# ascend and appear once.  Any other line stops the build with the file's name
# and the line's number.
cmake_minimum_required(VERSION 3.25)

foreach(arg INPUT OUTPUT FUNCTION HEADER)
  if(NOT DEFINED ${arg})
    message(FATAL_ERROR "translation_rows.cmake: -D${arg}=... is missing")
  endif()
endforeach()

# The largest number a row may carry: far above every table's slots and
# control ids, and small enough for the arithmetic below.
set(max_number_digits 9)

set(rows "")
set(row_count 0)
if(EXISTS "${INPUT}")
  file(READ "${INPUT}" content)
  set(line_number 0)
  set(previous -1)
  while(NOT content STREQUAL "")
    string(FIND "${content}" "\n" end)
    if(end EQUAL -1)
      set(line "${content}")
      set(content "")
    else()
      string(SUBSTRING "${content}" 0 ${end} line)
      math(EXPR next "${end} + 1")
      string(SUBSTRING "${content}" ${next} -1 content)
    endif()
    math(EXPR line_number "${line_number} + 1")
    set(where "${INPUT}:${line_number}")
    # A file saved with Windows line ends is read as if it had none.
    string(REGEX REPLACE "\r$" "" line "${line}")
    if(line STREQUAL "" OR line MATCHES "^#")
      continue()
    endif()
    if(NOT line MATCHES "^(0|[1-9][0-9]*)\t(.*)$")
      message(FATAL_ERROR "${where}: expected a number, one TAB and the text")
    endif()
    set(number "${CMAKE_MATCH_1}")
    set(text "${CMAKE_MATCH_2}")
    string(LENGTH "${number}" digits)
    if(digits GREATER max_number_digits)
      message(FATAL_ERROR "${where}: the number ${number} is too large")
    endif()
    if(number LESS_EQUAL previous)
      if(number EQUAL previous)
        message(FATAL_ERROR "${where}: the number ${number} appears twice")
      endif()
      message(FATAL_ERROR "${where}: the number ${number} comes after ${previous}; numbers must ascend")
    endif()
    set(previous "${number}")
    # Only \n, \r, \t and \\ are escapes; they read the same in C++.
    string(REPLACE "\\\\" "" probe "${text}")
    string(REGEX REPLACE "\\\\[nrt]" "" probe "${probe}")
    if(probe MATCHES "\\\\")
      message(FATAL_ERROR "${where}: a backslash must start \\n, \\r, \\t or \\\\")
    endif()
    if(text MATCHES "\r")
      message(FATAL_ERROR "${where}: a carriage return inside the text; write it as \\r")
    endif()
    string(REPLACE "\"" "\\\"" text "${text}")
    string(APPEND rows "    {${number}, \"${text}\"},\n")
    math(EXPR row_count "${row_count} + 1")
  endwhile()
endif()

set(source "// Generated from ${INPUT} by cmake/translation_rows.cmake: edit that file, not this one.\n\n")
string(APPEND source "#include \"${HEADER}\"\n\n")
if(row_count EQUAL 0)
  string(APPEND source "std::span<const TextRow> ${FUNCTION}() { return {}; }\n")
else()
  string(APPEND source "namespace {\n\nconstexpr TextRow kRows[] = {\n${rows}};\n\n}  // namespace\n\n")
  string(APPEND source "std::span<const TextRow> ${FUNCTION}() { return kRows; }\n")
endif()

file(WRITE "${OUTPUT}" "${source}")
