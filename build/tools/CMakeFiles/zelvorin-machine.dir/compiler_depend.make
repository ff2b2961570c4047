# Empty compiler generated dependencies file for zelvorin-machine.
# This may be replaced when dependencies are built.
