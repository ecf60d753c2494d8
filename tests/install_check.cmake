# Runs cmake --install into PREFIX and checks that the program, the man page and the examples
# arrive, and that the installed program renders an installed example.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                OUTPUT_QUIET RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${status}")
endif()

foreach(file
        ${BINDIR}/Orvane
        ${MANDIR}/man1/Orvane.1
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

execute_process(COMMAND ${PREFIX}/${BINDIR}/Orvane showcase.ray 8 6 ${PREFIX}/showcase.tga
                WORKING_DIRECTORY ${PREFIX}/${EXAMPLESDIR}
                OUTPUT_QUIET RESULT_VARIABLE status)
file(SIZE ${PREFIX}/showcase.tga size)
if(NOT status EQUAL 0 OR NOT size EQUAL 188)  # header, 8 × 6 pixels and footer
    message(FATAL_ERROR "installed Orvane: status ${status}, picture of ${size} bytes")
endif()
