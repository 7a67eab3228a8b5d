# Writes the SVG file SVG as the C++ string kVendrelIconSvg into HEADER, so
# that the windows' module carries the program's icon itself.
file(READ ${SVG} content)
string(FIND "${content}" ")svg\"" clash)
if(NOT clash EQUAL -1)
  message(FATAL_ERROR "${SVG} holds the string's end marker")
endif()
file(WRITE ${HEADER} "// Generated from ${SVG}: do not edit.\n#pragma once\n\n"
     "inline constexpr char kVendrelIconSvg[] = R\"svg(${content})svg\";\n")
