# Writes orvane-cli(1) from its source, taking the options and the operation
# table from the program itself so the page cannot drift from it.
#   cmake -DCLI=<orvane-cli> -DIN=<orvane-cli.1.in> -DOUT=<orvane-cli.1> -DPROJECT_VERSION=<v> -P make_cli_manpage.cmake
function(run_cli argument result)
  execute_process(COMMAND ${CLI} ${argument} OUTPUT_VARIABLE text RESULT_VARIABLE status)
  if(NOT status EQUAL 0 OR text STREQUAL "")
    message(FATAL_ERROR "${CLI} ${argument} failed (${status})")
  endif()
  # Roff: backslashes, hyphens and lines starting with a dot or quote are escaped.
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
  string(STRIP "${text}" text)
  set(${result} "${text}" PARENT_SCOPE)
endfunction()

run_cli(--help CLI_HELP)
# The usage lines are in SYNOPSIS already.
string(REGEX REPLACE "^Usage:[^\n]*\n[^\n]*\n" "" CLI_HELP "${CLI_HELP}")
run_cli(--list CLI_LIST)
configure_file(${IN} ${OUT} @ONLY)
