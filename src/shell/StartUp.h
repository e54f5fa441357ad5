#pragma once
// The program's start: the one-copy rule, then the chooser.

class Program;

// Gives the windows below the chooser their way back to it. StartUp does this first;
// tests that build a run without starting it call it themselves.
void InstallShell(Program& program);

void StartUp(Program& program);
