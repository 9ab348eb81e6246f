// Window tests of the launcher arrive with it.
