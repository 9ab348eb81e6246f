// Tests of the filemenu handlers arrive with them.
