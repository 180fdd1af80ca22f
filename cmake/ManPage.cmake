# Turns a UTF-8 manual page into plain roff (preconv) with the version filled in, and gzips it
# as Debian wants. Called as: cmake -DSOURCE=... -DOUTPUT=... -DVERSION=... -P ManPage.cmake
file(READ ${SOURCE} page)
string(REPLACE "@NIMBREL_VERSION@" "${VERSION}" page "${page}")
file(WRITE ${OUTPUT}.utf8 "${page}")
find_program(PRECONV preconv)
if(PRECONV)
    execute_process(COMMAND ${PRECONV} -e UTF-8 ${OUTPUT}.utf8 OUTPUT_FILE ${OUTPUT}
                    RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "preconv failed on ${SOURCE}")
    endif()
else()
    # man-db converts UTF-8 itself; only groff alone would need the escapes.
    file(RENAME ${OUTPUT}.utf8 ${OUTPUT})
endif()
# -n keeps name and time out of the archive, so the package builds reproducibly.
execute_process(COMMAND gzip -9nc ${OUTPUT} OUTPUT_FILE ${OUTPUT}.gz RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip failed on ${OUTPUT}")
endif()
