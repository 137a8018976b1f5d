// A script of the batch demonstration list (batch/demo.jslst) that fails on
// purpose: an error nobody catches ends it, and its row ends as "Error". The
// rows after it still run.
printout("about to fail");
throw new Error("this script fails on purpose");
