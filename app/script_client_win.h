// Zelcap.exe started with arguments is a scripted call: it checks them,
// finds the Zelcap window of the same user started from the same folder (or
// starts one), hands it the commands and waits for the result, which it
// writes to /result: and prints on the console it was started from.
#pragma once

namespace script_client {

bool HasArguments();
// Runs the call; its exit code.
int Run();

}  // namespace script_client
