file(REMOVE_RECURSE
  "CMakeFiles/zelvorin_machine_autogen"
  "zelvorin_machine_autogen/mocs_compilation.cpp"
)

# Per-language clean rules from dependency scanning.
foreach(lang )
  include(CMakeFiles/zelvorin_machine_autogen.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
