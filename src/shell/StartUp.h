#pragma once
// The program's start: the one-copy rule, then the chooser.

class Program;

void StartUp(Program& program);
