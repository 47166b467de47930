int OrvixQtPlaceholder() { return 0; }
