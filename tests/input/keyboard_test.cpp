// Tests of the keyboard handlers arrive with them.
