# cmake -DPLUGIN=FILE -DNM=nm -DREADELF=readelf -P CheckRuntimeLinking.cmake
# Fails unless the plug-in reaches CPython only through its run-time table:
# no undefined symbol of CPython's (Py..., _Py...), no Python library among
# the libraries it needs, and no unique symbol (which would keep the plug-in
# loaded after the host unloads it, and the interpreter's state with it).
execute_process(COMMAND ${NM} -D --undefined-only ${PLUGIN} OUTPUT_VARIABLE undefined
                RESULT_VARIABLE nm_result)
execute_process(COMMAND ${NM} -D --defined-only ${PLUGIN} OUTPUT_VARIABLE defined)
execute_process(COMMAND ${READELF} -d ${PLUGIN} OUTPUT_VARIABLE dynamic
                RESULT_VARIABLE readelf_result)
if(NOT nm_result EQUAL 0 OR NOT readelf_result EQUAL 0)
  message(FATAL_ERROR "cannot read ${PLUGIN}")
endif()
set(found 0)
string(REGEX MATCHALL "[ \t]U[ \t]+_*Py[A-Za-z0-9_]*" python_symbols "${undefined}")
foreach(symbol IN LISTS python_symbols)
  string(REGEX REPLACE "^[ \t]U[ \t]+" "" symbol "${symbol}")
  message("undefined CPython symbol: ${symbol}")
  math(EXPR found "${found} + 1")
endforeach()
string(REGEX MATCHALL "NEEDED[^\n]*python[^\n]*" needed "${dynamic}")
foreach(line IN LISTS needed)
  message("needs a Python library: ${line}")
  math(EXPR found "${found} + 1")
endforeach()
string(REGEX MATCHALL "[ \t]u[ \t]+[^\n]+" unique "${defined}")
foreach(symbol IN LISTS unique)
  message("unique symbol (the plug-in could never be unloaded): ${symbol}")
  math(EXPR found "${found} + 1")
endforeach()
if(found GREATER 0)
  message(FATAL_ERROR "${found} problem(s) in how ${PLUGIN} reaches CPython")
endif()
message("${PLUGIN} reaches CPython only through its run-time table")
