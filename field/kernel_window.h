#pragma once
// A rectangle of kernel table entries: what a step's blocks read of a kernel,
// and so what must be loaded or computed of it.
#include "core/workspace.h"

// Rows [row_begin, row_end), columns [column_begin, column_end); by default
// the whole table.
struct KernelWindow {
  int row_begin = 0, row_end = kKernelSide;
  int column_begin = 0, column_end = kKernelSide;
};

// Whether every entry of inner lies in outer.
inline bool Covers(const KernelWindow& outer, const KernelWindow& inner) {
  return outer.row_begin <= inner.row_begin && outer.row_end >= inner.row_end &&
         outer.column_begin <= inner.column_begin && outer.column_end >= inner.column_end;
}
