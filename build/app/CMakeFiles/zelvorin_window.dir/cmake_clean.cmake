file(REMOVE_RECURSE
  "CMakeFiles/zelvorin_window_autogen.dir/AutogenUsed.txt"
  "CMakeFiles/zelvorin_window_autogen.dir/ParseCache.txt"
  "zelvorin_window_autogen"
  "CMakeFiles/zelvorin_window.dir/Form1.cpp.o"
  "CMakeFiles/zelvorin_window.dir/Form1.cpp.o.d"
  "CMakeFiles/zelvorin_window.dir/zelvorin_window_autogen/mocs_compilation.cpp.o"
  "CMakeFiles/zelvorin_window.dir/zelvorin_window_autogen/mocs_compilation.cpp.o.d"
  "libzelvorin_window.a"
  "libzelvorin_window.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/zelvorin_window.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
