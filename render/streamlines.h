#pragma once
// Streamline strokes: traces the 400 seeds through the in-plane field of
// FieldGrid into StreamPlane and turns it into StreamImage. Prints its stage
// message first.
void TraceStreamlines();
