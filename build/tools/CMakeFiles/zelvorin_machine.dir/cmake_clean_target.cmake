file(REMOVE_RECURSE
  "libzelvorin_machine.a"
)
