# Empty compiler generated dependencies file for zelvorin_machine.
# This may be replaced when dependencies are built.
