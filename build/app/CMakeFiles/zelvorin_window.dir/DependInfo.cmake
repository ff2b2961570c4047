
# Consider dependencies only in project.
set(CMAKE_DEPENDS_IN_PROJECT_ONLY OFF)

# The set of languages for which implicit dependencies are needed:
set(CMAKE_DEPENDS_LANGUAGES
  )

# The set of dependency files which are needed:
set(CMAKE_DEPENDS_DEPENDENCY_FILES
  "/work/main/app/Form1.cpp" "app/CMakeFiles/zelvorin_window.dir/Form1.cpp.o" "gcc" "app/CMakeFiles/zelvorin_window.dir/Form1.cpp.o.d"
  "/work/main/build/app/zelvorin_window_autogen/mocs_compilation.cpp" "app/CMakeFiles/zelvorin_window.dir/zelvorin_window_autogen/mocs_compilation.cpp.o" "gcc" "app/CMakeFiles/zelvorin_window.dir/zelvorin_window_autogen/mocs_compilation.cpp.o.d"
  )

# Targets to which this target links.
set(CMAKE_TARGET_LINKED_INFO_FILES
  "/work/main/build/CMakeFiles/zelvorin_logic.dir/DependInfo.cmake"
  )

# Fortran module output directory.
set(CMAKE_Fortran_TARGET_MODULE_DIR "")
