// The start sequence: the application object, the hidden form, the message loop.
#pragma once

// Runs Lumra on the Windows binding in use until it is told to end; always returns 0.
int RunProgram();
