# ky_sample_captures(<target> OUTPUT <folder> [SIZE <W>x<H>] [SEED <n>] [KINDS <kind>...] [ALL])
#
# A target that writes sample capture folders (tools/samplecapture) into <folder> at build time,
# again only when the tool changes. Make a test depend on it with add_dependencies to have its
# fixtures ready before it runs.
function(ky_sample_captures target)
  cmake_parse_arguments(ARG "ALL" "OUTPUT;SIZE;SEED" "KINDS" ${ARGN})
  if(NOT ARG_OUTPUT)
    message(FATAL_ERROR "ky_sample_captures(${target}): OUTPUT is required")
  endif()
  set(args ${ARG_OUTPUT})
  if(ARG_SIZE)
    list(APPEND args --size ${ARG_SIZE})
  endif()
  if(DEFINED ARG_SEED)
    list(APPEND args --seed ${ARG_SEED})
  endif()
  if(ARG_KINDS)
    list(JOIN ARG_KINDS "," kinds)
    list(APPEND args --kinds ${kinds})
  endif()
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${target}.stamp)
  add_custom_command(OUTPUT ${stamp}
    COMMAND samplecapture ${args}
    COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
    DEPENDS samplecapture
    COMMENT "Writing sample captures into ${ARG_OUTPUT}"
    VERBATIM)
  if(ARG_ALL)
    add_custom_target(${target} ALL DEPENDS ${stamp})
  else()
    add_custom_target(${target} DEPENDS ${stamp})
  endif()
endfunction()
