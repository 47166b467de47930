# The users subsystem.
