// Zelcap.exe started with arguments is a scripted call: it checks them,
// finds the Zelcap window of the same user started from the same folder (or
// starts one), hands it the commands and waits for the result, which it
// writes to /result: and prints on the console it was started from.
#pragma once

namespace script_client {

// The command line starts with an option: the process is a scripted call.
bool HasArguments();
// Runs the call; its exit code.
int Run();

}  // namespace script_client
