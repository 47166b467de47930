# The settings subsystem.
