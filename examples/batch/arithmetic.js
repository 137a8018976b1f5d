// A script of the batch demonstration list (batch/demo.jslst): it checks a
// little arithmetic and passes, so its row ends as "Done".
Test.compare(6 * 7, 42);
Test.compare([3, 1, 2].sort().join(","), "1,2,3");
printout("arithmetic checked");
