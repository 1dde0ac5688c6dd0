# Hash.dll: the digest engines and every window of the workflows, behind the one export Hash.
add_library(Hash SHARED
  hash_export.cpp
  hash.def
)
set_target_properties(Hash PROPERTIES PREFIX "" OUTPUT_NAME Hash)
target_link_libraries(Hash PRIVATE corvane_hash_core)
