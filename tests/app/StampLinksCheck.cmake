# The command-line stamper carries no widget code: Qt Widgets is not among the
# libraries it loads.
#   cmake -DPROGRAM=... -P StampLinksCheck.cmake
file(GET_RUNTIME_DEPENDENCIES
  EXECUTABLES ${PROGRAM}
  RESOLVED_DEPENDENCIES_VAR loaded
  UNRESOLVED_DEPENDENCIES_VAR unresolved
)
foreach(library IN LISTS loaded unresolved)
  if(library MATCHES "Qt6?Widgets")
    message(FATAL_ERROR "${PROGRAM} loads ${library}")
  endif()
endforeach()
