# Empty custom commands generated dependencies file for zelvorin_machine_autogen.
# This may be replaced when dependencies are built.
