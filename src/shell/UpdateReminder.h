#pragma once
// At start-up, offers to check for an update when the last reminder lies more than
// 14 days away.

class Program;

void UpdateReminder(Program& program);
