# Empty custom commands generated dependencies file for zelvorin-machine_autogen.
# This may be replaced when dependencies are built.
