# Installs the build into a fresh prefix, builds examples/ against the installed package and runs it on the demo
# project: it must list the same time layers, fields and step counts as `chronova info --json` of the same build.
# A package that cannot be found, configured or linked fails the test.
#
#   cmake -DBUILD_DIR=... -DSOURCE_DIR=... -DWORK_DIR=... -DGENERATOR=... -DCXX_COMPILER=... [-DSANITIZER=...]
#         -P consumer_test.cmake

foreach(variable BUILD_DIR SOURCE_DIR WORK_DIR GENERATOR CXX_COMPILER)
    if(NOT ${variable})
        message(FATAL_ERROR "consumer_test.cmake needs -D${variable}=...")
    endif()
endforeach()

# Runs one step and stops the test with its output when it fails.
function(run_step what)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "${what} failed (${status}):\n${out}\n${err}")
    endif()
    set(step_output "${out}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
run_step("Installing the build" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

# The libraries of a sanitizer build are instrumented, and the package leaves the runtime to the consumer.
set(example_options -G ${GENERATOR} -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=${CXX_COMPILER}
    -DCMAKE_PREFIX_PATH=${prefix})
if(SANITIZER)
    list(APPEND example_options -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=${SANITIZER})
endif()
find_program(ccache ccache)
if(ccache)
    list(APPEND example_options -DCMAKE_CXX_COMPILER_LAUNCHER=${ccache})
endif()
run_step("Configuring the example" ${CMAKE_COMMAND} -S ${SOURCE_DIR}/examples -B ${WORK_DIR}/example ${example_options})
run_step("Building the example" ${CMAKE_COMMAND} --build ${WORK_DIR}/example -j 2)

# The installed program makes the demo's data, and its `info` says what the example must print.
run_step("Generating the demo" ${prefix}/bin/chronova demo --out ${WORK_DIR}/demo --quiet)
set(project_file ${WORK_DIR}/demo/data/demo.chronova.json)
run_step("chronova info" ${prefix}/bin/chronova info ${project_file} --json)
set(expected "")
string(JSON layer_count LENGTH "${step_output}" layers)
math(EXPR last "${layer_count} - 1")
foreach(index RANGE ${last})
    string(JSON is_time_layer GET "${step_output}" layers ${index} time_layer)
    if(is_time_layer)
        string(JSON name GET "${step_output}" layers ${index} name)
        string(JSON field GET "${step_output}" layers ${index} time_field)
        string(JSON steps GET "${step_output}" layers ${index} steps)
        string(APPEND expected "${name}\t${field}\t${steps}\n")
    endif()
endforeach()

run_step("Running the example" ${WORK_DIR}/example/list_time_layers ${project_file})
if(NOT step_output STREQUAL expected)
    message(FATAL_ERROR "The example printed\n${step_output}\nbut chronova info lists\n${expected}")
endif()
# Guard against both sides being empty: the demo's storm track is a time layer with steps.
if(NOT step_output MATCHES "(^|\n)Storm track\tWHEN\t[1-9]")
    message(FATAL_ERROR "The example did not list the demo's storm track:\n${step_output}")
endif()
message(STATUS "The installed package builds a working program:\n${step_output}")
file(REMOVE_RECURSE ${WORK_DIR})
