CMakeFiles/zelvorin_logic.dir/zelvorin_logic_autogen/mocs_compilation.cpp.o: \
 /work/main/build/zelvorin_logic_autogen/mocs_compilation.cpp \
 /usr/include/stdc-predef.h
