// Window tests of the mouse arrive with it.
