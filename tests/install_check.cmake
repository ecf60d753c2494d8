# Runs cmake --install into PREFIX and checks that the program and the manual page arrive under
# both their names, with the papers and the examples, and that the installed program renders an
# installed example.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                OUTPUT_QUIET RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${status}")
endif()

foreach(file
        ${BINDIR}/Orvane
        ${BINDIR}/orvane
        ${MANDIR}/man1/Orvane.1.gz
        ${MANDIR}/man1/orvane.1.gz
        ${DOCDIR}/README.md
        ${DOCDIR}/copyright
        ${DOCDIR}/changelog.Debian.gz
        ${EXAMPLESDIR}/checker.pcx
        ${EXAMPLESDIR}/lights.ray
        ${EXAMPLESDIR}/marble.pcx
        ${EXAMPLESDIR}/mirrors.ray
        ${EXAMPLESDIR}/showcase.ray
        ${EXAMPLESDIR}/sky.pcx)
    if(NOT EXISTS ${PREFIX}/${file})
        message(FATAL_ERROR "not installed: ${file}")
    endif()
endforeach()

execute_process(COMMAND ${PREFIX}/${BINDIR}/orvane showcase.ray 8 6 ${PREFIX}/showcase.tga
                WORKING_DIRECTORY ${PREFIX}/${EXAMPLESDIR}
                OUTPUT_QUIET RESULT_VARIABLE status)
file(SIZE ${PREFIX}/showcase.tga size)
if(NOT status EQUAL 0 OR NOT size EQUAL 188)  # header, 8 × 6 pixels and footer
    message(FATAL_ERROR "installed Orvane: status ${status}, picture of ${size} bytes")
endif()
