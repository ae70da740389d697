#include "render/contours.h"

void DrawContours() {}
