
# Consider dependencies only in project.
set(CMAKE_DEPENDS_IN_PROJECT_ONLY OFF)

# The set of languages for which implicit dependencies are needed:
set(CMAKE_DEPENDS_LANGUAGES
  )

# The set of dependency files which are needed:
set(CMAKE_DEPENDS_DEPENDENCY_FILES
  "/work/main/tools/PtyMachine.cpp" "tools/CMakeFiles/zelvorin_machine.dir/PtyMachine.cpp.o" "gcc" "tools/CMakeFiles/zelvorin_machine.dir/PtyMachine.cpp.o.d"
  "/work/main/tools/SimulatedMachine.cpp" "tools/CMakeFiles/zelvorin_machine.dir/SimulatedMachine.cpp.o" "gcc" "tools/CMakeFiles/zelvorin_machine.dir/SimulatedMachine.cpp.o.d"
  "/work/main/build/tools/zelvorin_machine_autogen/mocs_compilation.cpp" "tools/CMakeFiles/zelvorin_machine.dir/zelvorin_machine_autogen/mocs_compilation.cpp.o" "gcc" "tools/CMakeFiles/zelvorin_machine.dir/zelvorin_machine_autogen/mocs_compilation.cpp.o.d"
  )

# Targets to which this target links.
set(CMAKE_TARGET_LINKED_INFO_FILES
  )

# Fortran module output directory.
set(CMAKE_Fortran_TARGET_MODULE_DIR "")
