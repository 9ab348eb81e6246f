// Window tests of the dialog arrive with it.
