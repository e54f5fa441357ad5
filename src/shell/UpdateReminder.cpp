#include "shell/UpdateReminder.h"

#include "shell/Program.h"

void UpdateReminder(Program&) {}
