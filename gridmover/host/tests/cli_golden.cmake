# gridmover-cli on every golden case: the project is copied, converted by the program (under the
# emulator for a cross build: Wine), and the tree must then equal the case's expected tree byte
# for byte, with no file more or less. The Linux build and the Windows build compare against the
# same committed trees, so both produce exactly the same conversion.
#   cmake -DCLI=<gridmover-cli> [-DEMULATOR=<wine-run>] -DGOLDEN=<golden folder> -DWORK=<scratch>
#         -P cli_golden.cmake
cmake_minimum_required(VERSION 3.25)

function(tree_of root out)
    file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${root}" "${root}/*")
    list(SORT files)
    set(${out} "${files}" PARENT_SCOPE)
endfunction()

set(failures 0)
file(GLOB cases LIST_DIRECTORIES true "${GOLDEN}/*")
foreach(case_dir IN LISTS cases)
    if(NOT IS_DIRECTORY "${case_dir}" OR NOT EXISTS "${case_dir}/case.txt")
        continue()
    endif()
    get_filename_component(name "${case_dir}" NAME)
    file(STRINGS "${case_dir}/case.txt" line LIMIT_COUNT 1)
    string(REPLACE " " ";" fields "${line}")
    list(GET fields 0 from)
    list(GET fields 1 to)
    list(GET fields 2 result)
    # The conversion's result 1 is the program's exit 0 (converted), 0 its exit 1 (nothing).
    if(result EQUAL 1)
        set(expected_exit 0)
    else()
        set(expected_exit 1)
    endif()

    set(work "${WORK}/${name}")
    file(REMOVE_RECURSE "${work}")
    file(MAKE_DIRECTORY "${work}")
    # A folder name that is not ASCII: the program takes it from its command line intact.
    set(folder "案件")
    file(COPY "${case_dir}/input/" DESTINATION "${work}/${folder}")
    file(GLOB vbp RELATIVE "${work}" "${work}/${folder}/*.vbp")
    # The project named relative to the working folder, with the separator a Windows user types.
    if(EMULATOR)
        string(REPLACE "/" "\\" vbp "${vbp}")
    endif()
    execute_process(
        COMMAND ${EMULATOR} "${CLI}" convert --from ${from} --to ${to} --yes --quiet "${vbp}"
        WORKING_DIRECTORY "${work}"
        RESULT_VARIABLE exit_code
        OUTPUT_VARIABLE out
        ERROR_VARIABLE err)
    if(NOT exit_code EQUAL expected_exit)
        message(SEND_ERROR "${name}: exit ${exit_code}, expected ${expected_exit}\n${out}${err}")
        math(EXPR failures "${failures} + 1")
        continue()
    endif()

    tree_of("${case_dir}/expected" want)
    tree_of("${work}/${folder}" got)
    if(NOT want STREQUAL got)
        message(SEND_ERROR "${name}: the files differ\n  expected: ${want}\n  got:      ${got}")
        math(EXPR failures "${failures} + 1")
        continue()
    endif()
    foreach(f IN LISTS want)
        execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files
                                "${case_dir}/expected/${f}" "${work}/${folder}/${f}"
                        RESULT_VARIABLE same)
        if(NOT same EQUAL 0)
            message(SEND_ERROR "${name}: ${f} differs from the expected tree's")
            math(EXPR failures "${failures} + 1")
        endif()
    endforeach()
    message(STATUS "${name}: same as the expected tree")
endforeach()
if(failures GREATER 0)
    message(FATAL_ERROR "${failures} golden case(s) differ")
endif()
file(REMOVE_RECURSE "${WORK}")
