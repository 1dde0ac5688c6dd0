# The list of selected paths is portable and tested natively as well.
add_library(corvane_path_list STATIC path_list.cpp)
target_include_directories(corvane_path_list PUBLIC ${CMAKE_SOURCE_DIR})

if(NOT WIN32)
  return()
endif()

# Corvane.dll: the in-process COM server with the context-menu handler.
set(corvane_idl ${CMAKE_SOURCE_DIR}/resources/corvane.idl)
set(corvane_tlb ${CMAKE_CURRENT_BINARY_DIR}/corvane.tlb)
add_custom_command(
  OUTPUT ${corvane_tlb}
  COMMAND ${CORVANE_WIDL} --win64 -t -o ${corvane_tlb}
          -I /usr/include/wine/wine/windows -L /usr/lib/x86_64-linux-gnu/wine/x86_64-windows
          ${corvane_idl}
  DEPENDS ${corvane_idl}
  COMMENT "Compiling the CORVANELib type library"
  VERBATIM)

set(corvane_rc ${CMAKE_SOURCE_DIR}/resources/corvane.rc)
set_source_files_properties(${corvane_rc} PROPERTIES
  OBJECT_DEPENDS "${corvane_tlb};${CMAKE_SOURCE_DIR}/resources/corvane.rgs")

add_library(Corvane SHARED
  dll_main.cpp
  module.cpp
  class_factory.cpp
  corvane_shell.cpp
  context_menu.cpp
  dropped_path.cpp
  type_info_holder.cpp
  identifiers.cpp
  self_registration.cpp
  corvane.def
  ${corvane_rc}
)
set_target_properties(Corvane PROPERTIES PREFIX "" OUTPUT_NAME Corvane)
# windres looks for the embedded files along the include path.
target_include_directories(Corvane PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_BINARY_DIR}
                                           ${CMAKE_SOURCE_DIR}/resources)
target_link_libraries(Corvane PRIVATE corvane_path_list ole32 oleaut32 shell32 user32 advapi32
                      uuid)
# The registrar brings the trace sink along with it.
if(TARGET corvane_registrar)
  target_link_libraries(Corvane PRIVATE corvane_registrar)
else()
  target_sources(Corvane PRIVATE diagnostic_trace.cpp)
endif()
corvane_ship(Corvane "Corvane 2004 shell extension")
