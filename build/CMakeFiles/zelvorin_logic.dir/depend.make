# Empty dependencies file for zelvorin_logic.
# This may be replaced when dependencies are built.
