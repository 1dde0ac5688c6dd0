# What a user receives (the two DLLs, the host): a version resource carrying the project's version,
# and a stripped file whose symbols stay beside it in the build folder as <file>.debug, found by
# debuggers through the file's debug link.
find_program(CORVANE_OBJCOPY NAMES ${CORVANE_MINGW_PREFIX}-objcopy objcopy REQUIRED)

# corvane_ship(<target> <file description>)
function(corvane_ship target description)
  get_target_property(type ${target} TYPE)
  get_target_property(name ${target} OUTPUT_NAME)
  if(NOT name)
    set(name ${target})
  endif()
  if(type STREQUAL "EXECUTABLE")
    set(CORVANE_FILE_TYPE VFT_APP)
    set(CORVANE_FILE_NAME ${name}.exe)
  else()
    set(CORVANE_FILE_TYPE VFT_DLL)
    set(CORVANE_FILE_NAME ${name}.dll)
  endif()
  set(CORVANE_FILE_DESCRIPTION ${description})
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${CMAKE_SOURCE_DIR}/resources/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})

  set(file $<TARGET_FILE:${target}>)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CORVANE_OBJCOPY} --only-keep-debug ${file} ${file}.debug
    COMMAND ${CORVANE_OBJCOPY} --strip-all --add-gnu-debuglink=${file}.debug ${file}
    VERBATIM)
endfunction()
