#pragma once
// The application: runs the welcome page; the package it loaded goes when
// the pages have closed.

#include "wizard/WizardSetup.h"

class CVornelApp {
public:
    explicit CVornelApp(const WizardSetup& setup) : m_setup(setup) {}

    // Returns the process's exit code, the same as kt7-flash gives for the
    // same ending (see UpdateOutcome).
    int InitInstance();

private:
    const WizardSetup& m_setup;
};
