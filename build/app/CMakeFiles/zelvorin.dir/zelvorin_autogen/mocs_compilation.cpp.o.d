app/CMakeFiles/zelvorin.dir/zelvorin_autogen/mocs_compilation.cpp.o: \
 /work/main/build/app/zelvorin_autogen/mocs_compilation.cpp \
 /usr/include/stdc-predef.h
