// Window tests of the keyboard arrive with it.
