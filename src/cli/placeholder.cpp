int OrvixCliPlaceholder() { return 0; }
