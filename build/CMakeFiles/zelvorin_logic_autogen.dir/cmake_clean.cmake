file(REMOVE_RECURSE
  "CMakeFiles/zelvorin_logic_autogen"
  "zelvorin_logic_autogen/mocs_compilation.cpp"
)

# Per-language clean rules from dependency scanning.
foreach(lang )
  include(CMakeFiles/zelvorin_logic_autogen.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
