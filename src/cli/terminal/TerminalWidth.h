#pragma once
// The width of the terminal behind a file descriptor.

// Its columns as the terminal reports them; else $COLUMNS; else 80.
int TerminalColumns(int fd);
