# Empty dependencies file for zelvorin.
# This may be replaced when dependencies are built.
