#pragma once
// The wizard's course: the welcome page, then the progress page, each a
// modal dialog run from its template, with the driver deciding every step.

#include <windows.h>

#include <optional>

#include "win/WizardDriver.h"

// The exit code when a page's window cannot be made at all.
inline constexpr int kNoWindowExitCode = 70;

// Runs the wizard; returns the program's exit code.
int RunWizard(HINSTANCE instance, WizardDriver& driver);

// Shows the step's messages, owned by `owner`, and answers file questions,
// until the step leads to a page or to the end. A step to the progress page
// is returned as it is: its messages are that page's.
WizardStep Settle(HWND owner, WizardDriver& driver, WizardStep step);

// Runs the welcome page for a Welcome step until it leads elsewhere, and
// returns that step, settled. `placedAt` gets the page's last position.
WizardStep RunWelcomeDialog(HINSTANCE instance, WizardDriver& driver, const WizardStep& step,
                            std::optional<POINT>* placedAt);

// Runs the progress page for a Progress step, at `placedAt` when given;
// returns the exit code.
int RunProgressDialog(HINSTANCE instance, WizardDriver& driver, const WizardStep& step,
                      std::optional<POINT> placedAt);
