# Hostile input through the console program: each answers with a German message or the
# documented result, well within the time given to the process.
# cmake -DCLI=<nimbrel-cli> -DWORK=<empty folder> -P Limits.cmake
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

# Runs the console program and checks that stdout (and stderr) contain the given texts.
function(expect_contains stdout stderr)
    execute_process(COMMAND ${CLI} --decimal-separator . ${ARGN} TIMEOUT 10
                    RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
    string(FIND "${out}" "${stdout}" found_out)
    string(FIND "${err}" "${stderr}" found_err)
    if(result MATCHES "^[^0-9]" OR found_out EQUAL -1 OR found_err EQUAL -1)
        string(SUBSTRING "${out}" 0 200 shown)
        message(FATAL_ERROR "${ARGV}: status ${result}, printed '${shown}' (${err})")
    endif()
endfunction()

# 1 MB of input, 100000 brackets, a derivative of the highest order.
string(REPEAT "1+" 500000 sums)
file(WRITE ${WORK}/sums.txt "${sums}1\n")
string(REPEAT "(" 100000 open)
string(REPEAT ")" 100000 close)
file(WRITE ${WORK}/brackets.txt "${open}1${close}\n")
execute_process(COMMAND ${CLI} --no-ini --batch INPUT_FILE ${WORK}/sums.txt TIMEOUT 10
                OUTPUT_VARIABLE out RESULT_VARIABLE result)
if(NOT result STREQUAL "1" OR NOT out MATCHES "\\[Too much instances of TKvOperatorNode!\\]")
    message(FATAL_ERROR "1 MB of sums: status ${result}")
endif()
execute_process(COMMAND ${CLI} --no-ini --batch INPUT_FILE ${WORK}/brackets.txt TIMEOUT 10
                OUTPUT_VARIABLE out RESULT_VARIABLE result)
if(NOT result STREQUAL "1" OR NOT out MATCHES "\\[Ausdruck zu tief verschachtelt!\\]")
    message(FATAL_ERROR "100000 brackets: status ${result}")
endif()
expect_contains("sin(x)" "" --no-ini --mode derivative --order 2147483647 cos(x))
expect_contains("Fehler im Differenzieren" "" --no-ini \\d 2147483647 sin(2*x))

# 10000 parameters: 3000 words of the expression, 7000 switches without effect.
string(REPEAT "+1;+1;+1;\\s;\\w;\\j;\\;\\s;\\w;\\j;" 1000 parameters)
expect_contains("3000" "" --no-ini ${parameters})

# A settings file of garbage is read as far as it goes and written anew; a folder in its
# place is reported and the calculation goes on.
string(RANDOM LENGTH 100000 ALPHABET "[]=;#\\@ \n\t\rxyz019" SEED 7 garbage)
file(WRITE ${WORK}/garbage.ini "${garbage}")
expect_contains("2" "" -i ${WORK}/garbage.ini --save 1+1)
file(READ ${WORK}/garbage.ini saved)
if(NOT saved MATCHES "\\[History\\]\nCount=1\n0=1\\+1")
    message(FATAL_ERROR "garbage settings after --save:\n${saved}")
endif()
expect_contains("2" "kann nicht gelesen werden: Das ist ein Ordner" -i ${WORK} 1+1)
