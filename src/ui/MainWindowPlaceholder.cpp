// The windows are built here.
