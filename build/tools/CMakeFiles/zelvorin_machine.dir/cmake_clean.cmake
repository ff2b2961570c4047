file(REMOVE_RECURSE
  "CMakeFiles/zelvorin_machine_autogen.dir/AutogenUsed.txt"
  "CMakeFiles/zelvorin_machine_autogen.dir/ParseCache.txt"
  "zelvorin_machine_autogen"
  "CMakeFiles/zelvorin_machine.dir/PtyMachine.cpp.o"
  "CMakeFiles/zelvorin_machine.dir/PtyMachine.cpp.o.d"
  "CMakeFiles/zelvorin_machine.dir/SimulatedMachine.cpp.o"
  "CMakeFiles/zelvorin_machine.dir/SimulatedMachine.cpp.o.d"
  "CMakeFiles/zelvorin_machine.dir/zelvorin_machine_autogen/mocs_compilation.cpp.o"
  "CMakeFiles/zelvorin_machine.dir/zelvorin_machine_autogen/mocs_compilation.cpp.o.d"
  "libzelvorin_machine.a"
  "libzelvorin_machine.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/zelvorin_machine.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
