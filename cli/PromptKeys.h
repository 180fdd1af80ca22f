// The console's prompt under signals: Ctrl+C drops the line being typed, SIGHUP and SIGTERM
// end the prompt, whenever they come.
#pragma once

#include <cstdio>

// Installs the handler of Ctrl+C for the prompt.
void CatchPromptInterrupt();
// Whether Ctrl+C came since the last call; clears it.
bool TakePromptInterrupt();
// The line editor's character source: one character (UTF-8 decoded) of the terminal, or EOF
// as soon as Ctrl+C or an end signal came, also one that came just before the wait began.
int ReadPromptKey(FILE* input);
