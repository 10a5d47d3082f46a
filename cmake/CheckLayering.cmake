# cmake -DROOT=<dir> -P CheckLayering.cmake
#
# The folders under ROOT/src depend one way: runtime <- data <- analysis <-
# output <- shell (and the programs in app/ over all of them). A source may
# include its own folder and the ones before it, never a later one; every
# include that breaks this is listed and the script fails.
if(NOT DEFINED ROOT)
  message(FATAL_ERROR "ROOT is not set")
endif()
set(layers runtime data analysis output shell app)
file(GLOB_RECURSE sources RELATIVE "${ROOT}/src" "${ROOT}/src/*.h" "${ROOT}/src/*.cpp")
set(broken "")
foreach(source IN LISTS sources)
  string(REGEX MATCH "^[^/]+" folder "${source}")
  list(FIND layers "${folder}" own)
  if(own EQUAL -1)
    string(APPEND broken "\n  src/${source}: folder ${folder} has no place in the layers")
    continue()
  endif()
  file(STRINGS "${ROOT}/src/${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"/]+/")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"/]+)/.*" "\\1" target "${line}")
    list(FIND layers "${target}" used)
    if(used GREATER own)
      string(STRIP "${line}" line)
      string(APPEND broken "\n  src/${source}: ${line}")
    endif()
  endforeach()
endforeach()
if(broken)
  message(FATAL_ERROR "Includes of a later folder (runtime <- data <- analysis <- output <- shell <- app):${broken}")
endif()
