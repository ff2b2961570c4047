file(REMOVE_RECURSE
  "CMakeFiles/zelvorin_autogen.dir/AutogenUsed.txt"
  "CMakeFiles/zelvorin_autogen.dir/ParseCache.txt"
  "zelvorin_autogen"
  "CMakeFiles/zelvorin.dir/main.cpp.o"
  "CMakeFiles/zelvorin.dir/main.cpp.o.d"
  "CMakeFiles/zelvorin.dir/zelvorin_autogen/mocs_compilation.cpp.o"
  "CMakeFiles/zelvorin.dir/zelvorin_autogen/mocs_compilation.cpp.o.d"
  "zelvorin"
  "zelvorin.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/zelvorin.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
