file(REMOVE_RECURSE
  "CMakeFiles/zelvorin_logic_autogen.dir/AutogenUsed.txt"
  "CMakeFiles/zelvorin_logic_autogen.dir/ParseCache.txt"
  "zelvorin_logic_autogen"
  "CMakeFiles/zelvorin_logic.dir/printout/PrintoutCopy.cpp.o"
  "CMakeFiles/zelvorin_logic.dir/printout/PrintoutCopy.cpp.o.d"
  "CMakeFiles/zelvorin_logic.dir/printout/PrintoutRenderer.cpp.o"
  "CMakeFiles/zelvorin_logic.dir/printout/PrintoutRenderer.cpp.o.d"
  "CMakeFiles/zelvorin_logic.dir/reset/ResetExchange.cpp.o"
  "CMakeFiles/zelvorin_logic.dir/reset/ResetExchange.cpp.o.d"
  "CMakeFiles/zelvorin_logic.dir/serial/DeviceSerialPort.cpp.o"
  "CMakeFiles/zelvorin_logic.dir/serial/DeviceSerialPort.cpp.o.d"
  "CMakeFiles/zelvorin_logic.dir/serial/LineSettings.cpp.o"
  "CMakeFiles/zelvorin_logic.dir/serial/LineSettings.cpp.o.d"
  "CMakeFiles/zelvorin_logic.dir/serial/PortDirectory.cpp.o"
  "CMakeFiles/zelvorin_logic.dir/serial/PortDirectory.cpp.o.d"
  "CMakeFiles/zelvorin_logic.dir/serial/PortScan.cpp.o"
  "CMakeFiles/zelvorin_logic.dir/serial/PortScan.cpp.o.d"
  "CMakeFiles/zelvorin_logic.dir/zelvorin_logic_autogen/mocs_compilation.cpp.o"
  "CMakeFiles/zelvorin_logic.dir/zelvorin_logic_autogen/mocs_compilation.cpp.o.d"
  "libzelvorin_logic.a"
  "libzelvorin_logic.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/zelvorin_logic.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
