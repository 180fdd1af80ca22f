# Parameters read as the window reads its command line, and the settings file named by -i:
# cmake -DCLI=<nimbrel-cli> -DWORK=<empty folder> -P Parameters.cmake
function(expect_output stdout)
    execute_process(COMMAND ${CLI} --decimal-separator . ${ARGN}
                    RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
    string(STRIP "${out}" out)
    if(NOT result STREQUAL "0" OR NOT out STREQUAL "${stdout}")
        message(FATAL_ERROR "${ARGN}: status ${result}, printed '${out}' (${err}), expected '${stdout}'")
    endif()
endfunction()

expect_output("-sin(x)" --no-ini sin(x) \\d 2 \\x x)
expect_output("x*24" --no-ini \\D3 x^4)
expect_output("2*x" --no-ini \\d \\i x^2)
expect_output("1.4142135623731" --no-ini \\vy=2 \\n \\xy y^2-2)
expect_output("7" --no-ini \\q 5 3+4)
expect_output("2*x" --no-ini \\c x+x)
expect_output("333" --no-ini \\i \\m \\vx=1 \\t 10 \\l 0.1 x^2)
expect_output("2,5" --no-ini --decimal-separator , \\vy=2,5 y)

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(WRITE ${WORK}/prepared.ini "[Variables]\nCount=1\nname1=k\nvalue1=4\n[History]\nMaxCount=5\n")
expect_output("8" -i ${WORK}/prepared.ini k*2)
expect_output("12" -i ${WORK}/prepared.ini --save k*3)
file(READ ${WORK}/prepared.ini saved)
if(NOT saved MATCHES "0=k\\*3" OR NOT saved MATCHES "MaxCount=5" OR NOT saved MATCHES "value2=4")
    message(FATAL_ERROR "settings after --save:\n${saved}")
endif()
expect_output("0" -i ${WORK}/prepared.ini zeta) # k is still there, zeta is new
