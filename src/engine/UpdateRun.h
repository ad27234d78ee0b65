#pragma once
// The whole update as the worker thread runs it.

class ProgressPage;
struct UpdateJob;

// The worker's routine: times RunUpdate, puts the outcome on the status line
// and in page->m_outcome, records in `job` where a failure happened and how
// long the run took, and raises page->m_bDone as its last act. Returns 1.
int UpdateThreadProc(ProgressPage* page, UpdateJob& job);

// Presence, reset and re-attach wait, area programming, the two control
// blocks, end command; releases the job's package whatever happens.
// 1 on success, 0 on failure.
int RunUpdate(UpdateJob& job, ProgressPage& page);
