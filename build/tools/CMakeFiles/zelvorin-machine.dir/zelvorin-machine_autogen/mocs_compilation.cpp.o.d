tools/CMakeFiles/zelvorin-machine.dir/zelvorin-machine_autogen/mocs_compilation.cpp.o: \
 /work/main/build/tools/zelvorin-machine_autogen/mocs_compilation.cpp \
 /usr/include/stdc-predef.h
