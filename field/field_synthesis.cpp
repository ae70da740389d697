#include "field/field_synthesis.h"

void SynthesizeField(const RunSettings&) {}
