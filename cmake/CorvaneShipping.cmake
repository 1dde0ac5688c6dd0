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
  # objcopy stamps the PE header with the time of day unless SOURCE_DATE_EPOCH says otherwise; 0
  # keeps the stamp the linker left (--no-insert-timestamp), so that builds compare equal.
  set(objcopy ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=0 ${CORVANE_OBJCOPY})
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${objcopy} --only-keep-debug ${file} ${file}.debug
    COMMAND ${objcopy} --strip-all --add-gnu-debuglink=${file}.debug ${file}
    VERBATIM)
endfunction()

# SHA256SUMS beside the shipped files, as `sha256sum -c SHA256SUMS` checks them there.
function(corvane_release_digests setup_exe)
  set(bin ${CMAKE_BINARY_DIR}/bin)
  add_custom_command(
    OUTPUT ${bin}/SHA256SUMS
    COMMAND sh -c "sha256sum Hash.dll Corvane.dll corvane-host.exe corvane-setup.exe >SHA256SUMS"
    DEPENDS Hash Corvane corvane-host ${setup_exe} $<TARGET_FILE:Hash> $<TARGET_FILE:Corvane>
            $<TARGET_FILE:corvane-host>
    WORKING_DIRECTORY ${bin}
    COMMENT "Writing SHA256SUMS"
    VERBATIM)
  add_custom_target(corvane_release_digests ALL DEPENDS ${bin}/SHA256SUMS)
endfunction()
