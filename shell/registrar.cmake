# The registration-script interpreter and the in-memory registry: portable, so the native build
# tests and fuzzes them; the Windows build adds the system registry and links it into Corvane.dll.
add_library(corvane_registrar STATIC
  ${CMAKE_CURRENT_LIST_DIR}/diagnostic_trace.cpp
  ${CMAKE_CURRENT_LIST_DIR}/replacement_map.cpp
  ${CMAKE_CURRENT_LIST_DIR}/script_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/registrar.cpp
  ${CMAKE_CURRENT_LIST_DIR}/memory_registry.cpp
)
if(WIN32)
  target_sources(corvane_registrar PRIVATE ${CMAKE_CURRENT_LIST_DIR}/win32_registry.cpp
                                           ${CMAKE_CURRENT_LIST_DIR}/script_resource.cpp)
  target_link_libraries(corvane_registrar PUBLIC advapi32 oleaut32)
endif()
target_include_directories(corvane_registrar PUBLIC ${CMAKE_SOURCE_DIR})
