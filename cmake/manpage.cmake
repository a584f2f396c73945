# Writes the flexarium(1) man page from the command's own --help texts, so
# that the page cannot drift from what the command says: the top-level help,
# then each subcommand's help in its own section.
#
#   cmake -DFLEXARIUM=path/to/flexarium -DOUT=flexarium.1 -P manpage.cmake

function(help out)
  execute_process(COMMAND "${FLEXARIUM}" ${ARGN} OUTPUT_VARIABLE text
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "flexarium ${ARGN} failed (${rc})")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# TEXT's first line and the rest (CMake's REGEX REPLACE would apply "^" at
# every match, so no regex here).
function(split_first first rest text)
  string(FIND "${text}" "\n" at)
  if(at EQUAL -1)
    set(${first} "${text}" PARENT_SCOPE)
    set(${rest} "" PARENT_SCOPE)
    return()
  endif()
  string(SUBSTRING "${text}" 0 ${at} line)
  math(EXPR at "${at} + 1")
  string(SUBSTRING "${text}" ${at} -1 tail)
  set(${first} "${line}" PARENT_SCOPE)
  set(${rest} "${tail}" PARENT_SCOPE)
endfunction()

# Text for troff: backslashes and hyphens kept literal, no line read as a
# request.
function(troff out text)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

help(top --help)
help(version --version)
string(STRIP "${version}" version)

# The first line describes the command, the last one (the footer) names the
# exit statuses; each subcommand's help repeats the footer.
string(STRIP "${top}" top)
split_first(summary body "${top}")
string(REGEX REPLACE "^flexarium: *" "" summary "${summary}")
string(REGEX REPLACE "\\.$" "" summary "${summary}")
string(REGEX MATCH "[^\n]*$" footer "${top}")
string(REPLACE "${footer}" "" body "${body}")
string(STRIP "${body}" body)

# Subcommand names: the first word of each line of the Subcommands section.
string(REGEX MATCH "Subcommands:\n.*" section "${body}")
string(REGEX MATCHALL "\n  [a-z]+ " names "${section}")
set(commands)
foreach(name IN LISTS names)
  string(STRIP "${name}" name)
  list(APPEND commands ${name})
endforeach()
if(NOT commands)
  message(FATAL_ERROR "no subcommands found in flexarium --help")
endif()

troff(summary "${summary}")
troff(body "${body}")
troff(footer_text "${footer}")
set(page ".TH FLEXARIUM 1 \"\" \"${version}\" \"User Commands\"
.SH NAME
flexarium \\- ${summary}
.SH SYNOPSIS
.B flexarium
.I SUBCOMMAND
[\\fIOPTIONS\\fR] [\\fIARGUMENTS\\fR]
.SH DESCRIPTION
.nf
${body}
.fi
.SH SUBCOMMANDS
")
foreach(command IN LISTS commands)
  help(text ${command} --help)
  string(STRIP "${text}" text)
  string(REPLACE "${footer}" "" text "${text}")
  split_first(what text "${text}")
  string(STRIP "${text}" text)
  troff(what "${what}")
  troff(text "${text}")
  string(APPEND page ".SS ${command}\n${what}\n.PP\n.nf\n${text}\n.fi\n")
endforeach()
troff(version_text "${version}")
string(APPEND page ".SH EXIT STATUS\n${footer_text}\n.SH VERSION\n${version_text}\n")
file(WRITE "${OUT}" "${page}")
