// Role selection tests.
