// Included by tour.js; files whose names start with "lib" are meant to be
// included, not run on their own.
//
// Before every run an included file is checked by itself, in a bare engine
// that knows none of Corvella's functions. Keep such a file to declarations
// (functions, variables): a top-level call such as printout("hi") here would
// be reported in red as an error of this file.

function greeting(name) {
    return "Hello, " + name + "! This sentence was made by greeting() in lib_greeting.js.";
}

// Functions in an included file may call Corvella's functions: they only run
// later, when the main script calls them.
function printList(title, items) {
    printout("<b>" + title + "</b>");
    for (var i = 0; i < items.length; ++i)
        printout("  " + (i + 1) + ". " + items[i]);
}
