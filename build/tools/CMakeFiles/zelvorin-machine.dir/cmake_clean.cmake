file(REMOVE_RECURSE
  "CMakeFiles/zelvorin-machine_autogen.dir/AutogenUsed.txt"
  "CMakeFiles/zelvorin-machine_autogen.dir/ParseCache.txt"
  "zelvorin-machine_autogen"
  "CMakeFiles/zelvorin-machine.dir/machine_main.cpp.o"
  "CMakeFiles/zelvorin-machine.dir/machine_main.cpp.o.d"
  "CMakeFiles/zelvorin-machine.dir/zelvorin-machine_autogen/mocs_compilation.cpp.o"
  "CMakeFiles/zelvorin-machine.dir/zelvorin-machine_autogen/mocs_compilation.cpp.o.d"
  "zelvorin-machine"
  "zelvorin-machine.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/zelvorin-machine.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
