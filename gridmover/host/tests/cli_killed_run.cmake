# gridmover-cli killed half-way through a run (after it converted a file into its temporary copy,
# before any original is touched), then run again: the project is as it was after the kill, the
# killed run's temporary folder is still there, and the next run removes it and converts the
# project to the expected tree. Under Wine the kill ends the Windows process as TerminateProcess
# would, and the next run finds the old process gone through OpenProcess.
#   cmake -DCLI=<gridmover-cli> [-DEMULATOR=<wine-run>] -DGOLDEN=<golden folder> -DWORK=<scratch>
#         -P cli_killed_run.cmake
cmake_minimum_required(VERSION 3.25)

set(case_dir "${GOLDEN}/dbgrid_to_lumatab80")
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/tmp")
file(COPY "${case_dir}/input/" DESTINATION "${WORK}/p")
if(EMULATOR)
    # Wine's temporary folder: the prefix's, whatever the environment says.
    set(temp_glob "$ENV{SUITE_BINARY_DIR}/wineprefix/drive_c/users/*/Temp/gridmover-*")
    set(vbp "p\\Orders.vbp")
else()
    set(ENV{TMPDIR} "${WORK}/tmp")
    set(temp_glob "${WORK}/tmp/gridmover-*")
    set(vbp "p/Orders.vbp")
endif()

function(same_tree want got what)
    file(GLOB_RECURSE a LIST_DIRECTORIES false RELATIVE "${want}" "${want}/*")
    file(GLOB_RECURSE b LIST_DIRECTORIES false RELATIVE "${got}" "${got}/*")
    list(SORT a)
    list(SORT b)
    if(NOT a STREQUAL b)
        message(FATAL_ERROR "${what}: the files differ\n  expected: ${a}\n  got:      ${b}")
    endif()
    foreach(f IN LISTS a)
        execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${want}/${f}" "${got}/${f}"
                        RESULT_VARIABLE same)
        if(NOT same EQUAL 0)
            message(FATAL_ERROR "${what}: ${f} differs")
        endif()
    endforeach()
endfunction()

file(GLOB before LIST_DIRECTORIES true "${temp_glob}")
# The run stops itself at the step, says so on its error output and waits there; once it has said
# so it is killed without a chance to clean up. Waiting for its word rather than for a set time
# keeps the test right on a loaded machine, where Wine alone can take many seconds to start.
set(ENV{GRIDMOVER_PAUSE_AT} converted)
set(kill_at_pause [=[
said="$1"; shift
"$@" >/dev/null 2>"$said" &
run=$!
tries=0
until grep -q "paused at converted" "$said"; do
    if ! kill -0 "$run" 2>/dev/null; then
        echo "the run ended before its pause point"; cat "$said"; exit 3
    fi
    tries=$((tries + 1))
    if [ "$tries" -ge 3000 ]; then
        echo "the run did not reach its pause point in 5 minutes"; kill -KILL "$run"; exit 4
    fi
    sleep 0.1
done
kill -KILL "$run"
wait "$run" 2>/dev/null
exit 0
]=])
execute_process(
    COMMAND sh -c "${kill_at_pause}" sh "${WORK}/said.txt"
            ${EMULATOR} "${CLI}" convert --from 1 --to 12 --quiet "${vbp}"
    WORKING_DIRECTORY "${WORK}"
    RESULT_VARIABLE killed OUTPUT_VARIABLE why ERROR_VARIABLE why)
unset(ENV{GRIDMOVER_PAUSE_AT})
if(NOT killed EQUAL 0)
    message(FATAL_ERROR "the run was not killed at its pause point: ${why}")
endif()
same_tree("${case_dir}/input" "${WORK}/p" "after the kill")
file(GLOB left LIST_DIRECTORIES true "${temp_glob}")
list(REMOVE_ITEM left ${before})
if(NOT left)
    message(FATAL_ERROR "the killed run left no temporary folder (${temp_glob})")
endif()

execute_process(
    COMMAND ${EMULATOR} "${CLI}" convert --from 1 --to 12 --quiet "${vbp}"
    WORKING_DIRECTORY "${WORK}"
    RESULT_VARIABLE exit_code OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT exit_code EQUAL 0)
    message(FATAL_ERROR "the next run: exit ${exit_code}\n${out}${err}")
endif()
same_tree("${case_dir}/expected" "${WORK}/p" "after the next run")
foreach(folder IN LISTS left)
    if(EXISTS "${folder}")
        message(FATAL_ERROR "the next run left the killed run's folder ${folder}")
    endif()
endforeach()
file(REMOVE_RECURSE "${WORK}")
