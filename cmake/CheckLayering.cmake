# cmake -DROOT=<dir> -P CheckLayering.cmake
#
# The folders under ROOT/src depend one way, in this order (the programs in
# app/ over all of them):
#   runtime <- data <- analysis (its own files) <- analysis/resampling
#   <- analysis/descriptives, analysis/bootstrap <- analysis/paired
#   <- analysis/effect_size <- output <- shell
# A source may include its own folder and the ones before it. Folders of one
# rank (descriptives and bootstrap) are siblings: neither includes the other,
# they share only what lies below them. A folder not named here (output/plot)
# belongs to the nearest one named above it. Every include that breaks this is
# listed and the script fails.
if(NOT DEFINED ROOT)
  message(FATAL_ERROR "ROOT is not set")
endif()
set(layers
  runtime=0 data=1 analysis=2 analysis/resampling=3 analysis/descriptives=4 analysis/bootstrap=4
  analysis/paired=5 analysis/effect_size=6 output=7 shell=8 app=9)

# The named folder `dir` (a path below src/) belongs to, and its rank; an
# empty name when it has none.
function(layer_of dir out_folder out_rank)
  set(folder "")
  set(rank -1)
  set(longest 0)
  foreach(entry IN LISTS layers)
    string(REPLACE "=" ";" nameAndRank "${entry}")
    list(GET nameAndRank 0 name)
    list(GET nameAndRank 1 r)
    string(LENGTH "${name}" length)
    if((dir STREQUAL name OR dir MATCHES "^${name}/") AND length GREATER longest)
      set(folder "${name}")
      set(rank ${r})
      set(longest ${length})
    endif()
  endforeach()
  set(${out_folder} "${folder}" PARENT_SCOPE)
  set(${out_rank} ${rank} PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE sources RELATIVE "${ROOT}/src" "${ROOT}/src/*.h" "${ROOT}/src/*.cpp")
set(broken "")
foreach(source IN LISTS sources)
  get_filename_component(dir "${source}" DIRECTORY)
  layer_of("${dir}" own ownRank)
  if(own STREQUAL "")
    string(APPEND broken "\n  src/${source}: folder ${dir} has no place in the layers")
    continue()
  endif()
  file(STRINGS "${ROOT}/src/${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"]+/[^\"/]+\"")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)/[^\"/]+\".*" "\\1" target "${line}")
    layer_of("${target}" used usedRank)
    if(used STREQUAL own)
      continue()
    endif()
    if(used STREQUAL "" OR NOT usedRank LESS ownRank)
      string(STRIP "${line}" line)
      string(APPEND broken "\n  src/${source}: ${line}")
    endif()
  endforeach()
endforeach()
if(broken)
  message(FATAL_ERROR "Includes of a later or a sibling folder (runtime <- data <- analysis <- "
                      "analysis/resampling <- analysis/descriptives | analysis/bootstrap <- "
                      "analysis/paired <- analysis/effect_size <- output <- shell <- app):${broken}")
endif()
