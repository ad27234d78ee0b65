#pragma once

// The columns of the terminal (console window) behind `fd`, or 0 when it is
// not one or does not say.
int ConsoleColumns(int fd);
