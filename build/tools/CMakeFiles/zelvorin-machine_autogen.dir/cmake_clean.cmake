file(REMOVE_RECURSE
  "CMakeFiles/zelvorin-machine_autogen"
  "zelvorin-machine_autogen/mocs_compilation.cpp"
)

# Per-language clean rules from dependency scanning.
foreach(lang )
  include(CMakeFiles/zelvorin-machine_autogen.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
