// Keeps the UI library non-empty while it has no windows of its own.
