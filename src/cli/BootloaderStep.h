#pragma once
// The boot-loader check that precedes an update, with its steps (the check,
// and the rewrite of one too old) reported to the page.

class ProgressPage;

// As UpdateBootloader: 1 when the update may go on.
int CheckBootloader(ProgressPage& page);
