// The field and line writers live in format/; this name is kept for the
// files of the driver that still include it here.
#pragma once

#include "format/format.h"
