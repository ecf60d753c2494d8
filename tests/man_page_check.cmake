# Formats MAN_PAGE with every groff warning enabled; any warning fails.
find_program(GROFF groff)
if(NOT GROFF)
    message("needs groff: package groff-base")
    return()
endif()
execute_process(COMMAND ${GROFF} -man -Tutf8 -ww -z ${MAN_PAGE}
                ERROR_VARIABLE warnings RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT warnings STREQUAL "")
    message(FATAL_ERROR "groff: status ${status}\n${warnings}")
endif()
