file(REMOVE_RECURSE
  "libzelvorin_window.a"
)
