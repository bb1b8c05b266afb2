// The program runner now lives in the test support library; this name is
// kept for the tests that include it here.
#pragma once

#include "tests/support/program_run.h"
