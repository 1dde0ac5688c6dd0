# Hash.dll: the digest engines and every window of the workflows, behind the one export Hash.
add_library(Hash SHARED
  hash_export.cpp
  memory_reserve.cpp
  module_state.cpp
  progress_dlg.cpp
  results_dlg.cpp
  formatting_dlg.cpp
  verify_digest.cpp
  verify_digest_dlg.cpp
  hash.def
  ${CMAKE_SOURCE_DIR}/resources/hash.rc
)
set_target_properties(Hash PROPERTIES PREFIX "" OUTPUT_NAME Hash)
target_include_directories(Hash PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(Hash PRIVATE corvane_hash_core corvane_framework)
corvane_ship(Hash "Corvane 2004 hash module")
