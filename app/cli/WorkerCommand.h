#pragma once

// `corvella --worker`, started by `--batch --jobs` (ScriptProcess) with one
// end of a run channel in CORVELLA_CHANNEL, never by a user: a frame like the
// one --run shows, drawing off screen, runs the one script the channel's
// "run" names, reports its "result" and the process ends. Each script thus
// gets a fresh engine, fresh widgets and a process of its own, so no script
// sees what another left. "stop" stops the script as a time limit does.
// Returns 2 when no channel was handed down.
int runWorkerCommand(int argc, char **argv);
