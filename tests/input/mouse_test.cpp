// Tests of the mouse handlers arrive with them.
