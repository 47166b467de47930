# The options subsystem.
