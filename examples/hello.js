// The smallest script: press Run (or run `./corvella --run examples/hello.js`)
// and the line appears in the grey output pane below the editor.
printout("Hello World");

// printout() takes any value and shows it as text; HTML is rendered.
printout("<b>Bold</b> text, and a number: " + (6 * 7));
