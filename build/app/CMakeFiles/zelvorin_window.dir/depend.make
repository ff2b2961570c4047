# Empty dependencies file for zelvorin_window.
# This may be replaced when dependencies are built.
