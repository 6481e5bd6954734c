// Placeholder: tests arrive in this file.
