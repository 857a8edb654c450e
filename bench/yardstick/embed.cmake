# Turns the control window's description into a C++ source the yardstick compiles in, so reading
# it costs the yardstick nothing at start-up but the parse.
file(READ "${INPUT}" text)
if(text STREQUAL "")
  message(FATAL_ERROR "the control window's description ${INPUT} is empty")
endif()
file(WRITE "${OUTPUT}.tmp"
     "extern const char* const kControlWindowDescription;\n"
     "const char* const kControlWindowDescription = R\"yardstick(${text})yardstick\";\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
