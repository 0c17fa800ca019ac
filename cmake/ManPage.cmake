# cmake -DTRAMOND=<tramond> -DTEMPLATE=<tramond.1.in> -DOUT=<tramond.1> -P ManPage.cmake
# The manual page's verbs come from the executable's own verb table (the
# text of "tramond VERB --help"), so the two cannot drift apart.
execute_process(COMMAND ${TRAMOND} --help-man
                OUTPUT_VARIABLE _verbs RESULT_VARIABLE _rc ERROR_VARIABLE _err)
if(NOT _rc EQUAL 0)
  message(FATAL_ERROR "tramond --help-man failed (${_rc}): ${_err}")
endif()
file(READ ${TEMPLATE} _page)
string(REPLACE "@VERBS@" "${_verbs}" _page "${_page}")
file(WRITE ${OUT} "${_page}")
