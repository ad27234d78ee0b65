#pragma once
// The whole update as the worker thread runs it.

class ProgressPage;

// The worker's routine: times RunUpdate, puts the outcome on the status line
// and in page->m_outcome, and raises page->m_bDone as its last act. Returns 1.
int UpdateThreadProc(ProgressPage* page);

// Presence, reset and re-attach wait, area programming, the two control
// blocks, end command; releases the package buffers whatever happens.
// 1 on success, 0 on failure.
int RunUpdate(ProgressPage& page);
