# Empty custom commands generated dependencies file for zelvorin_logic_autogen.
# This may be replaced when dependencies are built.
