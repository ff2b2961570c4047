file(REMOVE_RECURSE
  "libzelvorin_logic.a"
)
