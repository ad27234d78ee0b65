#pragma once

// True when a line written to `fd` can be redrawn in place with escape
// sequences: a terminal, or on Windows a console that takes them (turned on
// here; a console before Windows 10 cannot, and gets plain lines).
bool RedrawsInPlace(int fd);
