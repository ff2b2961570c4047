
# Consider dependencies only in project.
set(CMAKE_DEPENDS_IN_PROJECT_ONLY OFF)

# The set of languages for which implicit dependencies are needed:
set(CMAKE_DEPENDS_LANGUAGES
  )

# The set of dependency files which are needed:
set(CMAKE_DEPENDS_DEPENDENCY_FILES
  "/work/main/printout/PrintoutCopy.cpp" "CMakeFiles/zelvorin_logic.dir/printout/PrintoutCopy.cpp.o" "gcc" "CMakeFiles/zelvorin_logic.dir/printout/PrintoutCopy.cpp.o.d"
  "/work/main/printout/PrintoutRenderer.cpp" "CMakeFiles/zelvorin_logic.dir/printout/PrintoutRenderer.cpp.o" "gcc" "CMakeFiles/zelvorin_logic.dir/printout/PrintoutRenderer.cpp.o.d"
  "/work/main/reset/ResetExchange.cpp" "CMakeFiles/zelvorin_logic.dir/reset/ResetExchange.cpp.o" "gcc" "CMakeFiles/zelvorin_logic.dir/reset/ResetExchange.cpp.o.d"
  "/work/main/serial/DeviceSerialPort.cpp" "CMakeFiles/zelvorin_logic.dir/serial/DeviceSerialPort.cpp.o" "gcc" "CMakeFiles/zelvorin_logic.dir/serial/DeviceSerialPort.cpp.o.d"
  "/work/main/serial/LineSettings.cpp" "CMakeFiles/zelvorin_logic.dir/serial/LineSettings.cpp.o" "gcc" "CMakeFiles/zelvorin_logic.dir/serial/LineSettings.cpp.o.d"
  "/work/main/serial/PortDirectory.cpp" "CMakeFiles/zelvorin_logic.dir/serial/PortDirectory.cpp.o" "gcc" "CMakeFiles/zelvorin_logic.dir/serial/PortDirectory.cpp.o.d"
  "/work/main/serial/PortScan.cpp" "CMakeFiles/zelvorin_logic.dir/serial/PortScan.cpp.o" "gcc" "CMakeFiles/zelvorin_logic.dir/serial/PortScan.cpp.o.d"
  "/work/main/build/zelvorin_logic_autogen/mocs_compilation.cpp" "CMakeFiles/zelvorin_logic.dir/zelvorin_logic_autogen/mocs_compilation.cpp.o" "gcc" "CMakeFiles/zelvorin_logic.dir/zelvorin_logic_autogen/mocs_compilation.cpp.o.d"
  )

# Targets to which this target links.
set(CMAKE_TARGET_LINKED_INFO_FILES
  )

# Fortran module output directory.
set(CMAKE_Fortran_TARGET_MODULE_DIR "")
