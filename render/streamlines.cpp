#include "render/streamlines.h"

void TraceStreamlines() {}
