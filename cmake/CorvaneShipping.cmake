# What a user receives (the two DLLs, the host): a version resource carrying the project's version,
# and a stripped file whose symbols stay beside it in the build folder as <file>.debug, found by
# debuggers through the file's debug link.
find_program(CORVANE_OBJCOPY NAMES ${CORVANE_MINGW_PREFIX}-objcopy objcopy REQUIRED)

# Given a certificate, every shipped file is Authenticode-signed (tools/sign.sh): these three once
# stripped, the uninstaller and the installer by makensis. The password is read from the build's
# environment (CORVANE_SIGNING_PASSWORD), never stored here.
set(CORVANE_SIGNING_PFX "" CACHE FILEPATH
    "PKCS#12 file that signs every shipped file; its password in CORVANE_SIGNING_PASSWORD at build time")
set(CORVANE_SIGNING_TIMESTAMP_URL "" CACHE STRING "RFC 3161 time-stamp server for the signatures")
set(CORVANE_SIGN_COMMAND "")
if(CORVANE_SIGNING_PFX)
  if(NOT EXISTS "${CORVANE_SIGNING_PFX}" OR IS_DIRECTORY "${CORVANE_SIGNING_PFX}")
    message(FATAL_ERROR "CORVANE_SIGNING_PFX: the certificate ${CORVANE_SIGNING_PFX} does not exist")
  endif()
  find_program(CORVANE_OSSLSIGNCODE osslsigncode)
  if(NOT CORVANE_OSSLSIGNCODE)
    message(FATAL_ERROR "CORVANE_SIGNING_PFX: signing needs osslsigncode (tools/setup.sh installs it)")
  endif()
  set(CORVANE_SIGN_COMMAND ${CMAKE_COMMAND} -E env CORVANE_SIGNING_PFX=${CORVANE_SIGNING_PFX}
      CORVANE_SIGNING_TIMESTAMP_URL=${CORVANE_SIGNING_TIMESTAMP_URL})
  set(CORVANE_SIGN_DEPENDS ${CORVANE_SIGNING_PFX} ${CMAKE_SOURCE_DIR}/tools/sign.sh)
endif()

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
  set(sign "")
  if(CORVANE_SIGN_COMMAND)
    set(sign COMMAND ${CORVANE_SIGN_COMMAND} ${CMAKE_SOURCE_DIR}/tools/sign.sh ${file})
    # Signed again with a new certificate.
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${CORVANE_SIGN_DEPENDS})
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${objcopy} --only-keep-debug ${file} ${file}.debug
    COMMAND ${objcopy} --strip-all --add-gnu-debuglink=${file}.debug ${file}
    ${sign}
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
