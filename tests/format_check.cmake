# Fails when clang-format, with the tree's .clang-format, would change any C++ file under SOURCE_DIR
# (build folders aside).
find_program(CLANG_FORMAT clang-format)
if(NOT CLANG_FORMAT)
    message("needs clang-format: package clang-format")
    return()
endif()
file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*.cpp ${SOURCE_DIR}/*.h)
list(FILTER sources EXCLUDE REGEX "^build")
execute_process(COMMAND ${CLANG_FORMAT} --dry-run --Werror ${sources}
                WORKING_DIRECTORY ${SOURCE_DIR}
                ERROR_VARIABLE complaints RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "unformatted; run clang-format -i on the files named:\n${complaints}")
endif()
