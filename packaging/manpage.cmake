# Writes a program's manual page from its own --help text, so the page
# cannot drift from the program, and compresses it as Debian ships pages.
#
# cmake -DHELP2MAN=... -DPROGRAM=... -DSUMMARY=... -DSECTIONS=page.h2m
#       -DOUTPUT=page.1.gz [-DVERBS="a;b"] -P manpage.cmake
# SECTIONS holds the sections no --help text gives, in help2man's include
# format; VERBS adds one subsection per verb, holding `PROGRAM VERB --help`.

foreach(var HELP2MAN PROGRAM SUMMARY SECTIONS OUTPUT)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "manpage.cmake: ${var} not given")
    endif()
endforeach()

# The window's help is printed by a QApplication, which needs a platform
# even for that; sanitizer builds would otherwise fail the page on the
# leaks of a process that exits from inside the option parser.
set(ENV{QT_QPA_PLATFORM} offscreen)
set(ENV{ASAN_OPTIONS} detect_leaks=0)

get_filename_component(name "${OUTPUT}" NAME)
string(REGEX REPLACE "\\.gz$" "" page "${OUTPUT}")
set(include "${page}.include")
file(READ "${SECTIONS}" sections)
file(WRITE "${include}" "${sections}\n")
if(VERBS)
    file(APPEND "${include}" "[COMMANDS]\n")
    foreach(verb IN LISTS VERBS)
        execute_process(COMMAND "${PROGRAM}" ${verb} --help
                        OUTPUT_VARIABLE text RESULT_VARIABLE rc)
        if(NOT rc EQUAL 0)
            message(FATAL_ERROR "manpage.cmake: '${PROGRAM} ${verb} --help' failed: ${rc}")
        endif()
        # Verbatim in roff: a backslash is roff's escape, and a line that
        # starts with a dot or an apostrophe would be taken as a request.
        string(REPLACE "\\" "\\e" text "${text}")
        string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
        get_filename_component(program_name "${PROGRAM}" NAME)
        file(APPEND "${include}" ".SS \"${program_name} ${verb}\"\n.nf\n${text}.fi\n")
    endforeach()
endif()

# The window's --version names the application (t880), not the program.
execute_process(COMMAND "${PROGRAM}" --version OUTPUT_VARIABLE version RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT version MATCHES " ([0-9][^ \n]*)")
    message(FATAL_ERROR "manpage.cmake: '${PROGRAM} --version' failed: ${rc}")
endif()
get_filename_component(program_name "${PROGRAM}" NAME)
execute_process(COMMAND "${HELP2MAN}" --no-info --name=${SUMMARY} --include=${include}
                        "--version-string=${program_name} ${CMAKE_MATCH_1}"
                        --output=${page} "${PROGRAM}"
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "manpage.cmake: help2man failed on ${PROGRAM}: ${rc}")
endif()
# -n: no name or time stamp inside, so the same page gives the same bytes.
execute_process(COMMAND gzip -9 -n -f "${page}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "manpage.cmake: gzip failed on ${page}: ${rc}")
endif()
file(REMOVE "${include}")
