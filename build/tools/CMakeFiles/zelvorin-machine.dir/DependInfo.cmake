
# Consider dependencies only in project.
set(CMAKE_DEPENDS_IN_PROJECT_ONLY OFF)

# The set of languages for which implicit dependencies are needed:
set(CMAKE_DEPENDS_LANGUAGES
  )

# The set of dependency files which are needed:
set(CMAKE_DEPENDS_DEPENDENCY_FILES
  "/work/main/tools/machine_main.cpp" "tools/CMakeFiles/zelvorin-machine.dir/machine_main.cpp.o" "gcc" "tools/CMakeFiles/zelvorin-machine.dir/machine_main.cpp.o.d"
  "/work/main/build/tools/zelvorin-machine_autogen/mocs_compilation.cpp" "tools/CMakeFiles/zelvorin-machine.dir/zelvorin-machine_autogen/mocs_compilation.cpp.o" "gcc" "tools/CMakeFiles/zelvorin-machine.dir/zelvorin-machine_autogen/mocs_compilation.cpp.o.d"
  )

# Targets to which this target links.
set(CMAKE_TARGET_LINKED_INFO_FILES
  "/work/main/build/tools/CMakeFiles/zelvorin_machine.dir/DependInfo.cmake"
  )

# Fortran module output directory.
set(CMAKE_Fortran_TARGET_MODULE_DIR "")
