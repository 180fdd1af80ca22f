# Exit statuses of single requests: cmake -DCLI=<nimbrel-cli> -P ExitStatus.cmake
function(expect_status status stdout)
    execute_process(COMMAND ${CLI} --no-ini --decimal-separator . ${ARGN}
                    RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
    string(STRIP "${out}" out)
    if(NOT result STREQUAL "${status}")
        message(FATAL_ERROR "${ARGN}: status ${result}, expected ${status} (${out} ${err})")
    endif()
    if(NOT out STREQUAL "${stdout}")
        message(FATAL_ERROR "${ARGN}: printed '${out}', expected '${stdout}'")
    endif()
endfunction()

expect_status(0 "7" -- 3+4)
expect_status(0 "7" 3 + 4)
expect_status(1 "Division durch 0" 1/0)
expect_status(1 "2x[Syntaxfehler! Unbekannte Funktion oder fehlender Operator!]" 2x)
expect_status(64 "" --mode)
expect_status(64 "" --mode bogus 1)
expect_status(64 "" --frobnicate)
expect_status(64 "" --order zwei 1)
expect_status(64 "" --save 1) # with --no-ini: nothing could be saved
expect_status(0 "nimbrel-cli ${VERSION}" --version)

# The numeric modes: a method's message is an error text, a refused field an exception.
function(expect_exception message)
    execute_process(COMMAND ${CLI} --no-ini --decimal-separator . ${ARGN}
                    RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
    string(STRIP "${err}" err)
    if(NOT result STREQUAL "2" OR NOT out STREQUAL "" OR NOT err STREQUAL "${message}")
        message(FATAL_ERROR "${ARGN}: status ${result}, printed '${out}', reported '${err}', "
                            "expected status 2 and '${message}'")
    endif()
endfunction()

expect_status(0 "333" --mode integral x^2)
expect_status(0 "0.523598775598299" --mode length --from 0 --to 0.5 sqrt(1-sqr(x)))
expect_status(0 "1.4142135623731" --mode newton --start 1 --max-iter 0 x^2-2)
expect_status(0 "6" --mode numderivative --at 3 x^2)
expect_status(1 "2x[Syntaxfehler! Unbekannte Funktion oder fehlender Operator!]" --mode newton 2x)
expect_status(1 "Newtonverfahren konvergiert nicht!" --mode newton --max-iter -1 x)
expect_status(1 "Ableitung im Newtonverfahren ist Null!" --mode newton 5)
expect_status(1 "Fehler in Newton-Verfahren!" --mode newton 1e4930*sgn(x))
expect_status(1 "Fehler bei der numerischen Differenzierung" --mode numderivative --at 0 --order 2
              1e4931*abs(x))
expect_status(1 "Illegale Intervallangaben: \"von\":1  \"bis\":1.05  \"Intervall\":0.1"
              --mode integral --from 1 --to 1.05 x)
expect_status(1 "Bei der numerischen Berechnung muss \"bis\" größer als \"von\" sein!"
              --mode length --from 10 --to 1 x)
expect_status(1 "Zu viele Teilintervalle bei der numerischen Berechnung: höchstens 2147483647 sind möglich!"
              --mode integral --from 0 --to 1e10 --width 1 x)
expect_exception("Intervall bei der numerischen Integration ist \"0\"!" --mode length --width 0 x)
expect_exception("Intervall bei der numerischen Integration ist \"0\"!" --mode integral --width -1 x)
expect_exception("Es gibt keine 0. Ableitung!" --mode numderivative --order 0 x)
expect_exception("Die numerische Ableitung ist höchstens bis zur 7. Ordnung möglich!"
                 --mode numderivative --order 2147483647 x)
expect_exception("'0,1' ist kein gültiger Gleitkommawert" --mode integral --width 0,1 x)
expect_exception("'abc' ist kein gültiger Gleitkommawert" --mode newton --delta abc x)
expect_exception("'eins' ist kein gültiger Gleitkommawert" --mode numderivative --at eins x)
expect_exception("'' ist kein gültiger Gleitkommawert" --mode length --from= x)

# A batch run says whether any line failed: a message, a refused command or an exception.
function(expect_batch_status status lines)
    string(MD5 name "${lines}")
    set(input ${CMAKE_CURRENT_BINARY_DIR}/batch-${name}.txt)
    file(WRITE ${input} "${lines}")
    execute_process(COMMAND ${CLI} --no-ini --decimal-separator . --batch INPUT_FILE ${input}
                    RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
    file(REMOVE ${input})
    if(NOT result STREQUAL "${status}")
        message(FATAL_ERROR "batch '${lines}': status ${result}, expected ${status} (${out})")
    endif()
endfunction()

expect_batch_status(0 "1+1\nx = 2\nmodus newton\nstart 1\nx^2-2\n")
expect_batch_status(1 "1+1\n1/0\n2+2\n")
expect_batch_status(1 "2x = 1\n1+1\n")
expect_batch_status(1 "modus integral\nbreite 0\n")
expect_batch_status(1 "modus numableitung\nordnung 30\nx\n")
