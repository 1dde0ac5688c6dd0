# Facts the C++ headers state, read from them for what cannot include a header: the installer
# script and the shipped files' descriptions. A change to a header configures the build again.

# Sets `variable` to the first group of `pattern`, which must match exactly one line of `header`.
function(corvane_read_fact variable header pattern)
  set(path ${CMAKE_SOURCE_DIR}/${header})
  file(STRINGS ${path} lines REGEX "${pattern}")
  list(LENGTH lines count)
  if(NOT count EQUAL 1)
    message(FATAL_ERROR "${header}: ${count} lines match ${pattern}, not one")
  endif()
  string(REGEX MATCH "${pattern}" matched "${lines}")
  if(CMAKE_MATCH_1 STREQUAL "")
    message(FATAL_ERROR "${header}: ${pattern} finds nothing in: ${lines}")
  endif()
  set(${variable} "${CMAKE_MATCH_1}" PARENT_SCOPE)
  set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${path})
endfunction()

corvane_read_fact(CORVANE_PRODUCT_NAME common/product.h
                  "^#define CORVANE_PRODUCT_NAME \"([^\"]+)\"$")
corvane_read_fact(CORVANE_PRODUCT_TITLE common/product.h
                  "^#define CORVANE_PRODUCT_TITLE \"([^\"]+)\"$")
set(corvane_guid "{[0-9A-F-]+}")
corvane_read_fact(CORVANE_CLSID common/com_identifiers.h
                  "kCorvaneShellClassId\\[\\] = \"(${corvane_guid})\"")
corvane_read_fact(CORVANE_IID common/com_identifiers.h
                  "kCorvaneShellInterfaceId\\[\\] = \"(${corvane_guid})\"")
corvane_read_fact(CORVANE_LIBID common/com_identifiers.h
                  "kCorvaneTypeLibraryId\\[\\] = \"(${corvane_guid})\"")

# What installer/corvane.nsi is given of them.
set(CORVANE_NSIS_FACTS
    "-DPRODUCT=${CORVANE_PRODUCT_NAME}" "-DPRODUCT_TITLE=${CORVANE_PRODUCT_TITLE}"
    "-DCLSID=${CORVANE_CLSID}" "-DIID=${CORVANE_IID}" "-DLIBID=${CORVANE_LIBID}")
