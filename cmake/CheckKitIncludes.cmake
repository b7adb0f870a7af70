# cmake -DKIT_DIR=DIR -P CheckKitIncludes.cmake
# Fails when a file under the kit includes a project file outside the kit: the
# kit is the ground floor, and nothing in it may depend on a plug-in, the
# stage or the setup program. Project includes are those written with quotes
# and a folder ("stage/model.h"); every one under the kit must start "kit/".
file(GLOB_RECURSE kit_files LIST_DIRECTORIES false
     "${KIT_DIR}/*.h" "${KIT_DIR}/*.cpp" "${KIT_DIR}/*.inc" "${KIT_DIR}/*.c")
set(found 0)
foreach(path IN LISTS kit_files)
  file(STRINGS "${path}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"/]+/")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*" "\\1" included "${line}")
    if(NOT included MATCHES "^kit/")
      file(RELATIVE_PATH shown "${KIT_DIR}/.." "${path}")
      message("${shown} includes \"${included}\", outside the kit")
      math(EXPR found "${found} + 1")
    endif()
  endforeach()
endforeach()
if(found GREATER 0)
  message(FATAL_ERROR "${found} include(s) under the kit reach outside it")
endif()
list(LENGTH kit_files count)
message("the kit's ${count} files include only the kit")
