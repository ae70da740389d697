#pragma once
// What each row of the colour table means, in words a painter reads: the
// palette file, its legend and the browser page's hover text all use these.
#include <string>

// Clock direction in whole degrees (0 up, 90 right) in which the row's
// cubes are magnetised in the plane; -1 for rows magnetised across the sheet
// and for monopoles.
int MagnetDirection(int row);

// A name for row 0-371: "dir 045 (+)" for the fine rows (direction and the
// row's sign), the clock or plain name for the named rows, and a remark on
// the colour that directions 254 and 255 share.
std::string MagnetColorName(int row);
