#pragma once
// The whole update as the worker thread runs it.

#include <functional>

class ProgressPage;
struct UpdateJob;

// The worker's routine: times RunUpdate, puts the outcome on the status line
// and in the job's m_outcome, records in `job` where a failure happened and
// how long the run took, and raises the job's m_bDone as its last act.
// `beforeDone`, when given, runs once the outcome is known (m_outcome and
// m_statusText are set) and before the page is told it. Returns 1.
int UpdateThreadProc(ProgressPage* page, UpdateJob& job, const std::function<void()>& beforeDone = {});

// Presence, reset and re-attach wait, area programming, the two control
// blocks, end command; releases the job's package whatever happens.
// 1 on success, 0 on failure.
int RunUpdate(UpdateJob& job, ProgressPage& page);
